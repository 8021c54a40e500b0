#include "ui/scan_app.h"

#include <windows.h>

#include "engine/message_pump.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"

namespace vs::ui {

// The engine's questions ("Terminate the Scan now?", the restart) appear in the tool's own box,
// and the status line is brought up to date whenever the engine is about to stand still.
CScanApp::CScanApp() : machine_(&SkinMessageBox, &ShowWaitingStatus), scan_(machine_, session_) {}

int CScanApp::InitInstance() {
  // A second copy ends silently, without waking the first.
  if (FindWindowA(nullptr, kProductTitle)) return 0;
  CMainDlg dialog(scan_);
  dialog.runModal(nullptr);
  return 0;
}

}  // namespace vs::ui
