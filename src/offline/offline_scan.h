// The scan of a system that is not running: every fixed drive from C: on, the statistics block
// and the final status, as the Windows tool runs them after its memory scan. No program runs
// there, so there is no memory scan, nothing is killed, and nothing is left for the next start.
#pragma once

#include "engine/scan_session.h"

namespace vs::offline {

enum class ScanMode {
  // Every file is tested and each infected one reported as "%s     %s detected"; nothing on the
  // volumes or in the registry is changed.
  DetectOnly,
  // Infected files are deleted and the registry cleaned with the Windows tool's own steps and
  // report lines.
  Remove,
};

// Runs the scan on the calling thread. The platform's main window gets the report lines and the
// status texts.
void runOfflineScan(Platform& os, ScanSession& session, ScanMode mode);
// The same with a detector table of the caller's (the scan of disk images judges the registry
// without changing it).
void runOfflineScan(Platform& os, ScanSession& session, const DetectorEntry* detectors);

}  // namespace vs::offline
