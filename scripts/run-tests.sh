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
if cmake --build build/tsan -j "$jobs" --target test_ethtester >"$logdir/tsan-build.log" 2>&1; then
  tsan_run=(build/tsan/tests/unit/ethtester/test_ethtester --gtest_filter='TestRunTest.*:DiagnosticsDialogTest.*')
  setarch "$(uname -m)" -R "${tsan_run[@]}" 2>&1 | tee "$logdir/tsan.log" | tail -n 3
  tsan_status=${PIPESTATUS[0]}
  n=$(grep -cE '^\[       OK \]' "$logdir/tsan.log")
  if [ "$tsan_status" = 0 ]; then passed=$((passed + n)); else failed=$((failed + 1)); echo "ThreadSanitizer run failed (status $tsan_status)"; fi
else
  tail -n 30 "$logdir/tsan-build.log"; failed=$((failed + 1))
fi

echo "== Windows build under Wine"
prefix="$top/build/windows/wineprefix"
"$top/scripts/wine-prefix.sh" "$prefix"
xvfb-run -a -s "-screen 0 1280x1024x24" "$top/scripts/in-wine-session.sh" "$prefix" \
  ctest --test-dir build/windows --output-on-failure 2>&1 | tee "$logdir/windows.log"
count "$logdir/windows.log"

echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
