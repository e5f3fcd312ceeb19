#!/usr/bin/env bash
# run-station.sh: sets everything up and runs the main job: ProgStation's training build
# (ProgStationTraining.exe, the only station that works on a simulated bench) on a bench of
# 4 adapters, in a Wine prefix of its own (build/station/wineprefix) with the stand-in driver
# package in C:\UsbMac.
#   With a display ($DISPLAY set) the station opens there for the operator.
#   Without one it runs on a virtual display, where station-demo drives one lot through the
#   real window; the pictures of each window go to ./screenshots/.
# Afterwards `benchctl show` prints what every adapter holds. Run it again to program the
# next lot of the range (the bench is a fresh set of 4 adapters each time).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

# Only what the main job needs: benchctl, the programs and the stand-in driver package (what
# setup.sh builds), and station-demo, which drives one lot on a virtual display.
"$top/scripts/setup.sh" station-demo

station="$top/build/station"
prefix="$station/wineprefix"
bench="$station/bench.txt"
benchctl="$top/build/native/bench/benchctl"
wine=/usr/lib/wine/wine64
mkdir -p "$station"
"$top/scripts/wine-prefix.sh" "$prefix"

# A fresh lot: 4 adapters as they come from the factory.
"$benchctl" "$bench" create 4 >/dev/null

# The driver package folder of the Windows drive, with the training EthTester beside it (the
# training station looks for EthTesterTraining.exe in its current directory first, then there).
usbmac="$prefix/drive_c/UsbMac"
mkdir -p "$usbmac"
cp "$top"/build/windows/UsbMac/* "$usbmac/"
launch=0
if [ -f "$top/build/windows/resources/EthTesterTraining.exe" ]; then
  cp "$top/build/windows/resources/EthTesterTraining.exe" "$usbmac/"
  launch=1
fi

# The station's options: the address list after each lot, EthTester in automatic mode before
# it (register and quick loopback tests) when EthTester is there.
printf '%s\r\n' "[TESTITEMS]" "Register=1" "QuickLoopback=1" "LongLoopback=0" "ExternalLoopback=0" \
  "[LOGFLAG]" "Enable=0" \
  "[EPROMUTILITY]" "OverWriteAddress=0" "DisplayMacAddresses=1" "LaunchDiagnosticApp=$launch" \
  >"$prefix/drive_c/windows/EthernetDiagnostic.ini"

export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" KORUSBMAC_BENCH="$bench"
managed() {  # Managed=Y lets a desktop's window manager frame the windows; N spares Xvfb its stalls
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d "$1" /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
}

if [ -n "${DISPLAY:-}" ]; then
  echo "run-station: ProgStation (training) opens on $DISPLAY with a bench of 4 adapters ($bench)"
  managed Y
  (cd "$station" && "$wine" "$top/build/windows/resources/ProgStationTraining.exe") || true
  /usr/lib/wine/wineserver -w
  managed N
else
  echo "run-station: no display; one lot through the real window on a virtual display"
  rm -rf "$top/screenshots"
  mkdir -p "$top/screenshots"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$top/scripts/in-wine-session.sh" "$prefix" \
    "$wine" "$top/build/windows/tests/wine/progstation/station-demo.exe" \
    "$top/build/windows/resources/ProgStationTraining.exe" "$station" "$top/screenshots"
  for picture in "$top"/screenshots/*.bmp; do
    [ -e "$picture" ] || continue
    convert "$picture" "${picture%.bmp}.png" && rm -f "$picture"
  done
  echo "run-station: pictures of the windows in screenshots/"
fi

echo "run-station: the bench afterwards (benchctl show):"
"$benchctl" "$bench" show
