#!/usr/bin/env bash
# run-tests.sh: sets everything up and runs every test: the native unit tests (also under
# ThreadSanitizer and AddressSanitizer), the fuzzers briefly, then the Windows build's tests
# under Wine on a virtual display. Every tree is configured from CMakePresets.json, the
# native, Windows and sanitizer trees with warnings as errors. Ends with one summary line,
# "N passed, N failed".
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

"$top/scripts/setup.sh" --packages || { echo "0 passed, 1 failed: packages"; exit 1; }

jobs=$(nproc)
logdir="$top/build/test-logs"
mkdir -p "$logdir"
rm -f "$logdir"/*.xml

passed=0 failed=0
# Adds the counts of one ctest run, read from the JUnit file it wrote (--output-junit), to
# the totals: its testsuite element carries tests, failures, disabled and skipped. A run
# that left no such file, or ran no test at all, counts as one failure.
count() {
  local file=$1 what=$2 suite tests f d s
  suite=$(tr '\n\t' '  ' 2>/dev/null <"$file" | grep -o '<testsuite [^>]*>' | head -n 1)
  attr() { sed -nE "s/.* $1=\"([0-9]+)\".*/\1/p" <<<"$suite"; }
  tests=$(attr tests) f=$(attr failures) d=$(attr disabled) s=$(attr skipped)
  if [ -z "$tests" ] || [ -z "$f" ] || [ "$tests" = 0 ]; then
    echo "$what: no test results"; failed=$((failed + 1)); return
  fi
  passed=$((passed + tests - f - ${d:-0} - ${s:-0})); failed=$((failed + f))
  echo "$what: $((tests - f - ${d:-0} - ${s:-0})) passed, $f failed, $((${d:-0} + ${s:-0})) not run"
}
# build CONFIGURE-PRESET BUILD-PRESET: configures a tree and builds it; a failed build
# counts as one failure.
build() {
  local log="$logdir/$2-build.log"
  if cmake --preset "$1" >"$log" 2>&1 && cmake --build --preset "$2" -j "$jobs" >>"$log" 2>&1; then
    return 0
  fi
  grep -E 'error|Error' "$log" | head -n 20; tail -n 10 "$log"
  echo "$2: the build failed (log: $log)"
  failed=$((failed + 1))
  return 1
}

echo "== native unit tests"
if build native-strict native; then
  ctest --preset native -j "$jobs" --output-junit "$logdir/native.xml" 2>&1 | tee "$logdir/native.log"
  count "$logdir/native.xml" "native unit tests"
fi

echo "== threading tests under ThreadSanitizer"
# The tests labelled threads (ctest -L): the test run's worker threads share state with the
# user-interface thread, and threads and writers share one bench file. High mmap
# randomisation breaks the sanitizer runtime, hence setarch -R.
if build tsan tsan; then
  setarch "$(uname -m)" -R ctest --preset tsan -j "$jobs" --output-junit "$logdir/tsan.xml" >"$logdir/tsan.log" 2>&1
  tail -n 3 "$logdir/tsan.log"
  count "$logdir/tsan.xml" "ThreadSanitizer"
fi

echo "== native unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
# The same tests built with both sanitizers; any finding ends its test with a failure.
if build asan asan; then
  setarch "$(uname -m)" -R ctest --preset asan -j "$jobs" --output-junit "$logdir/asan.xml" >"$logdir/asan.log" 2>&1
  tail -n 3 "$logdir/asan.log"
  count "$logdir/asan.xml" "AddressSanitizer"
fi

echo "== fuzzers (briefly; scripts/run-fuzzers.sh SECONDS for longer runs)"
# Each fuzzer counts as one test.
"$top/scripts/run-fuzzers.sh" "${LT_FUZZ_SECONDS:-10}" 2>&1 | tee "$logdir/fuzz.log"
passed=$((passed + $(grep -cE '^fuzzer .*: ok' "$logdir/fuzz.log")))
failed=$((failed + $(grep -cE '^fuzzer .*: FAILED' "$logdir/fuzz.log")))
grep -qE '^fuzzer ' "$logdir/fuzz.log" || failed=$((failed + 1))

echo "== Windows build under Wine"
# Built last, so that a failed cross build still leaves every native result counted.
if build windows-strict windows; then
  prefix="$top/build/windows/wineprefix"
  "$top/scripts/wine-prefix.sh" "$prefix"
  xvfb-run -a -s "-screen 0 1280x1024x24" "$top/scripts/in-wine-session.sh" "$prefix" \
    ctest --preset windows --output-junit "$logdir/windows.xml" 2>&1 | tee "$logdir/windows.log"
  count "$logdir/windows.xml" "Windows build under Wine"
fi

echo
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
