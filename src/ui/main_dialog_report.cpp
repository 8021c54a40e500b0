// The main window's side of the StatusChannel: the status line and the report list.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/main_dialog.h"
#include "ui/report_list_rules.h"
#include "ui/ui_state.h"

namespace vs::ui {

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
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(scan_.session.reportLine));
  const auto lines = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(selectionAfterAppend(lines)), 0);
  UpdateListExtent();
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
