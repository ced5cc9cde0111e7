#!/usr/bin/env bash
# Draws the four images of the rule panels (ImageMagick). The PNGs are kept in
# the tree; run this only to change them.
set -euo pipefail
out=$(dirname "$0")/../src/ui/window/images

# A green disc with a white tick: the query is valid.
convert -size 64x64 xc:none -fill '#2e9e3e' -stroke '#1d6b28' -strokewidth 3 \
        -draw 'circle 32,32 32,3' \
        -fill none -stroke white -strokewidth 8 -draw 'polyline 17,33 28,44 47,21' \
        -resize 16x16 -strip "$out/accept.png"

# A red disc with a white cross: the query is not valid.
convert -size 64x64 xc:none -fill '#d23a2e' -stroke '#8e2119' -strokewidth 3 \
        -draw 'circle 32,32 32,3' \
        -fill none -stroke white -strokewidth 8 -draw 'line 21,21 43,43' -draw 'line 43,21 21,43' \
        -resize 16x16 -strip "$out/notaccept.png"

# A lens over a page: try the rule.
convert -size 80x80 xc:none \
        -fill white -stroke '#5b6b7a' -strokewidth 3 -draw 'rectangle 10,6 50,62' \
        -stroke '#9aa7b3' -strokewidth 3 -draw 'line 17,18 43,18' -draw 'line 17,28 43,28' -draw 'line 17,38 33,38' \
        -fill '#d9ecfb' -stroke '#1f5f99' -strokewidth 6 -draw 'circle 47,45 47,29' \
        -stroke '#1f5f99' -strokewidth 10 -draw 'line 58,56 72,70' \
        -resize 20x20 -strip "$out/test.png"

# A waste bin: delete the rule.
convert -size 80x80 xc:none \
        -fill '#8a9299' -stroke '#4d545a' -strokewidth 3 -draw 'rectangle 14,16 66,24' \
        -draw 'rectangle 31,8 49,16' \
        -fill '#b5bcc2' -draw 'polygon 19,26 61,26 56,74 24,74' \
        -stroke '#4d545a' -strokewidth 4 -draw 'line 32,34 33,66' -draw 'line 40,34 40,66' -draw 'line 48,34 47,66' \
        -resize 20x20 -strip "$out/trash.png"
