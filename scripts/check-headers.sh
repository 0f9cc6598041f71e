#!/usr/bin/env bash
# Compiles every installed header of the library on its own, as a program outside the project
# includes it (<reZevavEvadurov/NAME.h>, the staged include folder and nothing of the source
# tree), as C++17 and C++20 with -Wall -Wextra -Wpedantic -Werror: alone, after GLib's TRUE
# and FALSE, after and before GLib-style definitions, after and before <X11/Xmd.h> (its own
# BOOL) and <X11/Xlib.h>, and all of them together after and before Qt's headers.
# Usage: scripts/check-headers.sh <install prefix>
set -euo pipefail
prefix="$1"
include="$prefix/include"
cxx="${CXX:-g++}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

glibBefore='#define FALSE (0)
#define TRUE (!FALSE)'
glibAfter='#ifndef FALSE
#define FALSE (0)
#endif
#ifndef TRUE
#define TRUE (!FALSE)
#endif'
# Uses the names that collide elsewhere, so a definition that only compiles unused is caught.
use='[[maybe_unused]] static const int rzCheckTrue = TRUE, rzCheckFalse = FALSE;'

failures=0
# compile NAME STANDARD BEFORE AFTER [extra flags...]: one translation unit.
compile()
{
    local name="$1" standard="$2" before="$3" after="$4"
    shift 4
    local source="$work/check.cpp"
    local uses="$use"
    [ "$name" = export.h ] && uses="" # the one header that declares no Windows name
    printf '%s\n#include <reZevavEvadurov/%s>\n%s\n%s\n' "$before" "$name" "$after" "$uses" >"$source"
    if ! "$cxx" "-std=$standard" -Wall -Wextra -Wpedantic -Werror -fsyntax-only \
        -I"$include" "$@" "$source" 2>"$work/errors"; then
        echo "check-headers: <reZevavEvadurov/$name> fails ($standard) with:" >&2
        sed 's/^/    /' "$source" >&2
        cat "$work/errors" >&2
        failures=$((failures + 1))
    fi
}

headers=()
for path in "$include"/reZevavEvadurov/*.h; do
    headers+=("$(basename "$path")")
done
if [ "${#headers[@]}" -eq 0 ]; then
    echo "check-headers: no headers in $include/reZevavEvadurov" >&2
    exit 1
fi

count=0
for standard in c++17 c++20; do
    for name in "${headers[@]}"; do
        compile "$name" "$standard" "" ""
        compile "$name" "$standard" "$glibBefore" ""
        compile "$name" "$standard" "" "$glibAfter"
        compile "$name" "$standard" "#include <X11/Xmd.h>" ""
        compile "$name" "$standard" "" "#include <X11/Xmd.h>"
        compile "$name" "$standard" "#include <X11/Xlib.h>" ""
        compile "$name" "$standard" "" "#include <X11/Xlib.h>"
        count=$((count + 7))
    done
    if pkg-config --exists Qt6Widgets; then
        all=""
        for name in "${headers[@]}"; do
            all+="#include <reZevavEvadurov/$name>"$'\n'
        done
        # shellcheck disable=SC2046
        compile "winTypes.h" "$standard" "#include <QtWidgets/QWidget>
$all" "" -fPIC $(pkg-config --cflags Qt6Widgets)
        # shellcheck disable=SC2046
        compile "winTypes.h" "$standard" "$all" "#include <QtWidgets/QWidget>" -fPIC \
            $(pkg-config --cflags Qt6Widgets)
        count=$((count + 2))
    fi
done

if [ "$failures" -ne 0 ]; then
    echo "check-headers: $failures of $count compilations failed" >&2
    exit 1
fi
echo "check-headers: ${#headers[@]} headers, $count compilations clean"
