// The memory scan: infected running programs are found, killed and their images disposed of.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Runs first in every scan session; the walk is in single-file mode for exactly its duration.
void scanMemory(ScanContext& ctx);

}  // namespace vs
