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

// The steps of the scan after the memory scan, for front ends that scan a machine which is not
// running (the offline scan): a walk of every fixed drive from C: to Z:, with the drive's
// "Program Files" folder walked once more when the root's walk did not enter it; the statistics
// block; the final status.
void walkFixedDrives(ScanContext& ctx);
void sendStatistics(ScanContext& ctx);
void sendFinalStatus(ScanContext& ctx);

}  // namespace vs
