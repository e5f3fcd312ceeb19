#!/usr/bin/env bash
# shared_stations_e2e.sh: two training stations under Wine, each in a Wine prefix of its own
# with a bench of its own, share one range on the test server's ledger and alternate its lots
# through their windows; the server paused at a press of each stops it with nothing programmed,
# and the lots go on once it runs again.
#
# Usage: shared_stations_e2e.sh WORK TREE-PREFIX PROGSTATION.EXE SHARED-STATION.EXE INF DATABASE-DIR
#   WORK          the test's folder: the two prefixes (copied once from TREE-PREFIX and kept
#                 there, or made with wine-prefix.sh when TREE-PREFIX is not ready), benches,
#                 cartons and the stations' output
#   DATABASE-DIR  the test server's folder (scripts/test-database.sh)
# Each station's prefix gets a Wine server of its own; shared-station.exe, run in the
# station's prefix, performs one operator action there and checks what the window, the bench
# and the server show. The script ends the Wine processes of both prefixes when it stops.
set -euo pipefail
work=$1 tree_prefix=$2 exe=$3 driver=$4 inf=$5 database=$6
top=$(cd "$(dirname "$0")/../../.." && pwd)
wine=/usr/lib/wine/wine64
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LT_TEST_DATABASE="Z:$database"  # the server's folder as the programs under Wine name it

# The range both stations draw from: 14 addresses, lots of 4 at A and 3 at B.
start=00-1B-4E-7A-03-00 count=14
stations=(a b)
declare -A name=([a]=LINE-A [b]=LINE-B)

winpath() { printf 'Z:%s' "${1//\//\\}"; }
prefix() { printf '%s/%s/prefix' "$work" "$1"; }
in_prefix() {  # in_prefix STATION COMMAND...: COMMAND with the station's prefix
  local s=$1; shift
  WINEPREFIX=$(prefix "$s") "$@"
}
say() { printf 'shared-stations: %s\n' "$*"; }

paused=0
finish() {
  local rc=$?
  if [ "$paused" = 1 ]; then bash "$top/scripts/test-database.sh" resume "$database" || true; fi
  for s in "${stations[@]}"; do
    [ -d "$(prefix "$s")" ] && in_prefix "$s" /usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null || true
  done
  if [ "$rc" = 0 ]; then say "passed"; else say "FAILED (the stations' output: $work/*/station.log)"; fi
  exit "$rc"
}
trap finish EXIT

# One action of shared-station.exe in the station's prefix, its lines marked with the station.
act() {
  local s=$1; shift
  in_prefix "$s" "$wine" "$driver" "$@" </dev/null | sed -u "s/^/[${name[$s]}] /"
}
# press STATION ADAPTERS EXPECT: the next lot of STATION with ADAPTERS fresh adapters.
press() {
  local s=$1
  say "${name[$s]}: a lot of $2 adapters, expecting: $3"
  act "$s" press "$(winpath "$work/$s/bench.txt")" "$(winpath "$work/$s/carton.txt")" "$connection" \
    "${name[$s]}" "$start" "$count" "$2" "$3"
}

# ---- The prefixes: the tree's prepared prefix copied once, then kept for later runs.
began=$(date +%s%N)
for s in "${stations[@]}"; do
  p=$(prefix "$s")
  if [ ! -f "$p/.lt-ready" ]; then
    rm -rf "$p" "$p.new"
    mkdir -p "$work/$s"
    if [ -f "$tree_prefix/.lt-ready" ]; then
      cp -a "$tree_prefix" "$p.new"
      mv "$p.new" "$p"
    else
      "$top/scripts/wine-prefix.sh" "$p"
    fi
  fi
done
say "[ figure   ] both prefixes ready in $((($(date +%s%N) - began) / 1000000)) ms"

# ---- Each station's Wine server, started before anything runs in its prefix.
for s in "${stations[@]}"; do
  in_prefix "$s" /usr/lib/wine/wineserver -k >/dev/null 2>&1 </dev/null || true
  in_prefix "$s" /usr/lib/wine/wineserver -p >/dev/null 2>&1 </dev/null
  in_prefix "$s" "$wine" wineboot >/dev/null 2>&1 </dev/null
done
say "[ figure   ] both Wine servers up in $((($(date +%s%N) - began) / 1000000)) ms"

connection=$(in_prefix a "$wine" "$driver" schema lt_wine_shared_stations </dev/null | tr -d '\r')
say "ledger server: $(sed 's/Pwd=[^;]*/Pwd=***/' <<<"$connection")"

# ---- The stations: own settings, bench and stand-in driver package; the same Connection.
for s in "${stations[@]}"; do
  windows=$(prefix "$s")/drive_c/windows
  rm -f "$windows"/{EpromData.ini,EthernetDiagnostic.ini,Customize.ini,Password.dat,Password.dat.new,AddressLedger.csv}
  mkdir -p "$(prefix "$s")/drive_c/UsbMac"
  cp "$inf" "$(prefix "$s")/drive_c/UsbMac/"
  printf '%s\r\n' "[EPROMUTILITY]" "OverWriteAddress=0" "DisplayMacAddresses=0" "LaunchDiagnosticApp=0" \
    "[LEDGER]" "StationName=${name[$s]}" "Connection=$connection" >"$windows/EthernetDiagnostic.ini"
  rm -f "$work/$s/carton.txt" "$work/$s/station.log"
  act "$s" bench "$(winpath "$work/$s/bench.txt")" create 0
  (cd "$work/$s" && KORUSBMAC_BENCH=$(winpath "$work/$s/bench.txt") WINEPREFIX=$(prefix "$s") \
    exec "$wine" "$exe" </dev/null >"$work/$s/station.log" 2>&1) &
done
for s in "${stations[@]}"; do
  say "${name[$s]}: opening"
  act "$s" open
done

# ---- The lots, alternating; the server paused at a press of each station.
press a 4 programmed
press b 3 programmed
say "the ledger server paused"
bash "$top/scripts/test-database.sh" pause "$database"
paused=1
press a 4 unreachable
press b 3 unreachable
bash "$top/scripts/test-database.sh" resume "$database"
paused=0
say "the ledger server resumed"
press a 4 programmed
press b 3 complete
press a 3 shipped

say "both cartons against the range and the server"
act a verify "$connection" "$start" "$count" "$(winpath "$work/a/carton.txt")" "$(winpath "$work/b/carton.txt")"
for s in "${stations[@]}"; do act "$s" exit; done
