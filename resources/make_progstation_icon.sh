#!/usr/bin/env bash
# make_progstation_icon.sh: draws ProgStation's icon (a memory chip with its pins and a write arrow on a green tile) into progstation.ico with ImageMagick.
# The .ico is kept in the repository; run this only to redraw it.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
s() { awk "BEGIN{print $1*$2/32}"; }  # a coordinate of the 32-pixel design at size $2
draw() {  # size
  local z=$1 pins="" i
  for i in 0 1 2 3; do
    local y; y=$(s $((10 + 4 * i)) "$z")
    pins+=" -draw \"rectangle $(s 6 "$z"),$y $(s 9 "$z"),$(awk "BEGIN{print $y+$(s 2 "$z")}")\""
    pins+=" -draw \"rectangle $(s 23 "$z"),$y $(s 26 "$z"),$(awk "BEGIN{print $y+$(s 2 "$z")}")\""
  done
  eval convert -size "${z}x${z}" xc:none \
    -fill "'#1e7a4c'" -draw "\"roundrectangle 1,1 $((z - 2)),$((z - 2)) $(s 5 "$z"),$(s 5 "$z")\"" \
    -fill "'#d9dde3'" "$pins" \
    -fill "'#20242a'" -draw "\"rectangle $(s 9 "$z"),$(s 8 "$z") $(s 23 "$z"),$(s 26 "$z")\"" \
    -fill "'#ffb400'" -draw "\"polygon $(s 12 "$z"),$(s 13 "$z") $(s 20 "$z"),$(s 13 "$z") $(s 16 "$z"),$(s 22 "$z")\"" \
    -fill "'#ffb400'" -draw "\"rectangle $(s 14 "$z"),$(s 4 "$z") $(s 18 "$z"),$(s 13 "$z")\"" \
    "$tmp/icon$z.png"
}
draw 16
draw 32
draw 48
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" progstation.ico
