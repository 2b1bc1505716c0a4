#!/usr/bin/env bash
# Renders the program's pictures from their SVG sources in data/images:
# the 64x64 button images, the program icon, the update icon (PNG, embedded by both
# editions) and icon.ico (16..256 pixels) for the Windows edition's resources.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert.
set -euo pipefail
cd "$(dirname "$0")/../data/images"
for name in play play_gray stop stop_gray; do
  rsvg-convert -w 64 -h 64 "$name.svg" -o "$name.png"
done
rsvg-convert -w 128 -h 128 update-icon.svg -o update-icon.png
rsvg-convert -w 256 -h 256 icon.svg -o icon.png
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w $size -h $size icon.svg -o "$tmp/icon-$size.png"
done
convert "$tmp/icon-16.png" "$tmp/icon-24.png" "$tmp/icon-32.png" "$tmp/icon-48.png" \
  "$tmp/icon-64.png" "$tmp/icon-128.png" "$tmp/icon-256.png" icon.ico
