#!/bin/sh
# Takes the pictures in docs/screenshots/ again: the windows on virtual cards as the X server
# draws them with its fonts. Needs the test build (build/test, made by ./test.sh) and xvfb-run.
set -eu
cd "$(dirname "$0")/.."
folder="$(pwd)/docs/screenshots"
run() {
  QUORX_SCREENSHOT_FOLDER="$folder" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
}
# The same under a window manager (openbox), so that the pictures show the windows' frames.
run_desktop() {
  QUORX_SCREENSHOT_FOLDER="$folder" QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
    xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" sh -c '
      openbox --sm-disable & manager=$!
      tries=0
      until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do
        tries=$((tries + 1)); [ "$tries" -lt 300 ] || { echo "openbox did not start" >&2; exit 1; }
        sleep 0.1
      done
      "$@"; status=$?
      kill "$manager"; exit "$status"' sh "$@"
}
run build/test/util_gui_tests --gtest_filter='InputBoxTest.*'
run build/test/ui_cards_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_setup_tests --gtest_filter='Families/ScreenshotTest.*'
run build/test/ui_setup_tests --gtest_filter='TuningPromptTest.*'
run build/test/ui_displays_tests --gtest_filter='StatusPanel*Test.*'
run build/test/ui_bert_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_modulator_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_menus_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_dialogs_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_factory_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_hwdialogs_tests --gtest_filter='ScreenshotTest.*'
run build/test/ui_operator_tests --gtest_filter='WindowPlacesTest.CardWindowsOpenClearOfTheStripsAndOfEachOther'
run_desktop build/test/ui_desktop_tests --gtest_filter='WindowPlacesTest.NewWindowsOpenClearOfEveryWindowOfTheProgram'
ls -1 "$folder"
