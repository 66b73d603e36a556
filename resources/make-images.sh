#!/usr/bin/env bash
# Draws the program's icon in the sizes the desktop asks for. The drawing is
# made at 256 pixels and scaled down, so every size shows the same picture:
# a blue tile with a clock face whose hands stand at ten past two, and a
# green tick for "the task ran".
# Needs ImageMagick; run it again after changing the drawing and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")/icons"
big=$(mktemp --suffix=.png)
trap 'rm -f "$big"' EXIT
convert -size 256x256 xc:none \
    -fill '#1f4e96' -stroke '#0e2a57' -strokewidth 6 -draw 'roundrectangle 8,8 248,248 40,40' \
    -fill '#ffffff' -stroke '#0e2a57' -strokewidth 8 -draw 'circle 120,128 120,36' \
    -stroke '#1f4e96' -strokewidth 6 \
    -draw 'line 120,46 120,60' -draw 'line 120,196 120,210' \
    -draw 'line 38,128 52,128' -draw 'line 188,128 202,128' \
    -stroke '#0e2a57' -strokewidth 14 -draw 'line 120,128 120,70' \
    -strokewidth 10 -draw 'line 120,128 170,108' \
    -fill '#0e2a57' -stroke none -draw 'circle 120,128 120,138' \
    -fill none -stroke '#ffffff' -strokewidth 34 -draw 'polyline 150,196 184,226 236,160' \
    -stroke '#2e9e3e' -strokewidth 20 -draw 'polyline 150,196 184,226 236,160' \
    "$big"
for size in 16 24 32 48 64 128; do
    convert "$big" -filter Lanczos -resize ${size}x${size} -strip -depth 8 "PNG32:wendrel-${size}.png"
    # The same pixels undecoded, for the program's own window icon: reading
    # PNGs at start-up costs more than drawing the whole main window.
    convert "wendrel-${size}.png" -depth 8 "RGBA:wendrel-${size}.rgba"
done
