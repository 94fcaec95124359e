#!/usr/bin/env bash
# Draws the PNG sizes of the icon with ImageMagick from the shapes of dissimilarity-matrices.svg
# (this ImageMagick has no SVG renderer), and the Windows icon (16 to 256 pixels in one .ico).
# Run after changing the SVG; the PNGs and the .ico are committed.
#   desktop/render-icon-png.sh
set -euo pipefail
cd "$(dirname "$0")"
ico_sizes=(16 24 32 48 256)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for size in "${ico_sizes[@]}"; do
    scale="scale $(bc -l <<<"$size / 64"),$(bc -l <<<"$size / 64")"
    draw=(-fill '#c0ffff' -stroke '#1d5b79' -strokewidth 2 -draw "$scale roundrectangle 2,2 62,62 9,9")
    while read -r x y width height fill stroke; do
        draw+=(-fill "$fill" -stroke "$stroke" -strokewidth 1
            -draw "$scale roundrectangle $x,$y $(bc <<<"$x+$width"),$(bc <<<"$y+$height") 1.5,1.5")
    done < <(grep -o '<rect x="[^/]*rx="1.5"[^/]*' dissimilarity-matrices.svg |
        sed -E 's/.*x="([^"]*)" y="([^"]*)" width="([^"]*)" height="([^"]*)".*fill="([^"]*)"( stroke="([^"]*)")?.*/\1 \2 \3 \4 \5 \7/' |
        awk '{ print $1, $2, $3, $4, $5, ($6 == "" ? "none" : $6) }')
    convert -size "${size}x${size}" xc:none "${draw[@]}" -depth 8 "$work/$size.png"
done
cp "$work/48.png" dissimilarity-matrices-48.png
cp "$work/256.png" dissimilarity-matrices-256.png
# The 256-pixel image is kept as PNG inside the .ico, the smaller ones as bitmaps.
convert $(printf "$work/%s.png " "${ico_sizes[@]}") -define icon:format=png:256 dissimilarity-matrices.ico
