// Freeing an infected file that a running program holds: the program is killed.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Kills the process that runs the given file. Returns non-zero when a process was killed, 0 when
// none could be.
int killProcessByPath(ScanContext& ctx, const char* path);

}  // namespace vs
