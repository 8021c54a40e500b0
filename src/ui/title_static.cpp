#include "ui/title_static.h"

#include <string>

#include "ui/gdi.h"

namespace vs::ui {

LRESULT CTitleStatic::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return defaultProc(message, wParam, lParam);
  paint();
  return 0;
}

void CTitleStatic::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  if (!dc) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  std::string label = text();
  SetTextColor(dc, textColour_);
  {
    SelectedObject font(dc, font_);
    // Only the glyph cells get the banner's blue; the rest of the label shows what lies beneath.
    SetBkColor(dc, RGB(2, 77, 246));
    DrawTextA(dc, label.data(), static_cast<int>(label.size()), &client, DT_CENTER | DT_VCENTER);
  }
  EndPaint(hwnd(), &ps);
}

}  // namespace vs::ui
