#!/usr/bin/env bash
# Draws the program icon (a sample card with a waveform) into app/corvane.ico.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
convert -size 256x256 xc:none \
  -fill '#B41982' -draw 'roundrectangle 28,16 228,240 22,22' \
  -fill '#F39100' -draw 'rectangle 64,40 192,60' \
  -stroke white -strokewidth 14 -fill none \
  -draw 'stroke-linejoin round stroke-linecap round polyline 52,140 80,140 96,84 116,196 136,100 152,168 168,124 184,140 204,140' \
  "$work/icon256.png"
for size in 16 24 32 48 64; do
  convert "$work/icon256.png" -resize ${size}x${size} "$work/icon$size.png"
done
convert "$work/icon16.png" "$work/icon24.png" "$work/icon32.png" "$work/icon48.png" \
  "$work/icon64.png" "$work/icon256.png" app/corvane.ico
