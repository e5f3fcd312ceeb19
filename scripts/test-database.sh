#!/usr/bin/env bash
# test-database.sh: starts and stops a PostgreSQL server of the tests' own (a cluster in a temporary folder, on a free port of 127.0.0.1).
# Usage: scripts/test-database.sh start DIR    starts it; DIR/connection.txt then holds the
#                                              ODBC connection string of its test database
#        scripts/test-database.sh stop DIR     stops it and removes the cluster
#        scripts/test-database.sh pause DIR    stops the server only (tests of a lost server)
#        scripts/test-database.sh resume DIR   starts it again on the same port
# The cluster lives in a folder of its own under /tmp owned by the `postgres` user when this
# runs as root (the server refuses to run as root); DIR (normally in the build tree) holds
# only the connection string and the cluster's path. The test role `lt_test` (password
# `lt_test`, allowed to create databases) owns the database `lt_ledger`; clients reach the
# server over TCP with a password (scram-sha-256), the script itself over the cluster's
# Unix socket. A `start` on a DIR whose server still runs stops that one first.
set -euo pipefail

bin=${LT_POSTGRES_BIN:-/usr/lib/postgresql/15/bin}
command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { sed -n '2,7p' "$0" >&2; exit 2; }

as_server() {
  if [ "$(id -u)" = 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

cluster_of() { [ -f "$dir/cluster" ] && cat "$dir/cluster" || true; }

stop_server() {
  local cluster
  cluster=$(cluster_of)
  if [ -n "$cluster" ] && [ -d "$cluster/data" ]; then
    as_server "$bin/pg_ctl" -D "$cluster/data" -m fast -w stop >/dev/null 2>&1 || true
  fi
}

start_server() {  # start_server CLUSTER PORT: 0 when it runs
  as_server "$bin/pg_ctl" -D "$1/data" -l "$1/server.log" -w -t 60 \
    -o "-p $2 -k $1 -c listen_addresses=127.0.0.1" start >/dev/null 2>&1
}

port_in_use() { ss -Htln "sport = :$1" 2>/dev/null | grep -q .; }

case "$command" in
start)
  [ -x "$bin/initdb" ] || { echo "test-database: no PostgreSQL server in $bin (Debian package postgresql)" >&2; exit 1; }
  stop_server
  old=$(cluster_of)
  [ -n "$old" ] && rm -rf "$old"
  mkdir -p "$dir"
  rm -f "$dir/connection.txt" "$dir/cluster" "$dir/port"
  cluster=$(mktemp -d /tmp/lt-test-database.XXXXXX)
  chmod 700 "$cluster"
  [ "$(id -u)" = 0 ] && chown postgres:postgres "$cluster"
  echo "$cluster" >"$dir/cluster"
  as_server "$bin/initdb" -D "$cluster/data" -U postgres -E UTF8 --no-locale --no-sync \
    --auth-local=trust --auth-host=scram-sha-256 >"$dir/initdb.log" 2>&1 ||
    { cat "$dir/initdb.log" >&2; exit 1; }
  port=""
  for _ in $(seq 1 20); do
    candidate=$((20000 + RANDOM % 40000))
    port_in_use "$candidate" && continue
    if start_server "$cluster" "$candidate"; then port=$candidate; break; fi
    # Taken between the look and the start, most likely: try another.
  done
  [ -n "$port" ] || { echo "test-database: the server did not start" >&2; cat "$cluster/server.log" >&2 || true; exit 1; }
  echo "$port" >"$dir/port"
  psql=(as_server "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h "$cluster" -p "$port" -U postgres -d postgres)
  "${psql[@]}" -c "CREATE ROLE lt_test LOGIN CREATEDB PASSWORD 'lt_test'" \
               -c "CREATE DATABASE lt_ledger OWNER lt_test" >/dev/null
  # CommLog=0: Debian's odbcinst.ini turns psqlODBC's communication log on, which would leave
  # a log file in /tmp for every process that connects.
  echo "Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=lt_ledger;Uid=lt_test;Pwd=lt_test;CommLog=0" \
    >"$dir/connection.txt"
  echo "test-database: PostgreSQL on 127.0.0.1:$port ($cluster)"
  ;;
stop)
  stop_server
  cluster=$(cluster_of)
  [ -n "$cluster" ] && rm -rf "$cluster"
  rm -f "$dir/connection.txt" "$dir/cluster" "$dir/port" "$dir/initdb.log"
  echo "test-database: stopped"
  ;;
pause)
  stop_server
  ;;
resume)
  cluster=$(cluster_of)
  [ -n "$cluster" ] && [ -f "$dir/port" ] || { echo "test-database: nothing to resume in $dir" >&2; exit 1; }
  start_server "$cluster" "$(cat "$dir/port")" || { cat "$cluster/server.log" >&2; exit 1; }
  ;;
*)
  sed -n '2,7p' "$0" >&2
  exit 2
  ;;
esac
