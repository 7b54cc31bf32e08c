#!/usr/bin/env bash
# Renders the checked-in PNG icons from their SVG sources (needs rsvg-convert,
# Debian package librsvg2-bin). Run it after changing an SVG and commit the PNGs.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for svg in *.svg; do
    name=${svg%.svg}
    for size in 16 24 32 48 64 128 256; do
        mkdir -p "${size}x${size}"
        rsvg-convert --width "$size" --height "$size" --format png --output "${size}x${size}/$name.png" "$svg"
    done
done
