#!/usr/bin/env bash
# Checks what a desktop user gets: the desktop entry and the AppStream metainfo validate, the
# runtime component installs into a staging prefix, and the Debian packages build, with the
# runtime package's dependencies computed from the binaries.
# Usage: scripts/check-package.sh [preset]   (default release; the build must exist)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
build="build/$preset"
id=org.corvane.rezevavevadurov

desktop-file-validate "data/$id.desktop"
appstreamcli validate --no-net --pedantic "data/$id.metainfo.xml"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage" --component runtime >/dev/null
for file in "bin/reZevavEvadurov" "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/256x256/apps/$id.png"; do
    test -f "$stage/$file" || { echo "not installed: $file" >&2; exit 1; }
done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/reZevavEvadurov" --version

(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/rezevavevadurov_*.deb)"
dpkg-deb --info "$deb"
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' ||
    { echo "the package names no Qt dependency" >&2; exit 1; }
echo "== package ok: $deb"
