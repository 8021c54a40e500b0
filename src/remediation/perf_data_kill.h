// Killing the programs that run a file, found by their instance names in the performance data.
#pragma once

#include <cstdint>

#include "engine/target_file.h"
#include "platform/platform.h"

namespace vs {

constexpr std::uint32_t kPerfFirstBufferSize = 51200;
constexpr std::uint32_t kPerfBufferGrowth = 25600;
// The performance data of the process object run to some tens of kilobytes; a system that keeps
// asking for more beyond this is not believed.
constexpr std::uint32_t kPerfMaxBufferSize = 8u << 20;
// The same bound for the counter-name list, some hundreds of kilobytes on a real system.
constexpr std::uint32_t kPerfMaxCounterListSize = 8u << 20;

// Terminates every program whose performance-data instance is named after the file (its name
// without the directory and the extension). Returns 1 when at least one termination succeeded. A
// file that only the wide calls reach is compared by its wide name with the names as the block
// holds them: in the code page, two such names may read alike.
int killByNamePerfData(Platform& os, const TargetFile& file);

}  // namespace vs
