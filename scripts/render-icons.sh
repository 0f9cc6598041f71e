#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG (Debian librsvg2-bin). The PNGs are
# committed, so the build needs no SVG renderer; run this again after changing the drawing.
set -euo pipefail
if ! command -v rsvg-convert >/dev/null; then
    sudo_cmd=()
    [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
    "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends librsvg2-bin
fi
cd "$(dirname "$0")/../data/icons"
id=org.corvane.rezevavevadurov
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --output "${size}x${size}/$id.png" "$id.svg"
done
