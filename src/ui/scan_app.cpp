#include "ui/scan_app.h"

#include <windows.h>

#include "engine/product.h"
#include "ui/main_dialog.h"
#include "ui/message_box.h"

namespace vs::ui {

// The engine's questions ("Terminate the Scan now?", the restart) appear in the tool's own box.
CScanApp::CScanApp() : machine_(&SkinMessageBox), scan_(machine_, session_) {}

int CScanApp::InitInstance() {
  // A second copy ends silently, without waking the first.
  if (FindWindowA(nullptr, kProductTitle)) return 0;
  CMainDlg dialog(scan_);
  dialog.runModal(nullptr);
  return 0;
}

}  // namespace vs::ui
