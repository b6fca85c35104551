#!/usr/bin/env bash
# Draws the skin of the alert pop-up with ImageMagick and writes it to client/resources/skin/ as
# 24-bit BMP files (the bitmap resources of Mirelo.exe):
#   alert_background.bmp  315 x 158  background (id 214): a calm blue gradient, a darker top band
#                                    with a white bell, a thin light edge that follows the rounded
#                                    window region (10 x 10 corner ellipses)
#   alert_view.bmp         65 x 22   View button face (id 152)
#   alert_close.bmp        44 x 22   Close button face (id 215)
#   alert_close_all.bmp    16 x 16   close-all button face (id 217)
# The faces carry no text: the pop-up writes each button's caption on its face in white, so the
# same bitmaps serve every language. Each face is cut from the background at the place its button
# takes on the pop-up (the template's position scaled to the skin), so its corners blend in.
# Usage: make-skin.sh [OUTPUT_DIR]
set -euo pipefail
export LC_ALL=C

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/client/resources/skin}
convert=${CONVERT:-convert}
command -v "$convert" >/dev/null || { echo "make-skin: ImageMagick's convert is needed (apt-get install imagemagick)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

readonly width=315 height=158 band=34
readonly top="#3A6DB0" bottom="#24518F" band_colour="#1D4479"

# Bell in the top band, drawn four times larger and scaled down for smooth curves.
bell="path 'M 10,60 L 62,60 C 55,56 54,50 54,42 C 54,26 47,16 36,16 C 25,16 18,26 18,42 C 18,50 17,56 10,60 Z'"
clapper="circle 36,66 36,71"
hanger="circle 36,13 36,17"
"$convert" -size 72x80 xc:none -fill white -draw "$bell" -draw "$clapper" -draw "$hanger" \
    -resize 18x20 "$work/bell.png"

# Background: gradient, top band with a one-pixel light line under it, the bell, the light edge.
"$convert" \
    \( -size "${width}x${height}" "gradient:$top-$bottom" \) \
    \( -size "${width}x${band}" "xc:$band_colour" -channel A -evaluate set 55% +channel \) \
    -geometry +0+0 -composite \
    -fill "rgba(255,255,255,0.18)" -draw "line 0,$band $width,$band" \
    "$work/bell.png" -geometry +14+7 -composite \
    -fill none -stroke "rgba(255,255,255,0.35)" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $((width - 1)).5,$((height - 1)).5 5,5" \
    -alpha off "$work/background.png"

# face NAME X Y W H RADIUS FILL: the background at (X,Y) with a rounded, lightly filled button on it.
face() {
    local name=$1 x=$2 y=$3 w=$4 h=$5 r=$6 fill=$7
    "$convert" "$work/background.png" -crop "${w}x${h}+${x}+${y}" +repage \
        -fill "$fill" -stroke "rgba(255,255,255,0.55)" -strokewidth 1 \
        -draw "roundrectangle 0.5,0.5 $((w - 1)).5,$((h - 1)).5 $r,$r" \
        -alpha off -type TrueColor "BMP3:$out/$name.bmp"
}

# Positions: template 213's buttons in dialog units, times 315 / 179 across and 158 / 96 down.
face alert_view 186 123 65 22 5 "rgba(255,255,255,0.22)"
face alert_close 256 123 44 22 5 "rgba(255,255,255,0.12)"
face alert_close_all 285 6 16 16 4 "rgba(255,255,255,0.12)"
"$convert" "$work/background.png" -type TrueColor "BMP3:$out/alert_background.bmp"

for file in alert_background alert_view alert_close alert_close_all; do
    identify -format "%f %wx%h\n" "$out/$file.bmp" >&2
done
