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
# runs on one machine never race for the same display. It is stopped however this script ends.
# -noreset: by default the server resets whenever its last client leaves, and drops every
# connection made while it resets; the GUI test programs take turns, so each would find the
# server resetting after the one before and now and then abort with "could not connect to display".
xvfb_pid=
workdir=$(mktemp -d)
stop_display() {
  if [[ -n $xvfb_pid ]]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$workdir"
}
trap stop_display EXIT
mkfifo "$workdir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$workdir/display" 2>"$workdir/xvfb.log" &
xvfb_pid=$!
if ! read -r -t 30 number <"$workdir/display" || [[ -z $number ]]; then
  echo "test.sh: the virtual X server did not start:" >&2
  cat "$workdir/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$number"

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
