#!/bin/sh
# contact_sheet.sh WORKDIR RECTS OUT.png: every picture in one review sheet.
set -eu
work=$1 rects=$2 out=$3
draw=""
while read -r name x y w h; do
  case "$name" in ''|\#*) continue ;; esac
  x2=$((x + w - 1)); y2=$((y + h - 1))
  draw="$draw -draw \"rectangle $((x*2)),$((y*2)) $((x2*2+1)),$((y2*2+1))\""
  labels="${labels:-} -annotate +$((x*2+2))+$((y*2+9)) $name"
done < "$rects"
# The sheet at twice its size over grey, so black (transparent) shows as grey.
eval convert "$work/etc.png" -background "'#404040'" -flatten -scale 200% \
  -fill none -stroke "'#ff00ff'" -strokewidth 1 $draw \
  -stroke none -fill "'#00ffff'" -pointsize 9 $labels "$work/sheet_marked.png"
for f in bgmst conf; do
  convert "$work/$f.png" -background '#ff00ff' -flatten "$work/${f}_keyed.png"
done
montage -label '%t' -pointsize 14 -background '#202020' -fill white \
  "$work/logo.png" "$work/title.png" "$work/bgmst_keyed.png" "$work/conf_keyed.png" \
  "$work/white.png" "$work/bg001.png" "$work/bg002.png" "$work/bg003.png" "$work/bg004.png" \
  "$work/bg005.png" -tile 5x -geometry 320x240+6+6 "$work/pictures.png"
convert "$work/sheet_marked.png" "$work/pictures.png" -background '#202020' -gravity center \
  -append "$out"
echo "wrote $out"
