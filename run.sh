#!/usr/bin/env bash
# Runs QuorxL on two virtual receiver cards: installs what is missing, builds a release build,
# prepares the program folder ./program (libraries, FPGA images, virtual hardware, restart
# script) and starts the program there. Arguments are passed to the program.
set -euo pipefail
cd "$(dirname "$0")"
root=$(pwd)

bash scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUORX_BENCH=OFF >/dev/null
cmake --build "$build" --target QuorxL quorx_sim_zp90 quorx_sim_kr12 quorx_sim_kr14 quorx_make_fpga_images

program=$root/program
mkdir -p "$program"/SYSTEM/ERLOGS "$program"/SYSTEM/HARDWARECONFIGURATION/KR20_BIN \
         "$program"/USER/SETUPFILES "$program"/USER/ARCHIVEDATA "$program"/USERTOOLS
cp -f "$build"/QuorxL "$program"/
cp -f "$build"/devicesim/librtZp903x.so "$build"/devicesim/libKr12V2_Dll.so "$build"/devicesim/libKr14P3_Dll.so \
      "$program"/
"$build"/devicesim/quorx_make_fpga_images "$program"/SYSTEM/HARDWARECONFIGURATION/KR20_BIN

# The operator's own virtual hardware is kept once it exists.
if [[ ! -f "$program"/VirtualHardware.cfg ]]; then
  cat >"$program"/VirtualHardware.cfg <<'CFG'
; The simulated hardware QuorxL runs on: two receiver cards, one converter card of each type.
[General]
Cards=2
Seed=1
ChipVariant=NO

; Each card powers up running a personality: 0 PSK-PSK, 2 FM-FM.
[Card_0]
FpgaMode=0
IfInput1=70e6, -40, SOQPSK_TG, 5e6, 14, NRZL
IfInput2=70e6, -45, SOQPSK_TG, 5e6, 12, NRZL

[Card_1]
FpgaMode=2
IfInput1=70e6, -42, PCM_FM, 2e6, 13, NRZL
IfInput2=70e6, -42, PCM_FM, 2e6, 13, NRZL

[DownConverters]
Kr12Cards=1
Kr12Channels=2
Kr14Cards=1
Kr14Channels=2
CFG
fi

# The program restarts itself through this script; "restart" makes the new copy wait for the old.
cat >"$program"/RunQuorxLApp.sh <<'SH'
#!/bin/sh
cd "$(dirname "$0")" || exit 1
exec ./QuorxL restart
SH
chmod +x "$program"/RunQuorxLApp.sh

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
