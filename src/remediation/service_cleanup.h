// Stopping the service that runs an infected program, and removing the service's keys.
#pragma once

#include "platform/platform.h"

namespace vs {

// How long a service may stay "stop pending" before it counts as not stopped: this many status
// queries, one second apart.
constexpr int kStopPendingWaits = 30;
constexpr unsigned kStopPendingPause = 1000;

// With stop set: asks the service to stop and waits while it is stopping; 1 when it ended in the
// stopped state. With stop clear: 1 when the service could be opened.
int stopServiceByName(Platform& os, const char* serviceName, int stop);

// Deletes the service's keys under both control sets, each subkey before its parent. 1 when at
// least one key was deleted. A name that is empty or holds a backslash names no service key of its
// own, so nothing is deleted for it.
int deleteServiceKeys(Platform& os, const char* serviceName);

}  // namespace vs
