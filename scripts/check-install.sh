#!/usr/bin/env bash
# Installs the library (component dev) and rzreg (component runtime) into a staging prefix,
# builds examples/readSwitches against that prefix alone (CMake package and pkg-config), then
# writes the settings with the dialog's Apply pass and checks that the example reads them.
# Usage: scripts/check-install.sh [preset]   (default: release; the preset must be built)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
build="build/$preset"

bash scripts/install-deps.sh
cmake --build --preset "$preset"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
stage="$work/stage"
cmake --install "$build" --prefix "$stage" --component dev
cmake --install "$build" --prefix "$stage" --component runtime

# Only the staged tree: no path into the source or build tree.
cmake -S examples/readSwitches -B "$work/example" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_PREFIX_PATH="$stage" -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
found="$(sed -n 's/^reZevavEvadurov_DIR:PATH=//p' "$work/example/CMakeCache.txt")"
case "$found" in
"$stage"/*) ;;
*)
    echo "check-install: the example found the package at $found, not in $stage" >&2
    exit 1
    ;;
esac
cmake --build "$work/example"
pcdir="$(dirname "$(find "$stage" -name reZevavEvadurov.pc | head -n 1)")"
# shellcheck disable=SC2046
g++ -o "$work/readSwitchesPc" examples/readSwitches/readSwitches.cpp \
    $(PKG_CONFIG_PATH="$pcdir" pkg-config --cflags --libs reZevavEvadurov)

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
for program in "$work/example/readSwitches" "$work/readSwitchesPc"; do
    actual="$("$program")"
    if [ "$actual" != "$expected" ]; then
        echo "check-install: $program read" >&2
        echo "$actual" >&2
        echo "check-install: expected" >&2
        echo "$expected" >&2
        exit 1
    fi
done
# The staged tool sees the same values, and its man page is in place.
"$stage/bin/rzreg" query 'HKCU\Software\Corvane\Tarnwickx64' /v debugHeap
test -f "$stage/share/man/man1/rzreg.1.gz"
echo "check-install: the installed library reads what Apply wrote"
