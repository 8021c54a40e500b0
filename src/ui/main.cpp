// The program's entry. Without arguments the tool is the window a person uses; its command line
// (ui/scan_app.h, unattended/command_line.h) runs it unattended.
#include <windows.h>

#include "ui/scan_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  vs::ui::CScanApp app(arguments);
  return app.InitInstance();
}
