#!/bin/sh
# Renders the committed icon files from kavrelo.svg; rerun after changing the
# artwork. Needs librsvg2-bin (rsvg-convert) and icoutils (icotool).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The Windows file icon: one 128 x 128 image with an alpha channel (32-bit).
rsvg-convert --width 128 --height 128 --format png "$here/kavrelo.svg" >"$work/kavrelo-128.png"
icotool --create --output "$here/kavrelo.ico" "$work/kavrelo-128.png"
