#include "ui/scan_app.h"

#include <windows.h>

#include "engine/exit_code.h"
#include "engine/product.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"
#include "ui/single_instance.h"

namespace vs::ui {

// The engine's questions ("Terminate the Scan now?", the restart) appear in the tool's own box,
// and the status line is brought up to date whenever the engine is about to stand still.
CScanApp::CScanApp(const char* arguments)
    : machine_(&SkinMessageBox, &ShowWaitingStatus),
      run_(unattended::parseCommandLine(arguments), session_),
      scan_(machine_, session_, detectorTableFor(run_.mode())) {}

int CScanApp::InitInstance() {
  if (run_.commandLine().hasArguments) return runWithCommandLine();
  // Started by hand: a second copy ends silently, without waking the first, and always with 0.
  const SingleInstance instance;
  if (instance.anotherCopyRuns()) return 0;
  CMainDlg dialog(scan_);
  dialog.runModal(nullptr);
  return 0;
}

int CScanApp::runWithCommandLine() {
  const unattended::CommandLine& commandLine = run_.commandLine();
  if (!commandLine.error.empty() || commandLine.help) {
    tell(unattended::usageText(commandLine),
         commandLine.error.empty() ? MB_ICONINFORMATION : MB_ICONSTOP);
    return kExitCouldNotRun;
  }
  const SingleInstance instance;
  if (instance.anotherCopyRuns()) return kExitCouldNotRun;
  // Nothing is scanned, and so nothing changed, unless the report can be kept.
  if (!run_.openReport(machine_)) {
    tell("The report file cannot be created:\n" + commandLine.reportPath +
             "\n\nNothing has been scanned.",
         MB_ICONSTOP);
    return kExitCouldNotRun;
  }
  machine_.setRun(&run_);
  if (run_.silent()) return run_.runSilent(scan_);

  CMainDlg dialog(scan_);
  dialog.runModal(nullptr);
  if (run_.reportIncomplete()) {
    tell("The report file could not be written completely:\n" + commandLine.reportPath,
         MB_ICONSTOP);
  }
  return run_.exitCode();
}

void CScanApp::tell(const std::string& text, unsigned type) {
  if (!run_.silent()) SkinMessageBox(text.c_str(), kProductTitle, type);
}

}  // namespace vs::ui
