#!/bin/sh
# Renders the committed icon files from kavrelo.svg; rerun after changing the
# artwork. Needs librsvg2-bin (rsvg-convert) and icoutils (icotool).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The freedesktop icon theme: PNGs at the usual sizes and the SVG itself.
for size in 16 32 48 64 128 256; do
    mkdir -p "$here/icons/${size}x${size}"
    rsvg-convert --width $size --height $size --format png "$here/kavrelo.svg" \
        >"$here/icons/${size}x${size}/com.example.Kavrelo.png"
done

# The Windows file icon: one 128 x 128 image with an alpha channel (32-bit).
rsvg-convert --width 128 --height 128 --format png "$here/kavrelo.svg" >"$work/kavrelo-128.png"
icotool --create --output "$here/kavrelo.ico" "$work/kavrelo-128.png"
