#!/usr/bin/env bash
# With the maker's suite installed: the suite line replaces the download link, DOWNLOAD is
# disabled and shows its disabled picture; dragging a free spot moves the window. Then Escape right
# after SCAN: the scan waits for the question and Yes ends it with "Scanning terminated".
#   suite.sh BUILD_TREE
set -uo pipefail
VS_SRC=$(cd "$(dirname "$0")/../../.." && pwd)
VS_TREE=$(cd "$1" && pwd)
source "$VS_SRC/tests/wine/ui/lib.sh"
ui_need_display "$@"

work=$VS_TREE/ui-tests/suite
rm -rf "$work"
mkdir -p "$work"
ui_run_driver suite "$work/driver.log" "$work/shots"
driver=$?
ui_check "$driver" "the driver's checks (exit code $driver)"

shot=$work/shots/suite.png
if [ -f "$shot" ]; then
  ui_expect_picture "$work/driver.log" "$shot" download download_disable.bmp "the disabled DOWNLOAD shows its disabled picture"
  ui_expect_text_pixels "$shot" "$work/driver.log" suite black "the suite line is written"
else
  ui_check 1 "a screenshot with the suite was taken"
fi
echo "screenshots: $work/shots"
exit $((ui_failures > 0))
