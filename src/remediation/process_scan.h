// The memory scan: infected running programs are found, killed and their images disposed of.
#pragma once

#include "engine/scan_session.h"

namespace vs {

inline constexpr const char* kMemoryRestartQuestion =
    "W32/Talvorn.Trojan  found in memory! registry entries created by the worm are removed. You "
    "must restart the computer and run this program to continue scanning.\n\nRestart the computer "
    "now?";

// Runs first in every scan session; the walk is in single-file mode for exactly its duration.
// Returns 1 when the session goes on with the drives. When an infected program could neither be
// killed nor stopped, the user is told and offered the restart, and the program ends: then the
// result is 0 and nothing more may be done.
int scanMemory(ScanContext& ctx);

}  // namespace vs
