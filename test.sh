#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test
# under a virtual X display of its own, then runs every test again on the release build run.sh
# makes (built with warnings as errors), fuzzes the remote command processor, and builds the
# threaded network tests with ThreadSanitizer and runs them again. Ends with one line counting
# every test run, "N passed, N failed" (", N skipped" when any were), and exits non-zero on any
# failure.
set -euo pipefail
cd "$(dirname "$0")"

bash scripts/install-deps.sh

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORX_SANITIZE=ON -DQUORX_WERROR=ON
cmake --build "$build"

# Xvfb chooses a free display number itself and writes it to us once it accepts clients, so two
# runs on one machine never race for the same display. Everything started here is stopped however
# this script ends.
# -noreset: by default the server resets whenever its last client leaves, and drops every
# connection made while it resets; the GUI test programs take turns, so each would find the
# server resetting after the one before and now and then abort with "could not connect to display".
# Two displays: the tests run on one with a window manager (openbox), which frames every window as
# an operator's desktop does; the window-place tests run once more on a bare one without any
# ($QUORX_BARE_DISPLAY), where a window has no frame, and a third time there under a window manager
# of the tests' own that frames nothing and never answers a request for frame extents.
started_pids=()
workdir=$(mktemp -d)
stop_display() {
  local i
  for ((i = ${#started_pids[@]} - 1; i >= 0; i--)); do
    kill "${started_pids[i]}" 2>/dev/null || true
    wait "${started_pids[i]}" 2>/dev/null || true
  done
  rm -rf "$workdir"
}
trap stop_display EXIT
# start_display NAME: starts an Xvfb and sets the variable NAME to its display (":N").
start_display() {
  local fifo="$workdir/$1.fifo" number
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" 2>"$workdir/$1.log" &
  started_pids+=($!)
  if ! read -r -t 30 number <"$fifo" || [[ -z $number ]]; then
    echo "test.sh: the virtual X server did not start:" >&2
    cat "$workdir/$1.log" >&2
    exit 1
  fi
  printf -v "$1" ':%s' "$number"
}
start_display DISPLAY
start_display QUORX_BARE_DISPLAY
export DISPLAY QUORX_BARE_DISPLAY

# The window manager is up once it names its check window on the root window; the tests do not
# start before, and not at all without it.
openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
started_pids+=($!)
for ((tries = 0; tries < 300; tries++)); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  if ! kill -0 "${started_pids[-1]}" 2>/dev/null || ((tries == 299)); then
    echo "test.sh: the window manager (openbox) did not start on $DISPLAY:" >&2
    cat "$workdir/openbox.log" >&2
    exit 1
  fi
  sleep 0.1
done

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=xcb

# Every stage below runs even after a stage before it failed, so that one run shows every failure.
# Each test a stage runs is counted (a ctest test, the fuzzer's run), a stage that cannot run its
# tests (its build failed) counts as one failed test, and the closing line sums them all.
passed=0
failed=0
skipped=0
failures=()

count_failure() {
  failed=$((failed + 1))
  failures+=("$1")
}

# ctest in a build folder, its tests counted from its JUnit report.
run_ctest() {
  local name=$1 folder=$2
  shift 2
  local report="$workdir/ctest-${name// /-}.xml"
  rm -f "$report"
  local status=0
  ctest --test-dir "$folder" --output-on-failure --output-junit "$report" "$@" || status=$?
  if [[ ! -s $report ]]; then
    count_failure "$name: ctest ended without a report (status $status)"
    return
  fi
  local run fail notrun
  read -r run fail notrun < <(awk '{ run += gsub(/status="run"/, ""); fail += gsub(/status="fail"/, "")
                                     notrun += gsub(/status="(notrun|disabled)"/, "") }
                                   END { print run + 0, fail + 0, notrun + 0 }' "$report")
  passed=$((passed + run))
  skipped=$((skipped + notrun))
  failed=$((failed + fail))
  if ((fail > 0)); then
    failures+=("$name: $fail of $((run + fail + notrun)) tests failed")
  elif ((status != 0)); then
    count_failure "$name: ctest failed (status $status)"
  fi
}

run_ctest "sanitizer build" "$build" -j "$(nproc)" "$@"

# The release build run.sh makes (the same folder and flags), so that the build a user runs is one
# the tests ran on.
release=build/release
if bash scripts/release-build.sh; then
  run_ctest "release build" "$release" -j "$(nproc)" "$@"
else
  count_failure "release build: it did not build"
fi

# The remote command processor under the fuzzer for 60 s on virtual cards, with the address and
# undefined-behaviour sanitizers: libFuzzer in a clang build of its own when clang is there, else
# the plain driver of the build above. Any finding fails the run.
corpus="$workdir/remote_command_corpus"
if command -v clang++ >/dev/null 2>&1; then
  fuzz=build/fuzz
  fuzzer=("$fuzz/remote_command_fuzz" -max_total_time=60 -max_len=2404 -timeout=30 -print_final_stats=1 "$corpus")
  CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORX_SANITIZE=ON -DQUORX_FUZZ=ON \
    -DQUORX_BENCH=OFF && cmake --build "$fuzz" --target remote_command_fuzz &&
    "$fuzz/remote_command_fuzz" --write-seeds "$corpus" && fuzz_ready=1 || fuzz_ready=0
else
  fuzzer=("$build/remote_command_fuzz_driver" 60)
  fuzz_ready=1
fi
if ((fuzz_ready == 0)); then
  count_failure "fuzzer: it did not build"
elif "${fuzzer[@]}"; then
  passed=$((passed + 1))
else
  count_failure "fuzzer: the run failed"
fi

# ThreadSanitizer cannot share a build with AddressSanitizer: a second build of just the network
# tests' program (the receive thread and its callers), run with any report failing the test.
tsan=build/tsan
if cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORX_TSAN=ON -DQUORX_WERROR=ON -DQUORX_BENCH=OFF &&
  cmake --build "$tsan" --target net_tests; then
  TSAN_OPTIONS=halt_on_error=1 run_ctest "thread sanitizer build" "$tsan" -R '^net\.' -j "$(nproc)"
else
  count_failure "thread sanitizer build: it did not build"
fi

echo
for failure in "${failures[@]}"; do echo "test.sh: $failure"; done
summary="$passed passed, $failed failed"
((skipped == 0)) || summary+=", $skipped skipped"
echo "$summary"
((failed == 0))
