#!/usr/bin/env bash
# Installs the library (component dev) and rzreg (component runtime) into a staging prefix,
# builds examples/readSwitches and examples/watchSwitches against that prefix alone (CMake
# package and pkg-config), then writes the settings with the dialog's Apply pass and checks that
# the first example reads them and the second prints the value again when a later Apply changes it.
# Usage: scripts/check-install.sh [preset]   (default: release; the preset must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
build="build/$preset"

bash scripts/install-deps.sh
cmake --build --preset "$preset"

work="$(mktemp -d)"
watcher=""
trap '[ -z "$watcher" ] || kill "$watcher" 2>/dev/null; rm -rf "$work"' EXIT
stage="$work/stage"
cmake --install "$build" --prefix "$stage" --component dev
cmake --install "$build" --prefix "$stage" --component runtime

# Only the staged tree: no path into the source or build tree.
pcdir="$(dirname "$(find "$stage" -name reZevavEvadurov.pc | head -n 1)")"
for example in readSwitches watchSwitches; do
    cmake -S "examples/$example" -B "$work/$example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    found="$(sed -n 's/^reZevavEvadurov_DIR:PATH=//p' "$work/$example/CMakeCache.txt")"
    case "$found" in
    "$stage"/*) ;;
    *)
        echo "check-install: $example found the package at $found, not in $stage" >&2
        exit 1
        ;;
    esac
    cmake --build "$work/$example"
    # shellcheck disable=SC2046
    g++ -o "$work/${example}Pc" "examples/$example/$example.cpp" \
        $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs reZevavEvadurov)
done

# A fresh user and system configuration, as the dialog would meet them.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg"
export XDG_DATA_HOME="$work/data"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" "$XDG_DATA_HOME"

"$build/tests/rzreg/applySettings" /srv/dumps debugHeap=1 debugStartupOrder=7 \
    advancedCRTEnable=1
expected="debugHeap = 1
debugStartupOrder = 7
advancedCRTEnable = 1
debugCreateMinidumpsOnExceptionDirectory = /srv/dumps"
for program in "$work/readSwitches/readSwitches" "$work/readSwitchesPc"; do
    actual="$("$program")"
    if [ "$actual" != "$expected" ]; then
        echo "check-install: $program read" >&2
        echo "$actual" >&2
        echo "check-install: expected" >&2
        echo "$expected" >&2
        exit 1
    fi
done
# Waits up to 20 s for the line $2 in the file $1.
await_line() {
    for _ in $(seq 200); do
        if grep -qx "$2" "$1"; then
            return 0
        fi
        sleep 0.1
    done
    echo "check-install: no line \"$2\" in $1:" >&2
    cat "$1" >&2
    return 1
}
# The watcher prints the value at start, and again after an Apply that changes it.
heap=1
for program in "$work/watchSwitches/watchSwitches" "$work/watchSwitchesPc"; do
    out="$work/$(basename "$program").out"
    "$program" debugHeap >"$out" 2>&1 &
    watcher=$!
    await_line "$out" "debugHeap = $heap"
    heap=$((1 - heap))
    "$build/tests/rzreg/applySettings" /srv/dumps debugHeap=$heap
    await_line "$out" "debugHeap = $heap"
    kill "$watcher"
    wait "$watcher" || true
    watcher=""
done

# The staged tool sees the same values, and its man page is in place.
"$stage/bin/rzreg" query 'HKCU\Software\Corvane\Tarnwickx64' /v debugHeap
test -f "$stage/share/man/man1/rzreg.1.gz"
echo "check-install: the installed library reads what Apply wrote"
