#!/usr/bin/env bash
# setup.sh: installs what the build needs (Debian packages, when missing), configures both
# build trees from CMakePresets.json and builds the programs in them:
#   build/native   the portable core, the bench, benchctl and the unit tests (g++)
#   build/windows  the three programs and everything else, cross-compiled with mingw-w64
# The shared ledger's tests need a PostgreSQL server and the ODBC layers (postgresql,
# unixodbc, odbc-postgresql); ctest starts a server of their own (scripts/test-database.sh).
# Usage: scripts/setup.sh [--packages] [TARGET...]   (from anywhere; the tree is this script's parent)
#   Builds benchctl (native tree) and the three programs (and the training builds of two) with the stand-in driver package
#   (Windows tree), and the Windows tree's TARGETs named; the test command builds the rest.
#   --packages  installs the packages only.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

packages=(cmake g++ make googletest libgtest-dev
          g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
          wine64 fonts-wine xvfb xauth x11-utils imagemagick nsis
          clang libclang-rt-14-dev
          postgresql unixodbc unixodbc-dev odbc-postgresql)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[ "${1:-}" = --packages ] && exit 0

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j "$jobs" --target benchctl
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target ProgStation EthTester SetupEditor ProgStationTraining EthTesterTraining standin_Setup standin_MacUnInstall "$@"
