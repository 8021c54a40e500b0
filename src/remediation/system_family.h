// Which line of Windows this is, and which NT generation: the cleaning steps choose their road by
// these codes. Every call asks the system anew; nothing is cached.
#pragma once

#include "platform/platform.h"

namespace vs {

// System family codes; callers compare with the numbers themselves.
constexpr int FAMILY_UNKNOWN = 0;  // the version query failed
constexpr int FAMILY_OTHER = 1;    // neither the 9x nor the NT line
constexpr int FAMILY_WIN9X = 4;
constexpr int FAMILY_NT = 5;

// NT generation codes.
constexpr int NTGEN_NONE = 0;  // query failed, not the NT line, or major version 6 or higher
constexpr int NTGEN_NT4 = 5;   // major version 4 or lower
constexpr int NTGEN_NT5 = 6;   // major version 5 (2000, XP, Server 2003)

int getSystemFamily(Platform& os);
int getNtGeneration(Platform& os);

}  // namespace vs
