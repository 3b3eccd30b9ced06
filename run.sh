#!/usr/bin/env bash
# Runs QuorxL on two virtual receiver cards: installs what is missing, builds a release build (the
# one test.sh tests: scripts/release-build.sh), prepares the program folder ./program
# (scripts/prepare-program-folder.sh: log viewer, libraries, FPGA images, virtual hardware, restart
# script, the virtual cards' start setups) and starts the program there. Arguments are passed to
# the program.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

bash scripts/install-deps.sh

build=build/release
bash scripts/release-build.sh QuorxL ErLogViewer quorx_sim_zp90 quorx_sim_kr12 quorx_sim_kr14 quorx_make_fpga_images \
     quorx_make_start_setups

program=$root/program
bash scripts/prepare-program-folder.sh "$build" "$program"

cd "$program"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display found; running QuorxL on a virtual screen (xvfb-run)." >&2
  echo "run.sh: its error log is $program/SYSTEM/ERLOGS/QuorxL.log." >&2
  echo "run.sh: Ctrl+C ends it as the end of a desktop session does (positions and options not saved)." >&2
  # A restart starts the new copy before the old one ends: the virtual screen stays while a copy
  # of this session runs.
  exec xvfb-run -a -s "-screen 0 1280x1024x24" bash -c '
    ./QuorxL "$@"
    status=$?
    sleep 1
    while pgrep -s 0 -x QuorxL >/dev/null; do sleep 1; done
    exit $status' run-quorxl "$@"
fi
exec ./QuorxL "$@"
