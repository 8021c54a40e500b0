// The scan session: the memory scan, a walk of every fixed drive, the statistics block, the final
// status and the restart question.
#pragma once

#include "engine/scan_session.h"

namespace vs {

inline constexpr const char* kRestartQuestion =
    "The system has to be restarted to remove the virus completely from your system. \n\n "
    "Restart now?";

// Runs the whole scan on the calling thread; returns 1. Needs mainWindow set.
int runScanSession(ScanContext& ctx);

}  // namespace vs
