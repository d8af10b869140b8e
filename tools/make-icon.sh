#!/usr/bin/env bash
# Draws the program's icon (two speech bubbles, one turning into the other) at 16, 32 and 48 pixels
# and writes them into one .ico. Needs ImageMagick; the result is committed as app/resources/orvanta.ico.
# Usage: tools/make-icon.sh [OUTPUT.ico]
set -euo pipefail
out=${1:-$(dirname "$0")/../app/resources/orvanta.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Drawn once at 192 pixels and scaled down, so the small sizes stay smooth.
convert -size 192x192 xc:none \
  -fill '#376206' -draw 'roundrectangle 6,6 186,186 34,34' \
  -fill '#fcfcfb' -draw 'roundrectangle 22,26 120,96 18,18' \
  -draw 'polygon 40,92 36,122 70,94' \
  -fill '#e59700' -draw 'roundrectangle 72,88 170,158 18,18' \
  -draw 'polygon 150,154 156,180 122,156' \
  -stroke '#376206' -strokewidth 9 -fill none \
  -draw 'line 44,50 98,50' -draw 'line 71,50 71,78' -draw 'line 50,64 92,64' \
  -draw 'polyline 104,140 121,104 138,140' -draw 'line 110,128 132,128' \
  "$work/master.png"
for size in 16 32 48; do
  convert "$work/master.png" -filter Lanczos -resize ${size}x${size} "$work/icon-$size.png"
done
convert "$work/icon-16.png" "$work/icon-32.png" "$work/icon-48.png" "$out"
echo "wrote $out"
