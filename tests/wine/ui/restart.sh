#!/usr/bin/env bash
# A file whose holder never lets go: the tool cannot kill the holder, says so in the system's box,
# schedules the deletion for the next start and ends with the restart question; under each box
# the status line shows what stands (the file, then "Scanning completed"). No restarts nothing.
#   restart.sh BUILD_TREE
set -uo pipefail
VS_SRC=$(cd "$(dirname "$0")/../../.." && pwd)
VS_TREE=$(cd "$1" && pwd)
source "$VS_SRC/tests/wine/ui/lib.sh"
ui_need_display "$@"

work=$VS_TREE/ui-tests/restart
rm -rf "$work"
mkdir -p "$work/drive_d"
ui_run_driver restart "$work/driver.log" "$work/shots" --drive "D=$work/drive_d"
driver=$?
ui_check "$driver" "the driver's checks (exit code $driver)"
exit $((ui_failures > 0))
