#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG (Debian librsvg2-bin). The PNGs are
# committed, so the build needs no SVG renderer; run this again after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")/../data/icons"
id=org.corvane.rezevavevadurov
for size in 16 32 48 64 128 256; do
    mkdir -p "${size}x${size}"
    rsvg-convert --width "$size" --height "$size" --keep-aspect-ratio \
        --output "${size}x${size}/$id.png" "$id.svg"
done
