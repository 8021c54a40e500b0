#include "tool_window.h"

namespace vs::uitest {
namespace {

std::string narrow(const std::wstring& wide, UINT codePage = CP_ACP) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

struct BoxSearch {
  HWND owner;
  HWND found;
};

BOOL CALLBACK findOwnedBox(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<BoxSearch*>(data);
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0 &&
      GetWindow(window, GW_OWNER) == search->owner) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK countTitled(HWND window, LPARAM data) {
  if (windowText(window) == ToolWindow::kTitle) ++*reinterpret_cast<int*>(data);
  return TRUE;
}

HWND focusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace

std::string windowText(HWND window) {
  char text[1024] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string MessageBoxView::text() const {
  return windowText(GetDlgItem(hwnd, 1086));
}

bool MessageBoxView::buttonVisible(int id) const {
  return IsWindowVisible(GetDlgItem(hwnd, id)) != FALSE;
}

RECT MessageBoxView::controlRect(int id) const {
  RECT r{};
  GetWindowRect(GetDlgItem(hwnd, id), &r);
  return r;
}

void MessageBoxView::click(int id) const {
  PostMessageA(GetDlgItem(hwnd, id), BM_CLICK, 0, 0);
}

void MessageBoxView::key(WPARAM virtualKey) const {
  HWND target = focusOf(hwnd);
  PostMessageA(target ? target : hwnd, WM_KEYDOWN, virtualKey, 1);
  PostMessageA(target ? target : hwnd, WM_KEYUP, virtualKey, 0xC0000001);
}

std::optional<ToolWindow> ToolWindow::waitFor(DWORD timeoutMs) {
  HWND found = nullptr;
  waitUntil([&] { return (found = FindWindowA(nullptr, kTitle)) && IsWindowVisible(found); },
            timeoutMs);
  if (!found || !IsWindowVisible(found)) return std::nullopt;
  return ToolWindow(found);
}

int ToolWindow::countWindows() {
  int count = 0;
  EnumWindows(&countTitled, reinterpret_cast<LPARAM>(&count));
  return count;
}

RECT ToolWindow::controlRect(int id) const {
  RECT r{};
  GetWindowRect(control(id), &r);
  return r;
}

SIZE ToolWindow::controlSize(int id) const {
  const RECT r = controlRect(id);
  return {r.right - r.left, r.bottom - r.top};
}

HWND ToolWindow::focus() const {
  return focusOf(hwnd_);
}

std::vector<std::string> ToolWindow::reportLines(UINT codePage) const {
  HWND list = control(1055);
  std::vector<std::string> lines;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::wstring line(static_cast<std::size_t>(length) + 1, L'\0');
    const auto copied = SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                     reinterpret_cast<LPARAM>(line.data()));
    line.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    lines.push_back(narrow(line, codePage));
  }
  return lines;
}

void ToolWindow::click(int id) const {
  PostMessageA(control(id), BM_CLICK, 0, 0);
}

void ToolWindow::keyDown(WPARAM virtualKey) const {
  HWND target = focus();
  PostMessageA(target ? target : hwnd_, WM_KEYDOWN, virtualKey, 1);
}

void ToolWindow::keyPress(WPARAM virtualKey) const {
  HWND target = focus();
  PostMessageA(target ? target : hwnd_, WM_KEYDOWN, virtualKey, 1);
  PostMessageA(target ? target : hwnd_, WM_KEYUP, virtualKey, 0xC0000001);
}

void ToolWindow::pointAt(int id) const {
  const RECT r = controlRect(id);
  // Two moves, as a hand makes many: a button that held the pointer lets go on the first, and
  // the one now under it lights up on the next.
  SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Sleep(150);
  SetCursorPos((r.left + r.right) / 2 + 1, (r.top + r.bottom) / 2 + 1);
}

void movePointer(int x, int y) {
  // The display connection comes with the first device context; without it the pointer would
  // move only in Wine's books, not on the screen.
  ReleaseDC(nullptr, GetDC(nullptr));
  SetCursorPos(x, y);
  Sleep(150);
  SetCursorPos(x + 1, y + 1);
}

std::optional<MessageBoxView> ToolWindow::waitForMessageBox(DWORD timeoutMs) const {
  BoxSearch search{hwnd_, nullptr};
  waitUntil(
      [&] {
        EnumWindows(&findOwnedBox, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  if (!search.found) return std::nullopt;
  return MessageBoxView{search.found};
}

bool ToolWindow::messageBoxOpen() const {
  BoxSearch search{hwnd_, nullptr};
  EnumWindows(&findOwnedBox, reinterpret_cast<LPARAM>(&search));
  return search.found != nullptr;
}

bool ToolWindow::waitForStatus(const std::string& status, DWORD timeoutMs) const {
  return waitUntil([&] { return text(1065) == status; }, timeoutMs);
}

}  // namespace vs::uitest
