// Restarting the computer after the user agreed to it.
#pragma once

#include "platform/platform.h"

namespace vs {

// Starts a forced restart. Returns the result of ExitWindowsEx, 0 when the process token cannot
// be opened, or the last-error code when the shutdown privilege cannot be enabled (then nothing
// is restarted). No caller needs the result.
int restartSystem(Platform& os);

}  // namespace vs
