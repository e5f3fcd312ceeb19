#!/usr/bin/env bash
# run-fuzzers.sh: builds the libFuzzer targets of fuzz/ in the fuzz tree (the fuzz preset:
# clang, AddressSanitizer and UndefinedBehaviorSanitizer) and runs each for SECONDS on a copy
# of its seed corpus.
# Usage: scripts/run-fuzzers.sh [SECONDS] [TARGET...]   (default 60 s, every target)
#   LT_FUZZ_BUILD  build folder (default build/fuzz, the preset's)
# Prints one line per target, "fuzzer NAME: ok" or "fuzzer NAME: FAILED"; a crash leaves
# its input in the build folder's crashes/NAME/ (reproduce: the fuzzer binary with that file).
# Exits non-zero when a target failed to build or found something.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

seconds=${1:-60}
shift || true
build=${LT_FUZZ_BUILD:-build/fuzz}
targets=("$@")
if [ ${#targets[@]} = 0 ]; then  # every target: one per fuzz/NAME_fuzzer.cpp
  for source in fuzz/*_fuzzer.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name%_fuzzer}")
  done
fi

mkdir -p "$build"
# A tree configured from another source folder than this one is configured afresh.
if [ -f "$build/CMakeCache.txt" ] && ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$top" "$build/CMakeCache.txt"; then
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
fi
if ! cmake --preset fuzz -B "$build" >"$build/configure.log" 2>&1; then
  tail -n 20 "$build/configure.log"
  for t in "${targets[@]}"; do echo "fuzzer $t: FAILED (configure)"; done
  exit 1
fi
names=()
for t in "${targets[@]}"; do names+=("${t}_fuzzer"); done
if ! cmake --build "$build" -j "$(nproc)" --target "${names[@]}" >"$build/build.log" 2>&1; then
  tail -n 30 "$build/build.log"
  for t in "${targets[@]}"; do echo "fuzzer $t: FAILED (build)"; done
  exit 1
fi

status=0
for t in "${targets[@]}"; do
  work="$build/corpus/$t"     # the seeds plus what this run found; the repo's seeds stay as they are
  crashes="$build/crashes/$t"
  mkdir -p "$work" "$crashes"
  cp -n "fuzz/corpus/$t/"* "$work/" 2>/dev/null
  log="$build/$t.log"
  # High mmap randomisation breaks the sanitizer runtime on some kernels, hence setarch -R.
  if setarch "$(uname -m)" -R "$build/fuzz/${t}_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
       -rss_limit_mb=1024 -artifact_prefix="$crashes/" -print_final_stats=1 "$work" >"$log" 2>&1; then
    runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -oE '[0-9]+$')
    echo "fuzzer $t: ok (${runs:-?} inputs in ${seconds} s)"
  else
    echo "fuzzer $t: FAILED"
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -n 5
    status=1
  fi
done
exit $status
