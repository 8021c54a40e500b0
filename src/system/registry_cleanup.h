// Removal of what the malware plants in the registry.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Runs after every detection with the detection name; returns 1.
int removeRegistryTraces(ScanContext& ctx, const char* detectionName);

}  // namespace vs
