#!/usr/bin/env bash
# make_ethtester_icon.sh: draws EthTester's icon (a pulse line on a green tile) into ethtester.ico with ImageMagick.
# The .ico is kept in the repository; run this only to redraw it.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
draw() {  # size: the tile and a pulse line, scaled from a 32-pixel design
  local s=$1
  local k
  k=$(awk "BEGIN{print $s/32}")
  p() { awk "BEGIN{print $1*$k}"; }
  convert -size "${s}x${s}" xc:none \
    -fill '#1f7a4d' -draw "roundrectangle 1,1 $((s-2)),$((s-2)) $(p 5),$(p 5)" \
    -stroke '#f2fbf6' -strokewidth "$(p 2.2)" -fill none \
    -draw "polyline $(p 4),$(p 17) $(p 10),$(p 17) $(p 13),$(p 9) $(p 17),$(p 24) $(p 20),$(p 14) $(p 22),$(p 17) $(p 28),$(p 17)" \
    "$tmp/icon$s.png"
}
draw 16
draw 32
draw 48
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" ethtester.ico
