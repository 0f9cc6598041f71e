#!/usr/bin/env bash
# Installs the library (components library and dev) and rzreg (component runtime) into a
# staging prefix, compiles every installed header on its own (scripts/check-headers.sh),
# builds each example of examples/ against that prefix alone (CMake package and pkg-config),
# then writes the settings with the dialog's Apply pass and checks what the examples read, and
# that the watcher prints the value again when a later Apply changes it.
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
for component in library dev runtime; do
    cmake --install "$build" --prefix "$stage" --component "$component"
done

fail()
{
    echo "check-install: $*" >&2
    exit 1
}

# The shared library: its SONAME, and only the public headers, none of them SQLite's or Qt's.
library="$(find "$stage" -name 'libreZevavEvadurov.so.1' | head -n 1)"
[ -n "$library" ] || fail "libreZevavEvadurov.so.1 is not installed"
libdir="$(dirname "$library")"
readelf -d "$library" | grep -q 'SONAME.*\[libreZevavEvadurov\.so\.1\]' ||
    fail "$library has not the SONAME libreZevavEvadurov.so.1"
if grep -rlE '#include[[:space:]]*[<"](sqlite3|Q[A-Za-z]*)' "$stage/include"; then
    fail "installed headers include SQLite's or Qt's"
fi
bash scripts/check-headers.sh "$stage"
# The staged tool loads the staged library (its run path is relative to itself).
loaded="$(ldd "$stage/bin/rzreg" | sed -n 's/^[[:space:]]*libreZevavEvadurov\.so\.1 => \(.*\) (0x.*$/\1/p')"
if [ -z "$loaded" ] || [ "$(readlink -f "$loaded")" != "$(readlink -f "$library")" ]; then
    fail "the staged rzreg loads '$loaded', not $library"
fi

pcdir="$(dirname "$(find "$stage" -name reZevavEvadurov.pc | head -n 1)")"
# Builds examples/NAME twice, with only the staged tree to go on: $work/NAME/NAME through
# the CMake package and $work/NAME-pc through pkg-config (as C++17, the library's minimum).
build_example()
{
    local name="$1"
    cmake -S "examples/$name" -B "$work/$name" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    local found
    found="$(sed -n 's/^reZevavEvadurov_DIR:PATH=//p' "$work/$name/CMakeCache.txt")"
    case "$found" in
    "$stage"/*) ;;
    *) fail "examples/$name found the package at $found, not in $stage" ;;
    esac
    cmake --build "$work/$name"
    # shellcheck disable=SC2046
    g++ -std=c++17 -Wall -Wextra -Wpedantic -Werror -o "$work/$name-pc" \
        "examples/$name/$name.cpp" $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs reZevavEvadurov)
}

# Runs both builds of examples/NAME with ARGS and compares their output with EXPECTED.
expect_output()
{
    local name="$1" expected="$2"
    shift 2
    local program actual
    for program in "$work/$name/$name" "$work/$name-pc"; do
        actual="$(LD_LIBRARY_PATH="$libdir" "$program" "$@")"
        if [ "$actual" != "$expected" ]; then
            echo "check-install: $program read" >&2
            echo "$actual" >&2
            echo "check-install: expected" >&2
            echo "$expected" >&2
            exit 1
        fi
    done
}

examples=(readSwitches watchSwitches)
for example in "${examples[@]}"; do
    build_example "$example"
done

# A fresh user and system configuration, as the dialog would meet them.
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg"
export XDG_DATA_HOME="$work/data"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_CONFIG_DIRS" "$XDG_DATA_HOME"

"$build/tests/rzreg/applySettings" /srv/dumps debugHeap=1 debugStartupOrder=7 \
    advancedCRTEnable=1
expect_output readSwitches "debugHeap = 1
debugStartupOrder = 7
advancedCRTEnable = 1
debugCreateMinidumpsOnExceptionDirectory = /srv/dumps"
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
for program in "$work/watchSwitches/watchSwitches" "$work/watchSwitches-pc"; do
    out="$work/$(basename "$program").out"
    LD_LIBRARY_PATH="$libdir" "$program" debugHeap >"$out" 2>&1 &
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
