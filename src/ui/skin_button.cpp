#include "ui/skin_button.h"

#include <windowsx.h>

#include <string>

#include "ui/skin_rules.h"

namespace vs::ui {
namespace {

// The help viewer's hand, cursor resource 106. The program is mapped as data only: nothing of it
// runs and none of its imports is loaded just to borrow a cursor.
HCURSOR copyHelpViewerHand() {
  char path[MAX_PATH + 16] = {};
  const UINT length = GetWindowsDirectoryA(path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  lstrcatA(path, "\\winhlp32.exe");
  Module viewer(LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (!viewer) return nullptr;
  HCURSOR hand = LoadCursorA(viewer.get(), MAKEINTRESOURCEA(106));
  // The copy outlives the module.
  return hand ? static_cast<HCURSOR>(CopyIcon(hand)) : nullptr;
}

HCURSOR copySystemHand() {
  HCURSOR hand = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND, newer systems only
  return hand ? static_cast<HCURSOR>(CopyIcon(hand)) : nullptr;
}

}  // namespace

bool NCExButton::AttachSkin(int id, HWND dialog) {
  if (!bound() && !bind(dialog, id)) return false;
  const std::string text = this->text();
  if (text.empty()) return false;
  const SkinNames names = skinNamesFor(text);
  LoadStateBitmaps(names.focus.c_str(), names.normal.c_str(), names.disabled.c_str());
  return true;
}

bool NCExButton::LoadStateBitmaps(const char* focusName, const char* normalName,
                                  const char* disabledName) {
  highlightedPicture_.reset();
  normalPicture_.reset();
  disabledPicture_.reset();
  highlightedPicture_ = loadSkinBitmap(focusName);
  if (!highlightedPicture_) return false;
  normalPicture_ = loadSkinBitmap(normalName);
  if (!normalPicture_) return false;
  disabledPicture_ = loadSkinBitmap(disabledName);
  return SizeToBitmap();
}

bool NCExButton::SizeToBitmap() {
  BITMAP info{};
  if (!normalPicture_ || GetObjectA(normalPicture_.get(), sizeof info, &info) == 0) return false;
  if (!SetWindowPos(hwnd(), nullptr, 0, 0, info.bmWidth, info.bmHeight,
                    SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW | SWP_NOACTIVATE)) {
    return false;
  }
  hitRect_ = {0, 0, info.bmWidth, info.bmHeight};
  return true;
}

void NCExButton::drawItem(const DRAWITEMSTRUCT& item) {
  HBITMAP picture = nullptr;
  switch (pictureForState(highlighted_ != 0, (item.itemState & ODS_DISABLED) != 0)) {
    case SkinPicture::Highlighted:
      picture = highlightedPicture_.get();
      break;
    case SkinPicture::Disabled:
      picture = disabledPicture_.get();
      break;
    case SkinPicture::Normal:
      picture = normalPicture_.get();
      break;
  }
  // A missing picture draws nothing: the area keeps what was drawn there before.
  if (!picture) return;
  MemoryDc memory(CreateCompatibleDC(item.hDC));
  if (!memory) return;
  SelectedObject selected(memory.get(), picture);
  if (!selected.selected()) return;
  const RECT& r = item.rcItem;
  BitBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, memory.get(), 0, 0, SRCCOPY);
}

void NCExButton::setHighlighted(int highlighted) {
  highlighted_ = highlighted;
  InvalidateRect(hwnd(), nullptr, FALSE);
}

LRESULT NCExButton::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE: {
      const POINT pointer = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (GetCapture() != hwnd()) {
        // The pointer entered: the button takes the focus and watches for the pointer to leave.
        SetFocus(hwnd());
        highlighted_ = 1;
        SetCapture(hwnd());
        InvalidateRect(hwnd(), nullptr, FALSE);
      } else if (!PtInRect(&hitRect_, pointer)) {
        ReleaseCapture();
        setHighlighted(0);
      }
      return defaultProc(message, wParam, lParam);
    }
    case WM_SETFOCUS: {
      const LRESULT result = defaultProc(message, wParam, lParam);
      setHighlighted(1);
      return result;
    }
    case WM_KILLFOCUS: {
      const LRESULT result = defaultProc(message, wParam, lParam);
      setHighlighted(0);
      return result;
    }
    default:
      return defaultProc(message, wParam, lParam);
  }
}

void CExButton::LoadHandCursor() {
  if (handCursor_) return;
  handCursor_.reset(copyHelpViewerHand());
  if (!handCursor_) handCursor_.reset(copySystemHand());
}

LRESULT CExButton::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETCURSOR && handCursor_) {
    SetCursor(handCursor_.get());
    return TRUE;
  }
  return NCExButton::windowProc(message, wParam, lParam);
}

}  // namespace vs::ui
