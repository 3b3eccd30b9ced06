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
ls -1 "$folder"
