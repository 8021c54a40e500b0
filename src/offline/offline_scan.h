// The scan of a system that is not running: every fixed drive from C: on, the statistics block
// and the final status, as the Windows tool runs them after its memory scan. No program runs
// there, so there is no memory scan, nothing is killed, and nothing is left for the next start.
#pragma once

#include "engine/scan_mode.h"
#include "engine/scan_session.h"

namespace vs::offline {

// DetectOnly reports every infected file and changes nothing on the volumes or in the registry;
// Remove deletes infected files and cleans the registry with the Windows tool's own steps and
// report lines.
using vs::ScanMode;

// Runs the scan on the calling thread. The platform's main window gets the report lines and the
// status texts.
void runOfflineScan(Platform& os, ScanSession& session, ScanMode mode);
// The same with a detector table of the caller's (the scan of disk images judges the registry
// without changing it).
void runOfflineScan(Platform& os, ScanSession& session, const DetectorEntry* detectors);

}  // namespace vs::offline
