// The program's entry: no command line, no message loop of its own beyond the main dialog's.
#include <windows.h>

#include "ui/scan_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  vs::ui::CScanApp app;
  return app.InitInstance();
}
