// Freeing an infected file that a running program holds: the program is killed.
#pragma once

#include "engine/scan_session.h"
#include "engine/target_file.h"

namespace vs {

// Pauses that give the system time to settle around the tool-help snapshot and a termination.
constexpr unsigned kSnapshotPause = 100;
constexpr unsigned kBeforeOpenPause = 50;
constexpr unsigned kAfterKillPause = 500;

// Kills the program that runs the given file, by the road of this system (tool-help names on the
// 9x line, module paths on NT 5.x, performance-data names on NT 4 and from NT 6 on). Returns 1
// when the road reports success, 0 otherwise, after telling the user that nothing was killed. On
// other systems nothing is done and the result is 1. A file that only the wide calls reach is
// compared by its wide path and name.
int killProcessByPath(ScanContext& ctx, const TargetFile& file);

}  // namespace vs
