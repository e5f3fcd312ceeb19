#!/usr/bin/env bash
# run-tests.sh: sets everything up and runs every test: the native unit tests, then the
# Windows build's tests under Wine on a virtual display. Ends with one summary line.
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

"$top/scripts/setup.sh" || { echo "0 passed, 1 failed: build"; exit 1; }

jobs=$(nproc)
logdir="$top/build/test-logs"
mkdir -p "$logdir"

# ctest prints "N% tests passed, F tests failed out of T"; add them up for the closing line.
passed=0 failed=0
count() {
  local line total f
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$1" | tail -n 1)
  [ -n "$line" ] || { failed=$((failed + 1)); return; }
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  f=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$line")
  passed=$((passed + total - f)); failed=$((failed + f))
}

echo "== native unit tests"
ctest --test-dir build/native -j "$jobs" --output-on-failure 2>&1 | tee "$logdir/native.log"
count "$logdir/native.log"

echo "== threading tests under ThreadSanitizer"
# The test run's worker threads share state with the user-interface thread; ThreadSanitizer
# checks it. High mmap randomisation breaks its runtime, hence setarch -R.
cmake -S . -B build/tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS="-fsanitize=thread" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" >/dev/null
# The bench's tests of two threads and two writers sharing one bench file run there too.
if cmake --build build/tsan -j "$jobs" --target test_ethtester test_bench >"$logdir/tsan-build.log" 2>&1; then
  tsan_runs=("build/tsan/tests/unit/ethtester/test_ethtester --gtest_filter=TestRunTest.*:DiagnosticsDialogTest.*"
             "build/tsan/tests/unit/bench/test_bench --gtest_filter=BenchFileFixture.concurrentWritersLoseNoChange:BenchFileFixture.requestsFromTwoThreadsOfOneProgramAreSerialised")
  for tsan_run in "${tsan_runs[@]}"; do
    # shellcheck disable=SC2086  # the command and its filter, split at the blank
    setarch "$(uname -m)" -R $tsan_run 2>&1 | tee "$logdir/tsan.log" | tail -n 3
    tsan_status=${PIPESTATUS[0]}
    n=$(grep -cE '^\[       OK \]' "$logdir/tsan.log")
    if [ "$tsan_status" = 0 ]; then passed=$((passed + n)); else failed=$((failed + 1)); echo "ThreadSanitizer run failed (status $tsan_status)"; fi
  done
else
  tail -n 30 "$logdir/tsan-build.log"; failed=$((failed + 1))
fi

echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The same tests built with both sanitizers; any finding ends its test with a failure.
asan=${LT_ASAN_BUILD:-build/asan}
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_CXX_FLAGS="-O1 -g -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
if cmake --build "$asan" -j "$jobs" >"$logdir/asan-build.log" 2>&1; then
  ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
  UBSAN_OPTIONS=print_stacktrace=1 \
    setarch "$(uname -m)" -R ctest --test-dir "$asan" -j "$jobs" --output-on-failure 2>&1 | tee "$logdir/asan.log" | tail -n 3
  count "$logdir/asan.log"
else
  tail -n 30 "$logdir/asan-build.log"; failed=$((failed + 1))
fi

echo "== fuzzers (briefly; scripts/run-fuzzers.sh SECONDS for longer runs)"
# Each fuzzer counts as one test.
LT_FUZZ_BUILD=${LT_FUZZ_BUILD:-build/fuzz} "$top/scripts/run-fuzzers.sh" "${LT_FUZZ_SECONDS:-10}" 2>&1 | tee "$logdir/fuzz.log"
passed=$((passed + $(grep -cE '^fuzzer .*: ok' "$logdir/fuzz.log")))
failed=$((failed + $(grep -cE '^fuzzer .*: FAILED' "$logdir/fuzz.log")))
grep -qE '^fuzzer ' "$logdir/fuzz.log" || failed=$((failed + 1))

echo "== Windows build under Wine"
prefix="$top/build/windows/wineprefix"
"$top/scripts/wine-prefix.sh" "$prefix"
xvfb-run -a -s "-screen 0 1280x1024x24" "$top/scripts/in-wine-session.sh" "$prefix" \
  ctest --test-dir build/windows --output-on-failure 2>&1 | tee "$logdir/windows.log"
count "$logdir/windows.log"

echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
