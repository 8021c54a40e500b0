#!/usr/bin/env bash
# Cancelling a running scan: Escape, X and CANCEL each ask "Terminate the Scan now?"; No, Enter
# and Escape in the question let the scan go on, Yes ends it with "Scanning terminated". The scan
# walks a big scratch tree on D:, so that it is still running for every question. Screenshot: the
# question over the scanning window.
#   cancel.sh BUILD_TREE
set -uo pipefail
VS_SRC=$(cd "$(dirname "$0")/../../.." && pwd)
VS_TREE=$(cd "$1" && pwd)
source "$VS_SRC/tests/wine/ui/lib.sh"
ui_need_display "$@"

work=$VS_TREE/ui-tests/cancel
rm -rf "$work"
mkdir -p "$work"
ui_big_tree "$VS_TREE/ui-tests/big-tree"
ui_run_driver cancel "$work/driver.log" "$work/shots" --drive "D=$VS_TREE/ui-tests/big-tree"
driver=$?
ui_check "$driver" "the driver's checks (exit code $driver)"

question=$work/shots/question.png
if [ -f "$question" ]; then
  ui_expect_picture "$work/driver.log" "$question" box-picture picture_question.bmp "the question shows the question picture"
  ui_expect_picture "$work/driver.log" "$question" box-yes yes_focus.bmp "YES opens highlighted"
  ui_expect_picture "$work/driver.log" "$question" box-no no_notfocus.bmp "NO shows its normal picture"
  ui_expect_cross "$question" "$work/driver.log" box-close \
    "the question's close button shows a cross"
  read -r l t r b < <(ui_rect "$work/driver.log" box-picture)
  [ "$(ui_pixel "$question" $((r + 3)) $(((t + b) / 2)))" = "207,233,254" ]
  ui_check $? "the question stands on light blue"
else
  ui_check 1 "a screenshot of the question was taken"
fi
echo "screenshots: $work/shots"
exit $((ui_failures > 0))
