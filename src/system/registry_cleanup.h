// Removal of what the malware plants in the registry.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Runs after every detection with the detection name; returns 1.
int removeRegistryTraces(ScanContext& ctx, const char* detectionName);

// Runs after every deletion of an infected file: removes the malware's uninstall entry and its
// Run value when they point at its files. The result is not needed.
int removeUninstallEntry(ScanContext& ctx);

}  // namespace vs
