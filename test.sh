#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and runs every test
# under a virtual X display of its own, then builds the threaded network tests with
# ThreadSanitizer and runs them again. Exits non-zero on any failure.
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
# ($QUORX_BARE_DISPLAY), where a window has no frame.
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
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" "$@"

# The remote command processor under the fuzzer for 60 s on virtual cards, with the address and
# undefined-behaviour sanitizers: libFuzzer in a clang build of its own when clang is there, else
# the plain driver of the build above. Any finding fails the run.
if command -v clang++ >/dev/null 2>&1; then
  fuzz=build/fuzz
  CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORX_SANITIZE=ON -DQUORX_FUZZ=ON \
    -DQUORX_BENCH=OFF
  cmake --build "$fuzz" --target remote_command_fuzz
  corpus="$workdir/remote_command_corpus"
  "$fuzz/remote_command_fuzz" --write-seeds "$corpus"
  "$fuzz/remote_command_fuzz" -max_total_time=60 -max_len=2404 -timeout=30 -print_final_stats=1 "$corpus"
else
  "$build/remote_command_fuzz_driver" 60
fi

# ThreadSanitizer cannot share a build with AddressSanitizer: a second build of just the network
# tests' program (the receive thread and its callers), run with any report failing the test.
tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUORX_TSAN=ON -DQUORX_WERROR=ON -DQUORX_BENCH=OFF
cmake --build "$tsan" --target net_tests
TSAN_OPTIONS=halt_on_error=1 ctest --test-dir "$tsan" -R '^net\.' --output-on-failure -j "$(nproc)"
