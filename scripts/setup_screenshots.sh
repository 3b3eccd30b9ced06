#!/bin/sh
# Pictures of the setup pages on virtual cards, as the X server draws them with its fonts:
# docs/screenshots/setup_<page>_<family>.png. Needs the test build (build/test) and xvfb-run.
set -eu
cd "$(dirname "$0")/.."
folder="$(pwd)/docs/screenshots"
QUORX_SCREENSHOT_FOLDER="$folder" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
  xvfb-run -a -s "-screen 0 1280x1024x24" build/test/ui_setup_tests --gtest_filter='Families/ScreenshotTest.*'
ls -1 "$folder"/setup_*.png
