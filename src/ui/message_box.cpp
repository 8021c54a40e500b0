#include "ui/message_box.h"

#include <utility>

#include "engine/product.h"
#include "ui/resources/resource_ids.h"
#include "ui/ui_state.h"

namespace vs::ui {
namespace {

constexpr COLORREF kBoxBlue = RGB(207, 233, 254);

// A control's rectangle in screen coordinates. While the box stands at the screen's origin these
// are offsets from its outer corner, which is how the layout below places the controls.
RECT screenRect(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return r;
}

void moveTo(HWND control, int left, int top, int width, int height) {
  MoveWindow(control, left, top, width, height, TRUE);
}

}  // namespace

CMsgBoxDlg::CMsgBoxDlg(std::string text, std::string caption, unsigned type)
    : Dialog(IDD_MESSAGE_BOX),
      pictureId_(pictureForType(type)),
      buttons_(buttonsForType(type)),
      text_(std::move(text)),
      caption_(std::move(caption)),
      background_(CreateSolidBrush(kBoxBlue)) {}

BOOL CMsgBoxDlg::onInitDialog() {
  bind(iconControl_, IDC_BOX_PICTURE);
  bind(yesButton_, IDC_BOX_YES);
  bind(okButton_, IDC_BOX_OK);
  bind(noButton_, IDC_BOX_NO);
  bind(singleOkButton_, IDC_BOX_SINGLE_OK);
  bind(cancelButton_, IDC_BOX_CANCEL);
  bind(textControl_, IDC_BOX_TEXT);

  layOut(growthForTextLength(text_.size()));

  singleOkButton_.show(buttons_ == MessageBoxButtons::Ok);
  okButton_.show(buttons_ == MessageBoxButtons::OkCancel);
  cancelButton_.show(buttons_ == MessageBoxButtons::OkCancel);
  yesButton_.show(buttons_ == MessageBoxButtons::YesNo);
  noButton_.show(buttons_ == MessageBoxButtons::YesNo);

  okButton_.AttachSkin(IDC_BOX_OK, hwnd());
  singleOkButton_.AttachSkin(IDC_BOX_SINGLE_OK, hwnd());
  cancelButton_.AttachSkin(IDC_BOX_CANCEL, hwnd());
  yesButton_.AttachSkin(IDC_BOX_YES, hwnd());
  noButton_.AttachSkin(IDC_BOX_NO, hwnd());

  textControl_.setText(text_.c_str());
  SetWindowTextA(hwnd(), caption_.empty() ? kProductTitle : caption_.c_str());
  if (mainDialog && mainDialog->hwnd()) centreWindow(hwnd(), mainDialog->hwnd());
  return TRUE;
}

void CMsgBoxDlg::layOut(const MessageBoxGrowth& growth) {
  const RECT box = screenRect(hwnd());
  moveTo(hwnd(), 0, 0, box.right - box.left + growth.width, box.bottom - box.top + growth.depth);
  const int buttonRow = screenRect(hwnd()).bottom - 65;

  const RECT text = screenRect(textControl_.hwnd());
  moveTo(textControl_.hwnd(), text.left, text.top - 25, text.right - text.left + growth.width,
         text.bottom - text.top + growth.depth + (largeFonts ? 25 : 0));
  const int pictureTop = text.top - 30;

  for (NCExButton* button :
       {&singleOkButton_, &okButton_, &cancelButton_, &yesButton_, &noButton_}) {
    const RECT r = screenRect(button->hwnd());
    moveTo(button->hwnd(), r.left + growth.buttonShift(), buttonRow, r.right - r.left,
           r.bottom - r.top);
  }

  if (growth.picturesMove()) {
    const RECT icon = screenRect(iconControl_.hwnd());
    moveTo(iconControl_.hwnd(), icon.left, pictureTop, icon.right - icon.left,
           icon.bottom - icon.top);
  }
}

void CMsgBoxDlg::onCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case IDC_BOX_YES:
      endDialog(IDYES);
      return;
    case IDC_BOX_NO:
      endDialog(IDNO);
      return;
    case IDC_BOX_SINGLE_OK:
      endDialog(IDOK);
      return;
    default:
      Dialog::onCommand(id, notification);
  }
}

void CMsgBoxDlg::onCancel() {
  endDialog(cancelResultFor(buttons_));
}

HBRUSH CMsgBoxDlg::onCtlColor(HDC dc, HWND, int kind, HBRUSH defaultBrush) {
  SetBkMode(dc, TRANSPARENT);
  if ((kind == CTLCOLOR_DLG || kind == CTLCOLOR_STATIC) && background_) return background_.get();
  return defaultBrush;
}

bool CMsgBoxDlg::onMessage(UINT message, WPARAM, LPARAM, LRESULT& result) {
  if (message != WM_PAINT) return false;
  PAINTSTRUCT ps;
  if (BeginPaint(hwnd(), &ps)) EndPaint(hwnd(), &ps);
  paintPicture();
  result = 0;
  return true;
}

void CMsgBoxDlg::paintPicture() {
  // A picture that cannot be loaded is not drawn; the rest of the box works.
  Bitmap picture = loadSkinBitmap(MAKEINTRESOURCEA(pictureId_));
  if (!picture) return;
  RECT area{};
  GetClientRect(iconControl_.hwnd(), &area);
  WindowDc target(iconControl_.hwnd());
  MemoryDc memory(CreateCompatibleDC(target.get()));
  if (!target || !memory) return;
  SelectedObject selected(memory.get(), picture.get());
  if (!selected.selected()) return;
  BitBlt(target.get(), 0, 0, area.right, area.bottom, memory.get(), 0, 0, SRCCOPY);
}

int SkinMessageBox(const char* text, const char* caption, unsigned type) {
  CMsgBoxDlg box(text ? text : "", caption ? caption : "", type);
  HWND owner = mainDialog ? mainDialog->hwnd() : nullptr;
  return static_cast<int>(box.runModal(owner));
}

}  // namespace vs::ui
