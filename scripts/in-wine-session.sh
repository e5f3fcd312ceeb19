#!/usr/bin/env bash
# in-wine-session.sh PREFIX COMMAND...: runs COMMAND with Wine's server and services already up
# in PREFIX, then ends every Wine process of that prefix.
# Wine's helper processes (services, explorer, plugplay) outlive the program that started
# them; started here with no inherited output, they cannot hold a caller's pipe (ctest's)
# open, and one persistent server spares each test the start-up of a new one.
set -uo pipefail
prefix=$(cd "${1:?usage: in-wine-session.sh PREFIX COMMAND...}" && pwd)
shift
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
/usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null || true
/usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null
/usr/lib/wine/wine64 wineboot >/dev/null 2>&1 </dev/null
"$@"
rc=$?
/usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null || true
exit $rc
