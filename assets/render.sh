#!/bin/sh
# Renders every picture of the program from its drawing under sources/.
#
#   pictures/  the six files installed beside the program (JPEG)
#   builtin/   the pictures compiled into the program through assets.qrc
#   icons/     the program icon for the desktop's hicolor theme
#
# The results are committed, so building the program needs none of the tools
# used here: rsvg-convert (librsvg2-bin), convert (imagemagick), python3 and
# the Liberation fonts (fonts-liberation). Run it after changing a drawing.
set -eu

cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# rasterise SOURCE WIDTH HEIGHT OUT.png
rasterise() {
    rsvg-convert --width "$2" --height "$3" --output "$4" "sources/$1"
    size=$(identify -format '%wx%h' "$4")
    if [ "$size" != "$2x$3" ]; then
        echo "render.sh: $1 came out $size, not $2x$3" >&2
        exit 1
    fi
}

# jpeg SOURCE WIDTH HEIGHT OUT.jpg
# Baseline JFIF, three 8-bit components (never greyscale), 4:2:0, no metadata.
jpeg() {
    rasterise "$1" "$2" "$3" "$work/picture.png"
    convert "$work/picture.png" -background white -alpha remove -alpha off \
        -colorspace sRGB -type TrueColor -depth 8 \
        -interlace none -sampling-factor 2x2,1x1,1x1 -quality 90 -strip "$4"
}

# pam SOURCE SIZE OUT.pam: a square rendering as raw RGBA for pack_images.py
pam() {
    rasterise "$1" "$2" "$2" "$work/square.png"
    convert "$work/square.png" -alpha on -depth 8 "pam:$3"
}

# icon SOURCE OUT.ico: 32x32 and 16x16, 16 colours each, transparent ground
icon() {
    pam "$1" 32 "$work/32.pam"
    pam "$1" 16 "$work/16.pam"
    python3 pack_images.py ico "$2" "$work/32.pam" "$work/16.pam"
}

mkdir -p pictures builtin

jpeg kopf.svg 510 184 pictures/kopf.jpg
jpeg logo.svg 510 136 pictures/logo.jpg
jpeg professor_friendly.svg 250 350 pictures/P_normal.jpg
jpeg professor_smile.svg 250 350 pictures/P_smile.jpg
jpeg professor_cross.svg 250 350 "pictures/P_böse.jpg"
jpeg professor_printer.svg 250 350 pictures/p_roben.jpg

jpeg professor_friendly.svg 250 350 builtin/professor.jpg
jpeg professor_grin.svg 250 350 builtin/professor_grin.jpg
icon check.svg builtin/check.ico
icon bulb.svg builtin/bulb.ico
icon question.svg builtin/question.ico
icon smiley.svg builtin/smiley.ico
rasterise printer.svg 32 33 "$work/printer.png"
convert "$work/printer.png" -alpha on -depth 8 "pam:$work/printer.pam"
python3 pack_images.py gif builtin/printer.gif "$work/printer.pam"

for n in 16 32 48 64 128 256; do
    mkdir -p "icons/hicolor/${n}x${n}/apps"
    rasterise bulb.svg "$n" "$n" "icons/hicolor/${n}x${n}/apps/org.example.quendra.png"
done
mkdir -p icons/hicolor/scalable/apps
cp sources/bulb.svg icons/hicolor/scalable/apps/org.example.quendra.svg
