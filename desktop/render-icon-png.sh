#!/usr/bin/env bash
# Draws the PNG sizes of the icon with ImageMagick from the shapes of dissimilarity-matrices.svg
# (this ImageMagick has no SVG renderer). Run after changing the SVG; the PNGs are committed.
#   desktop/render-icon-png.sh
set -euo pipefail
cd "$(dirname "$0")"
for size in 48 256; do
    scale="scale $(bc -l <<<"$size / 64"),$(bc -l <<<"$size / 64")"
    draw=(-fill '#c0ffff' -stroke '#1d5b79' -strokewidth 2 -draw "$scale roundrectangle 2,2 62,62 9,9")
    while read -r x y width height fill stroke; do
        draw+=(-fill "$fill" -stroke "$stroke" -strokewidth 1
            -draw "$scale roundrectangle $x,$y $(bc <<<"$x+$width"),$(bc <<<"$y+$height") 1.5,1.5")
    done < <(grep -o '<rect x="[^/]*rx="1.5"[^/]*' dissimilarity-matrices.svg |
        sed -E 's/.*x="([^"]*)" y="([^"]*)" width="([^"]*)" height="([^"]*)".*fill="([^"]*)"( stroke="([^"]*)")?.*/\1 \2 \3 \4 \5 \7/' |
        awk '{ print $1, $2, $3, $4, $5, ($6 == "" ? "none" : $6) }')
    convert -size "${size}x${size}" xc:none "${draw[@]}" -depth 8 "dissimilarity-matrices-$size.png"
done
