// The exit codes of both programs, so that whoever started a scan (a deployment tool, a script)
// reads its outcome without reading the report.
#pragma once

#include "engine/scan_mode.h"
#include "engine/scan_session.h"

namespace vs {

// Nothing infected was found.
constexpr int kExitNothingFound = 0;
// Infected files were found, and all were removed (or, in a scan that changes nothing, reported).
constexpr int kExitFound = 1;
// The program could not run, or the scan did not finish: a bad command line, another copy
// running, a cancelled scan, a report that could not be written, an unusable volume.
constexpr int kExitCouldNotRun = 2;
// Infected files were found and something remains: a file that could not be removed, or one left
// for the next system start (a restart is needed).
constexpr int kExitSomethingRemains = 3;

// The code for a scan session as it stands when the scan is over (or has ended early).
int scanExitCode(const ScanSession& session, ScanMode mode);

}  // namespace vs
