// The program: one copy per desktop, whose only window is the main dialog. It owns the scan state
// and the real machine that the engine works on.
#pragma once

#include "engine/scan_session.h"
#include "platform/win32/win32_platform.h"

namespace vs::ui {

class CScanApp {
 public:
  CScanApp();
  // Runs the main window to its end, or returns at once when the tool already runs. The process
  // ends when this returns.
  int InitInstance();

 private:
  ScanSession session_;
  Win32Platform machine_;
  ScanContext scan_;
};

}  // namespace vs::ui
