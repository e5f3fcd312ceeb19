#!/usr/bin/env bash
# make_setupeditor_icon.sh: draws SetupEditor's icon (three slider bars on a blue tile) into setupeditor.ico with ImageMagick.
# The .ico is kept in the repository; run this only to redraw it.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
draw() {  # size: the tile with three bars and their knobs, scaled from a 32-pixel design
  local s=$1 k
  k=$(awk "BEGIN{print $s/32}")
  convert -size "${s}x${s}" xc:none \
    -fill '#1d4f91' -draw "roundrectangle 1,1 $((s-2)),$((s-2)) $(awk "BEGIN{print 5*$k}"),$(awk "BEGIN{print 5*$k}")" \
    -stroke '#e8eef7' -strokewidth "$(awk "BEGIN{print 2*$k}")" \
    -draw "line $(awk "BEGIN{print 7*$k}"),$(awk "BEGIN{print 9*$k}") $(awk "BEGIN{print 25*$k}"),$(awk "BEGIN{print 9*$k}")" \
    -draw "line $(awk "BEGIN{print 7*$k}"),$(awk "BEGIN{print 16*$k}") $(awk "BEGIN{print 25*$k}"),$(awk "BEGIN{print 16*$k}")" \
    -draw "line $(awk "BEGIN{print 7*$k}"),$(awk "BEGIN{print 23*$k}") $(awk "BEGIN{print 25*$k}"),$(awk "BEGIN{print 23*$k}")" \
    -stroke none -fill '#ffb400' \
    -draw "circle $(awk "BEGIN{print 12*$k}"),$(awk "BEGIN{print 9*$k}") $(awk "BEGIN{print 12*$k}"),$(awk "BEGIN{print 6*$k}")" \
    -draw "circle $(awk "BEGIN{print 20*$k}"),$(awk "BEGIN{print 16*$k}") $(awk "BEGIN{print 20*$k}"),$(awk "BEGIN{print 13*$k}")" \
    -draw "circle $(awk "BEGIN{print 10*$k}"),$(awk "BEGIN{print 23*$k}") $(awk "BEGIN{print 10*$k}"),$(awk "BEGIN{print 20*$k}")" \
    "$tmp/icon$s.png"
}
draw 16
draw 32
draw 48
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" setupeditor.ico
