#!/usr/bin/env bash
# Draws the demo installer's splash picture: 800 x 200 pixels, 8-bit RGBA, the
# product name "Tarnvale" in large bold type over a quiet, pale gradient, with
# "DEMO" beneath it. The band below the words stays plain: the installer circles
# its dark-blue dot there, 80 pixels below the picture's centre.
#
# The bytes depend only on this script, ImageMagick and the DejaVu fonts
# (fonts-dejavu-core): no time chunks or other metadata are written, so every
# build makes the same file.
#
# Usage: make-demo-splash.sh <out.png>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <out.png>" >&2; exit 2; }
out=$1

# The font by file, so a missing DejaVu is an error rather than a quiet
# substitute that changes the picture from machine to machine.
font_file() {
  local file
  file=$(fc-match -f '%{file}' "DejaVu Sans:style=$1")
  case $file in
    */DejaVuSans$2.ttf) printf '%s' "$file" ;;
    *) echo "make-demo-splash: no DejaVu Sans $1 (got '$file'); install fonts-dejavu-core" >&2; exit 1 ;;
  esac
}
bold=$(font_file Bold -Bold)
book=$(font_file Book "")

tmp=$out.tmp.png
convert -size 800x200 'gradient:#f7f4ee-#e4ebf0' \
  -gravity north \
  -font "$bold" -pointsize 84 -fill '#22384d' -annotate +0+22 'Tarnvale' \
  -font "$book" -pointsize 22 -fill '#5b6b78' -annotate +0+124 'D E M O' \
  -strip +set date:create +set date:modify -define png:exclude-chunks=date,time,tIME,zTXt,tEXt,iTXt \
  "PNG32:$tmp"
mv -f "$tmp" "$out"
