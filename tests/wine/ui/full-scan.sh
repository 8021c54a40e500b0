#!/usr/bin/env bash
# The whole path a user takes: the tool opens on a machine with infected files, SCAN finds and
# removes them, the report and statistics are shown, a second start ends silently, OK closes it;
# started again, Escape closes it at once.
# Screenshots: the shaped window with its background and skins, before and after the scan.
#   full-scan.sh BUILD_TREE
set -uo pipefail
VS_SRC=$(cd "$(dirname "$0")/../../.." && pwd)
VS_TREE=$(cd "$1" && pwd)
source "$VS_SRC/tests/wine/ui/lib.sh"
ui_need_display "$@"

work=$VS_TREE/ui-tests/full-scan
rm -rf "$work"
mkdir -p "$work/drive_d"
ui_run_driver full-scan "$work/driver.log" "$work/shots" --drive "D=$work/drive_d"
driver=$?
ui_check "$driver" "the driver's checks (exit code $driver)"

idle=$work/shots/idle.png
if [ -f "$idle" ]; then
  ui_expect_background "$work/driver.log" "$idle"
  ui_expect_picture "$work/driver.log" "$idle" scan scan_focus.bmp "SCAN shows its highlighted picture"
  ui_expect_picture "$work/driver.log" "$idle" download download_notfocus.bmp "DOWNLOAD shows its normal picture"
  ui_expect_picture "$work/driver.log" "$idle" close x_notfocus.bmp "X shows its normal picture"
  ui_expect_picture "$work/driver.log" "$idle" dlink dlink_notfocus.bmp "DLINK shows its normal picture"
  ui_expect_picture "$work/driver.log" "$idle" ulink ulink_notfocus.bmp "ULINK shows its normal picture"
  ui_expect_picture "$work/driver.log" "$idle" logo kestrinlogo_notfocus.bmp "the logo shows its normal picture"
  ui_expect_text_pixels "$idle" "$work/driver.log" title white "the title line is written in white"
else
  ui_check 1 "a screenshot of the idle window was taken"
fi
finished=$work/shots/finished.png
if [ -f "$finished" ]; then
  ui_expect_picture "$work/driver.log" "$finished" scan scan_disable.bmp "the disabled SCAN shows its disabled picture"
  ui_expect_picture "$work/driver.log" "$finished" ok ok_notfocus.bmp "OK shows its normal picture"
else
  ui_check 1 "a screenshot of the finished window was taken"
fi
echo "screenshots: $work/shots"
exit $((ui_failures > 0))
