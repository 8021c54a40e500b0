// The main window's side of the StatusChannel: the status line and the report list.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/main_dialog.h"
#include "ui/report_list_rules.h"
#include "ui/ui_state.h"

namespace vs::ui {
namespace {

// The calls that add and measure a line of the system's wide text, looked up by name: such lines
// come only on the NT line, and the program must start on the 9x line too.
struct WideListCalls {
  decltype(&SendMessageW) sendMessage = nullptr;
  decltype(&GetTextExtentPoint32W) textExtent = nullptr;
};

const WideListCalls& wideListCalls() {
  static const WideListCalls calls = [] {
    WideListCalls found;
    if (HMODULE user = GetModuleHandleA("user32.dll")) {
      found.sendMessage = reinterpret_cast<decltype(&SendMessageW)>(
          reinterpret_cast<void*>(GetProcAddress(user, "SendMessageW")));
    }
    if (HMODULE gdi = GetModuleHandleA("gdi32.dll")) {
      found.textExtent = reinterpret_cast<decltype(&GetTextExtentPoint32W)>(
          reinterpret_cast<void*>(GetProcAddress(gdi, "GetTextExtentPoint32W")));
    }
    return found;
  }();
  return calls;
}

}  // namespace

LRESULT CMainDlg::OnSetStatusText(bool forced) {
  if (!statusLine_.bound()) return 0;
  const DWORD now = GetTickCount();
  const bool scanning = scan_.session.scanRunning != 0;
  // Outside a scan every text is shown as it comes.
  if (statusThrottle_.showNow(now, forced || !scanning)) showStatusText();
  // The scan holds its texts for the rest of the interval and then sends the newest.
  return scanning ? static_cast<LRESULT>(statusThrottle_.untilDue(now)) : 0;
}

void CMainDlg::ShowWaitingStatus() {
  if (!statusLine_.bound()) return;
  if (statusShown_ != scan_.session.statusText) {
    statusThrottle_.showNow(GetTickCount(), true);
    showStatusText();
    return;
  }
  // A text set moments ago may not be painted yet.
  UpdateWindow(statusLine_.hwnd());
}

void CMainDlg::showStatusText() {
  statusShown_ = scan_.session.statusText;
  statusLine_.setText(statusShown_.c_str());
  // Painted at once: during a scan the thread looks at its queue only every few milliseconds.
  UpdateWindow(statusLine_.hwnd());
}

void ShowWaitingStatus() {
  if (auto* window = dynamic_cast<CMainDlg*>(mainDialog)) window->ShowWaitingStatus();
}

void CMainDlg::OnAddReportLine() {
  HWND list = reportList_.hwnd();
  if (!list) return;
  const auto count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  if (clearsBeforeAppend(count, scan_.session.statisticsShown != 0)) {
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
  }
  // A line about a file that only the wide calls reach shows as the system shows its path.
  const std::u16string& wide = scan_.session.reportLineWide;
  const bool wideLine = !wide.empty() && wideListCalls().sendMessage;
  if (wideLine) {
    wideListCalls().sendMessage(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
  } else {
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(scan_.session.reportLine));
  }
  const auto lines = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selectionAfterAppend(lines)), 0);
  UpdateListExtent();
  if (wideLine) WidenListForWideLine(wide);
}

// The ANSI measure of the list's lines takes a wide line's characters for "?": the line itself is
// measured in its own characters.
void CMainDlg::WidenListForWideLine(const std::u16string& line) {
  HWND list = reportList_.hwnd();
  if (!list || !wideListCalls().textExtent) return;
  SIZE size{};
  {
    WindowDc dc(list);
    if (!dc || !wideListCalls().textExtent(dc.get(), reinterpret_cast<const wchar_t*>(line.c_str()),
                                           static_cast<int>(line.size()), &size)) {
      return;
    }
  }
  const auto current = static_cast<int>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
  if (const auto extent = widenedExtent(current, static_cast<int>(size.cx))) {
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(*extent), 0);
  }
}

void CMainDlg::UpdateListExtent() {
  HWND list = reportList_.hwnd();
  if (!list) return;
  int widest = 0;
  {
    // The list's own font is not selected: the context's default font measures the lines.
    WindowDc dc(list);
    if (!dc) return;
    const auto lines = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<char> line;
    for (int i = 0; i < lines; ++i) {
      const auto length = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      if (length < 0) continue;
      line.assign(static_cast<std::size_t>(length) + 1, '\0');
      const auto copied = SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i),
                                       reinterpret_cast<LPARAM>(line.data()));
      if (copied < 0) continue;
      SIZE size{};
      if (GetTextExtentPoint32A(dc.get(), line.data(), static_cast<int>(copied), &size)) {
        widest = std::max(widest, static_cast<int>(size.cx));
      }
    }
  }
  const auto current = static_cast<int>(SendMessageA(list, LB_GETHORIZONTALEXTENT, 0, 0));
  if (const auto extent = widenedExtent(current, widest)) {
    SendMessageA(list, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(*extent), 0);
  }
}

}  // namespace vs::ui
