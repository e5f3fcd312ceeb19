#!/usr/bin/env bash
# take-screenshots.sh [WINDOWS-BUILD]: makes the operator's guide's pictures again (docs/images/*.png).
# Builds the three programs and the picture taker in the Windows build tree (default build/windows),
# then walks every dialog under Wine on a virtual display, on a simulated bench of 3 adapters, in
# a Wine prefix of its own (<tree>/screenshots/wineprefix) with the stand-in driver package in
# C:\UsbMac. The station and the tester are their training builds, the only ones that work on a
# bench, so their pictures show the training mark. ProgStation is pictured when its program builds.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tree=$(cd "$top" && mkdir -p "${1:-build/windows}" && cd "${1:-build/windows}" && pwd)
images="$top/docs/images"
work="$tree/screenshots"
prefix="$work/wineprefix"

[ -f "$tree/CMakeCache.txt" ] || (cd "$top" && cmake --preset windows -B "$tree" >/dev/null)
cmake --build "$tree" -j 2 --target take-screenshots SetupEditor EthTesterTraining
programs=("$tree/resources/SetupEditor.exe" "$work/run/EthTesterTraining.exe")
if cmake --build "$tree" -j 2 --target ProgStationTraining; then
  programs+=("$tree/resources/ProgStationTraining.exe")
fi

"$top/scripts/wine-prefix.sh" "$prefix"
rm -rf "$work/run" "$work/pictures"
mkdir -p "$work/run" "$work/pictures" "$images" "$prefix/drive_c/UsbMac"
cp "$tree"/UsbMac/* "$prefix/drive_c/UsbMac/"
# The training station looks for EthTesterTraining.exe in its current directory, as after an installation.
cp "$tree/resources/EthTesterTraining.exe" "$work/run/"

xvfb-run -a -s "-screen 0 1024x768x24" "$top/scripts/in-wine-session.sh" "$prefix" \
  /usr/lib/wine/wine64 "$tree/tests/wine/screenshots/take-screenshots.exe" "$work/pictures" "$work/run" "${programs[@]}"

for picture in "$work"/pictures/*.bmp; do
  [ -e "$picture" ] || continue
  name=$(basename "${picture%.bmp}")
  convert "$picture" -strip "$images/$name.png"
done
echo "take-screenshots: pictures in docs/images/"
