// The program: one copy per machine, whose only window is the main dialog, or, started with a
// command line, the run it asks for. It owns the scan state and the real machine that the engine
// works on.
#pragma once

#include <string>

#include "engine/scan_session.h"
#include "platform/win32/win32_platform.h"
#include "unattended/run_machine.h"
#include "unattended/scan_run.h"

namespace vs::ui {

class CScanApp {
 public:
  // arguments: the command line after the program's name.
  explicit CScanApp(const char* arguments);
  // Runs the main window to its end, or the silent scan, or returns at once when the tool already
  // runs or the command line cannot be used. Returns the exit code; the process ends with it.
  int InitInstance();

 private:
  int runWithCommandLine();
  // The tool's own message box when a person watches; nothing in a silent run.
  void tell(const std::string& text, unsigned type);

  ScanSession session_;
  unattended::RunMachine<Win32Platform> machine_;
  unattended::ScanRun run_;
  ScanContext scan_;
};

}  // namespace vs::ui
