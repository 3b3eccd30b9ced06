#!/usr/bin/env bash
# Prepares a program folder for QuorxL on two virtual receiver cards, from a build folder that
# holds QuorxL, its error-log viewer ErLogViewer, the simulated device libraries and the devicesim
# tools:
#   scripts/prepare-program-folder.sh <build folder> <program folder>
# It copies the program, the log viewer and the libraries, writes the FPGA images, the virtual hardware (kept once
# it exists) and the restart script, and gives a new folder's virtual cards start setups that
# match their signals (a folder with a last state or last setup of its own keeps it).
set -euo pipefail
if [[ $# -ne 2 ]]; then
  echo "usage: $0 <build folder> <program folder>" >&2
  exit 1
fi
build=$(cd "$1" && pwd)
mkdir -p "$2"
program=$(cd "$2" && pwd)

mkdir -p "$program"/SYSTEM/ERLOGS "$program"/SYSTEM/HARDWARECONFIGURATION/KR20_BIN \
         "$program"/USER/SETUPFILES "$program"/USER/ARCHIVEDATA "$program"/USERTOOLS
# New files replace the old ones by name: a copy of the program still running keeps its own.
cp --remove-destination "$build"/QuorxL "$build"/ErLogViewer "$program"/
cp --remove-destination "$build"/devicesim/librtZp903x.so "$build"/devicesim/libKr12V2_Dll.so "$build"/devicesim/libKr14P3_Dll.so \
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

# The first start shows receivers at work: the cards start in a state that matches their signals.
# The tool keeps a last state or last setup the folder already has. The libraries read the virtual
# hardware of this folder.
if ! QUORX_SIM_FOLDER="$program" "$build"/devicesim/quorx_make_start_setups "$program"; then
  echo "$0: the virtual cards start with the program's default setup" >&2
fi
