#!/usr/bin/env bash
# Draws the icons of Mirelo.exe with ImageMagick and writes them to client/resources/icons/:
#   mirelo.ico      program and About-box icon (ids 129, 135)
#   tray.ico        tray icon (id 197)
#   tray_blink.ico  highlight frame of the tray blink (id 198): the same bubble in amber
#   list_rows.bmp   row bitmap of the received list (id 210): 26 x 21 pixels, 16 colours, white
# Each file holds 16, 32 and 48 pixel images, 32 bits with alpha. Usage: make-icons.sh [OUTPUT_DIR]
#
# Every size is drawn at 8 times its size on a 16-unit grid and box-averaged down, so that the
# straight edges stay on whole pixels and only the curves are smoothed. The outline is one pixel
# wide at every size.
set -euo pipefail
export LC_ALL=C  # decimal points in the drawing coordinates

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/client/resources/icons}
convert=${CONVERT:-convert}
command -v "$convert" >/dev/null || { echo "make-icons: ImageMagick's convert is needed (apt-get install imagemagick)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

readonly ss=8  # supersampling factor

# Scales grid coordinates ("x,y x,y ...") to the canvas of one size.
scale() {
    awk -v u="$1" '{
        for (i = 1; i <= NF; i++) {
            split($i, xy, ",")
            printf "%s%.2f,%.2f", (i > 1 ? " " : ""), xy[1] * u, xy[2] * u
        }
        print ""
    }' <<<"$2"
}

# Speech bubble: body and tail, in 16-unit grid coordinates.
bubble_body="0,1 16,12"
bubble_tail="3,11 8.5,11 2.5,15.6"

# Bell: a dome whose sides flare out into the rim, and the clapper below it.
bell_path() {
    local u=$1
    printf "path 'M %s L %s C %s C %s C %s C %s Z'" \
        "$(scale "$u" "3.5,10")" "$(scale "$u" "12.5,10")" \
        "$(scale "$u" "11.3,9.4 11.1,8.6 11.1,7.1")" \
        "$(scale "$u" "11.1,4.6 9.8,3.1 8,3.1")" \
        "$(scale "$u" "6.2,3.1 4.9,4.6 4.9,7.1")" \
        "$(scale "$u" "4.9,8.6 4.7,9.4 3.5,10")"
}
clapper() {
    local u=$1
    printf "circle %s" "$(scale "$u" "8,10.3 8,11.3")"
}

# draw_icon NAME TOP BOTTOM OUTLINE: one .ico with a bubble filled by a vertical gradient from TOP
# to BOTTOM, edged with OUTLINE, and a white bell.
draw_icon() {
    local name=$1 top=$2 bottom=$3 outline=$4
    local frames=()
    for size in 16 32 48; do
        local big=$((size * ss)) unit
        unit=$(awk -v s="$big" 'BEGIN { printf "%.4f", s / 16 }')
        local radius
        radius=$(awk -v u="$unit" 'BEGIN { printf "%.2f", 3.2 * u }')
        local mask=$work/$name-$size-mask.png inner=$work/$name-$size-inner.png
        local bell=$work/$name-$size-bell.png frame=$work/$name-$size.png

        # Shape mask of bubble and tail, and the same shape one output pixel smaller.
        "$convert" -size "${big}x${big}" xc:black -fill white \
            -draw "roundrectangle $(scale "$unit" "$bubble_body") $radius,$radius" \
            -draw "polygon $(scale "$unit" "$bubble_tail")" \
            -alpha off "$mask"
        "$convert" "$mask" -morphology Erode "Disk:$ss" "$inner"

        # Glyph mask.
        "$convert" -size "${big}x${big}" xc:black -fill white \
            -draw "$(bell_path "$unit")" -draw "$(clapper "$unit")" -alpha off "$bell"

        # Outline colour under the whole shape, the gradient inside, white bell on top; then the
        # shape becomes the alpha channel and everything is box-averaged to the final size.
        "$convert" \
            \( -size "${big}x${big}" "xc:$outline" \) \
            \( -size "${big}x${big}" "gradient:$top-$bottom" \) "$inner" -composite \
            \( -size "${big}x${big}" xc:white \) "$bell" -composite \
            "$mask" -alpha off -compose CopyOpacity -composite \
            -scale "${size}x${size}" -define png:exclude-chunks=date,time "PNG32:$frame"
        frames+=("$frame")
    done
    "$convert" "${frames[@]}" "$out/$name.ico"
}

# Calm blue for the program and the tray; warm amber for the highlight frame of the blink.
draw_icon mirelo "#5A96E6" "#2659B0" "#17407F"
draw_icon tray "#5A96E6" "#2659B0" "#17407F"
draw_icon tray_blink "#FFC23D" "#E8860C" "#9A5200"

# The received list cuts this bitmap into images one pixel wide; they are never seen and only give
# the rows a minimum height, so a plain white 4-bit bitmap with the 16 standard colours does.
python3 - "$out/list_rows.bmp" <<'PYTHON'
import struct, sys
width, height = 26, 21
palette = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
           (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255),
           (0, 255, 255), (255, 255, 255)]
stride = (width * 4 + 31) // 32 * 4
pixels = bytes([0xFF]) * (stride * height)
colours = b''.join(bytes([b, g, r, 0]) for r, g, b in palette)
offset = 14 + 40 + len(colours)
info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
with open(sys.argv[1], 'wb') as out:
    out.write(b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + colours + pixels)
PYTHON

ls -l "$out"/list_rows.bmp "$out"/mirelo.ico "$out"/tray.ico "$out"/tray_blink.ico >&2
