#!/usr/bin/env bash
# wine-prefix.sh PREFIX: creates a Wine prefix for the programs and their tests, once.
# No Mono or Gecko prompt (mscoree and mshtml disabled), and no window manager wait:
# with Managed=N Wine does not stall 2 s whenever a top-level window closes on Xvfb.
set -euo pipefail
prefix=${1:?usage: wine-prefix.sh PREFIX}
mkdir -p "$prefix"
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=/usr/lib/wine/wine64
if [ ! -f "$prefix/.lt-ready" ]; then
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$prefix/.lt-ready"
fi
