// A machine (the real one, or the simulated one of the tests) as a run started with a command
// line sees it. Every message the engine sends to the main window also goes to the run's report
// file. In a silent run there is no window and nobody to ask: the messages go nowhere else, the
// questions are answered by the run, the system's plain message box shows nothing, and the
// engine's request to end the program ends only the scan, so that the run returns its exit code.
// With the window, the program ends with the run's exit code instead of 0. Without a run set,
// everything is the machine's own.
#pragma once

#include "unattended/scan_run.h"

namespace vs::unattended {

template <class Machine>
class RunMachine : public Machine {
 public:
  using Machine::Machine;

  void setRun(ScanRun* run) { run_ = run; }

  std::intptr_t sendMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wParam,
                            std::intptr_t lParam) override {
    if (run_) {
      run_->onStatusMessage(message);
      if (run_->silent()) return 0;
    }
    return Machine::sendMessage(window, message, wParam, lParam);
  }

  int skinMessageBox(const char* text, const char* caption, unsigned type) override {
    if (run_ && run_->silent()) return run_->answerUnattended(text, type);
    return Machine::skinMessageBox(text, caption, type);
  }

  int messageBox(const char* text, const char* caption, unsigned type) override {
    if (run_ && run_->silent()) return run_->answerUnattended(text, type);
    return Machine::messageBox(text, caption, type);
  }

  // The engine asks to end the program when an infected program could not be stopped: the scan
  // of the drives would be wasted while it runs.
  void exitProcess(unsigned exitCode) override {
    if (!run_) {
      Machine::exitProcess(exitCode);
    } else if (!run_->silent()) {
      Machine::exitProcess(static_cast<unsigned>(run_->exitCode()));
    }
  }

 private:
  ScanRun* run_ = nullptr;
};

}  // namespace vs::unattended
