#!/usr/bin/env bash
# Checks what a desktop user gets: the desktop entry and the AppStream metainfo validate, the
# runtime component installs into a staging prefix, and the Debian packages build, with the
# runtime package's dependencies computed from the binaries, and pass lintian without an error
# or a warning (its informational and pedantic notes are printed).
# Usage: scripts/check-package.sh [preset]   (default release; the build must exist and be
# configured as packaged: prefix /usr and Debian's build flags, as the release preset is)
set -euo pipefail
cd "$(dirname "$0")/.."
preset="${1:-release}"
build="build/$preset"
id=org.corvane.rezevavevadurov

desktop-file-validate "data/$id.desktop"
appstreamcli validate --no-net --pedantic "data/$id.metainfo.xml"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
# The program's shared library is a package of its own.
for component in runtime library; do
    cmake --install "$build" --prefix "$stage" --component "$component" >/dev/null
done
for file in "bin/reZevavEvadurov" "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml" \
    "share/icons/hicolor/scalable/apps/$id.svg" "share/icons/hicolor/256x256/apps/$id.png" \
    "share/man/man1/reZevavEvadurov.1.gz" "share/man/man1/rzreg.1.gz" \
    "share/doc/rezevavevadurov/copyright" "share/doc/rezevavevadurov/changelog.Debian.gz"; do
    test -f "$stage/$file" || { echo "not installed: $file" >&2; exit 1; }
done
env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$stage/bin/reZevavEvadurov" --version

rm -f "$build"/*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/rezevavevadurov_*.deb)"
lib="$(ls "$build"/librezevavevadurov1_*.deb)"
dev="$(ls "$build"/librezevavevadurov-dev_*.deb)"
dpkg-deb --info "$deb"
dpkg-deb --field "$deb" Depends | grep -q 'librezevavevadurov1 (=' ||
    { echo "the program's package does not depend on its library package" >&2; exit 1; }
dpkg-deb --field "$deb" Depends | grep -q 'libqt6widgets6' ||
    { echo "the package names no Qt dependency" >&2; exit 1; }
dpkg-deb --field "$deb" Recommends | grep -q 'qt6-wayland' ||
    { echo "the package does not recommend the Wayland plugin" >&2; exit 1; }
multiarch="$(dpkg-architecture -qDEB_HOST_MULTIARCH)"
# Listings are read whole: grep -q ending a pipe early would fail it under pipefail.
dev_files="$(dpkg-deb --contents "$dev")"
lib_files="$(dpkg-deb --contents "$lib")"
grep -q "usr/lib/$multiarch/pkgconfig/reZevavEvadurov.pc" <<<"$dev_files" ||
    { echo "the pkg-config file is not in the multiarch folder usr/lib/$multiarch" >&2; exit 1; }
grep -q "usr/lib/$multiarch/libreZevavEvadurov.so.1" <<<"$lib_files" ||
    { echo "the library is not in the multiarch folder usr/lib/$multiarch" >&2; exit 1; }

# Errors and warnings fail; informational and pedantic notes are shown.
lintian --fail-on error,warning --display-info --pedantic "$deb" "$lib" "$dev"
echo "== packages ok: $deb $lib $dev"
