// One copy of the tool per machine: a copy that finds another one running ends at once.
#pragma once

#include "platform/win32/handle.h"

namespace vs::ui {

class SingleInstance {
 public:
  // Takes the marker of the running copy; it is held until this object goes.
  SingleInstance();
  // Another copy runs: its window is open on this desktop, or it holds the marker (a copy without
  // a window, or one started by another user or by the system).
  bool anotherCopyRuns() const { return anotherCopy_; }

 private:
  win32::KernelHandle marker_;
  bool anotherCopy_ = false;
};

}  // namespace vs::ui
