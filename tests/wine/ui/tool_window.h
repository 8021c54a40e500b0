// The running tool seen from another process, as a user's hands and eyes would see it: its main
// window and controls by id, the status line and report list, the keys and clicks posted to it, and
// its message box.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace vs::uitest {

// Polls `ready` every 20 ms until it answers true or `timeoutMs` passes.
template <typename Ready>
bool waitUntil(Ready ready, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (ready()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(20);
  }
}

// Moves the screen's pointer there (and a pixel further, so that the move is seen).
void movePointer(int x, int y);

// A window's text, read through WM_GETTEXT.
std::string windowText(HWND window);

// The tool's message box: a visible dialog owned by the main window.
struct MessageBoxView {
  HWND hwnd;
  std::string caption() const { return windowText(hwnd); }
  std::string text() const;
  bool buttonVisible(int id) const;
  RECT controlRect(int id) const;  // in screen coordinates
  void click(int id) const;
  // Posts a key press to the control that has the keyboard focus in the box.
  void key(WPARAM virtualKey) const;
};

class ToolWindow {
 public:
  static constexpr const char* kTitle = "Vantosweeper Ver 1.0";

  // The main window once it exists and is visible.
  static std::optional<ToolWindow> waitFor(DWORD timeoutMs);
  // How many top-level windows carry the tool's title.
  static int countWindows();

  HWND hwnd() const { return hwnd_; }
  bool exists() const { return IsWindow(hwnd_) != FALSE; }
  HWND control(int id) const { return GetDlgItem(hwnd_, id); }
  bool visible(int id) const { return IsWindowVisible(control(id)) != FALSE; }
  bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
  std::string text(int id) const { return windowText(control(id)); }
  RECT controlRect(int id) const;  // in screen coordinates
  SIZE controlSize(int id) const;
  // The control that has the keyboard focus in the tool's thread.
  HWND focus() const;

  // The report list's lines, read as wide text (the ANSI reading is unreliable across processes)
  // and given in a code page: the ANSI one unless told (CP_UTF8 keeps every character).
  std::vector<std::string> reportLines(UINT codePage = CP_ACP) const;

  void click(int id) const;
  // Posts a key press (key down only) to the focused control, or the window when none has it.
  void keyDown(WPARAM virtualKey) const;
  void keyPress(WPARAM virtualKey) const;
  // Moves the pointer to the centre of a control.
  void pointAt(int id) const;

  std::optional<MessageBoxView> waitForMessageBox(DWORD timeoutMs) const;
  bool messageBoxOpen() const;
  bool waitForStatus(const std::string& status, DWORD timeoutMs) const;

 private:
  explicit ToolWindow(HWND hwnd) : hwnd_(hwnd) {}
  HWND hwnd_;
};

}  // namespace vs::uitest
