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
# Every size Windows asks for from 100% to 200% scaling (small icons 16 to 32,
# large ones 32 to 64, the About box, Explorer's views up to 256), so the
# system never has to scale one.
# 48 comes first: an icon loaded at its "actual size" (the About box's icon
# control) takes the first image, and 48 pixels fill that control at 96 DPI.
sizes=(48 16 20 24 32 40 64 96 128 256)
images=()
for size in "${sizes[@]}"; do
  convert "$work/icon256.png" -resize ${size}x${size} "$work/icon$size.png"
  images+=("$work/icon$size.png")
done
convert "${images[@]}" -depth 8 app/corvane.ico
identify app/corvane.ico
