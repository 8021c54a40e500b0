#include "engine/walk.h"
#include "remediation/process_kill.h"

namespace vs {

ScanContext::ScanContext(Platform& platform, ScanSession& state)
    : ScanContext(platform, state, kDetectorTable) {}

ScanContext::ScanContext(Platform& platform, ScanSession& state, const DetectorEntry* table)
    : os(platform), session(state), detectors(table), killProcess(killProcessByPath) {}

}  // namespace vs
