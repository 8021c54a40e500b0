// Keeps the window alive during the scan: one queued message per call, with Escape, quit and
// destroy turned into a cancel.
#pragma once

#include "engine/scan_session.h"

namespace vs {

inline constexpr const char* kTerminateQuestion = "Terminate the Scan now?";

void pumpOneMessage(ScanContext& ctx);

}  // namespace vs
