// The operating-system services that the engine and the remediation code use, one narrow interface
// per area. Each method keeps the meaning and results of the Win32 call it stands for, so that the
// real backend is a thin forwarder and the simulated machine can reproduce every road, failures
// included. Nothing here includes windows.h.
#pragma once

#include <cstdint>

#include "platform/error_codes.h"
#include "platform/file_system.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/services.h"
#include "platform/system_information.h"
#include "platform/window_queue.h"

namespace vs {

// A whole machine: every area, and the one slot that keeps the error code of the last failed call
// of any of them.
class Platform : public FileSystem,
                 public Registry,
                 public Processes,
                 public Services,
                 public SystemInformation,
                 public WindowQueue {
 public:
  // The error code of the last failed call on this thread (GetLastError).
  virtual std::uint32_t lastError() = 0;
};

}  // namespace vs
