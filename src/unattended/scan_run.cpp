#include "unattended/scan_run.h"

#include <cstring>

#include "engine/exit_code.h"
#include "engine/scan_driver.h"
#include "remediation/process_scan.h"

namespace vs::unattended {
namespace {

// A silent run has no window; the engine still needs a main window set before it reports, and
// the run's machine takes every message itself.
constexpr WindowHandle kNoWindow = 1;

bool asksForRestart(const char* text) {
  return std::strcmp(text, kRestartQuestion) == 0 || std::strcmp(text, kMemoryRestartQuestion) == 0;
}

}  // namespace

bool ScanRun::openReport(Platform& os) {
  if (commandLine_.reportPath.empty()) return true;
  report_ = ReportFile::create(os, commandLine_.reportPath.c_str());
  return report_ != nullptr;
}

void ScanRun::onStatusMessage(std::uint32_t message) {
  if (report_) report_->take(session_, message);
}

int ScanRun::answerUnattended(const char* text, unsigned type) const {
  const bool yes = commandLine_.restart && asksForRestart(text);
  if (type & kMbOkCancel) return yes ? kIdOk : kIdCancel;
  if (type & kMbYesNo) return yes ? kIdYes : kIdNo;
  return kIdOk;
}

int ScanRun::runSilent(ScanContext& ctx) {
  session_.mainWindow = kNoWindow;
  session_.cancelRequested = 0;
  session_.scanRunning = 1;
  runScanSession(ctx);
  session_.scanRunning = 0;
  return exitCode();
}

int ScanRun::exitCode() const {
  if (reportIncomplete()) return kExitCouldNotRun;
  return scanExitCode(session_, mode());
}

}  // namespace vs::unattended
