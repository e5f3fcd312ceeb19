#!/usr/bin/env bash
# run-station.sh: sets everything up and runs the main job: one lot of 4 simulated adapters
# programmed from the default descriptor settings through the library's programming request.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
"$top/scripts/setup.sh"
mkdir -p build/bench
build/native/bench/program-lot-demo build/bench/demo.txt
