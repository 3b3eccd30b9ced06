#!/usr/bin/env bash
# The release build: the one run.sh starts the program from and the one test.sh tests, made here
# so that both use the same folder and flags (a user runs the build the tests ran, and neither
# command makes the other rebuild). Warnings are errors: the compiler the Debian packages bring
# (scripts/install-deps.sh) builds this tree without any.
# Builds the targets named, or everything.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORX_BENCH=OFF -DQUORX_WERROR=ON >/dev/null
if (($#)); then
  cmake --build "$build" --target "$@"
else
  cmake --build "$build"
fi
