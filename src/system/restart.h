// Restarting the computer after the user agreed to it.
#pragma once

#include "platform/platform.h"

namespace vs {

int restartSystem(Platform& os);

}  // namespace vs
