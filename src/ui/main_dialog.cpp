#include "ui/main_dialog.h"

#include <cstdio>
#include <initializer_list>

#include "engine/message_pump.h"
#include "engine/product.h"
#include "engine/scan_driver.h"
#include "ui/message_box.h"
#include "ui/resources/resource_ids.h"
#include "ui/suite_check.h"
#include "ui/ui_state.h"
#include "ui/web_pages.h"
#include "ui/window_shape.h"

namespace vs::ui {

Dialog* mainDialog = nullptr;
int largeFonts = 0;

namespace {

constexpr const char* kFamilyShortName = "W32/Talvorn";
constexpr const char* kCopyrightLine =
    "Copyright (C) 2003-2013 Kestrin Software. All rights reserved.";
constexpr const char* kSuiteLine = "This program is a part of Ardentis antivirus software.";
constexpr const char* kCloseCaption = "DialogBoxTitle";
constexpr COLORREF kMagenta = RGB(255, 0, 255);
// WS_MINIMIZEBOX | WS_SYSMENU: a system menu with Close and a taskbar button that minimises,
// though the window still has no caption.
constexpr LONG_PTR kTaskbarStyles = 0xA0000;

}  // namespace

CMainDlg::CMainDlg(ScanContext& scan)
    : Dialog(IDD_MAIN),
      scan_(scan),
      icon_(LoadIconA(programModule(), MAKEINTRESOURCEA(IDI_PROGRAM))),
      controlsById_{{{IDC_MAIN_OK, &okButton_},
                     {IDC_MAIN_CANCEL, &cancelButton_},
                     {IDC_SCAN, &scanButton_},
                     {IDC_DOWNLOAD, &downloadButton_},
                     {IDC_CLOSE_X, &closeButton_},
                     {IDC_STATUS_GROUP, &statusGroup_},
                     {IDC_STATUS_LINE, &statusLine_},
                     {IDC_HEADING, &heading_},
                     {IDC_TITLE_LINE, &titleLine_},
                     {IDC_SUITE_LINE, &suiteLine_},
                     {IDC_COPYRIGHT_LINE, &copyrightLine_},
                     {IDC_PRODUCT_LINE, &productLine_},
                     {IDC_DLINK, &dlinkButton_},
                     {IDC_ULINK, &ulinkButton_},
                     {IDC_LOGO, &logoButton_},
                     {IDC_REPORT_GROUP, &reportGroup_},
                     {IDC_REPORT_LIST, &reportList_}}} {}

CMainDlg* CMainDlg::channelWindow_ = nullptr;
WNDPROC CMainDlg::dialogManagerProc_ = nullptr;

CMainDlg::~CMainDlg() {
  if (mainDialog == this) mainDialog = nullptr;
  if (channelWindow_ == this) channelWindow_ = nullptr;
}

void CMainDlg::bindControls() {
  for (const auto& [id, control] : controlsById_) bind(*control, id);
}

void CMainDlg::applyPhase(WindowPhase phase) {
  for (const ControlState& state : controlStates(phase, suiteInstalled_)) {
    for (const auto& [id, control] : controlsById_) {
      if (id != state.id) continue;
      control->enable(state.enabled);
      control->show(state.shown);
    }
  }
}

BOOL CMainDlg::onInitDialog() {
  bindControls();
  // The window is still hidden: its controls take their idle states once the suite test has run.
  mainDialog = this;
  makeTitleFont();
  titleLine_.setFont(titleFont_.get());
  setTexts();
  {
    WindowDc dc(hwnd());
    largeFonts = dc && GetDeviceCaps(dc.get(), LOGPIXELSX) >= 120 ? 1 : 0;
  }
  ScaleChildWindows(hwnd(), kDesignWidth, kDesignHeight);
  MoveWindow(hwnd(), 0, 0, 600, 462, TRUE);
  suiteInstalled_ = isSuiteInstalled();
  applyPhase(WindowPhase::Idle);
  whiteBrush_.reset(CreateSolidBrush(RGB(255, 255, 255)));
  SendMessageA(hwnd(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  SetWindowLongPtrA(hwnd(), GWL_STYLE, GetWindowLongPtrA(hwnd(), GWL_STYLE) | kTaskbarStyles);
  loadBackground();
  attachSkins();
  // From here on a second copy of the program finds this one.
  SetWindowTextA(hwnd(), kProductTitle);
  for (CExButton* button : {&scanButton_, &closeButton_, &downloadButton_, &okButton_,
                            &cancelButton_, &dlinkButton_, &ulinkButton_}) {
    button->LoadHandCursor();
  }
  answerStatusChannelDirectly();
  // The system gives the focus to the first visible, enabled tab stop: SCAN.
  return TRUE;
}

// The engine sends a status text for every directory entry. Through the dialog manager, which
// looks up the dialog procedure and stores its result in the window on every message, such a
// message costs several times what the answer costs (some 2 us against 0.5 us under Wine, a third
// of what listing the entry costs). So the window's own procedure answers the StatusChannel's two
// messages, as the dialog procedure would, and hands every other message to the dialog manager.
void CMainDlg::answerStatusChannelDirectly() {
  channelWindow_ = this;
  dialogManagerProc_ = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      hwnd(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CMainDlg::statusChannelProc)));
}

LRESULT CALLBACK CMainDlg::statusChannelProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
  CMainDlg* self = channelWindow_;
  if (self && self->hwnd() == window &&
      (message == kStatusMsgSetText || message == kStatusMsgAddLine)) {
    // No exception may cross the system's call into this procedure.
    try {
      LRESULT result = 0;
      self->onMessage(message, wParam, lParam, result);
      return result;
    } catch (...) {
      return 0;
    }
  }
  return CallWindowProcA(dialogManagerProc_, window, message, wParam, lParam);
}

void CMainDlg::makeTitleFont() {
  auto font = reinterpret_cast<HFONT>(SendMessageA(hwnd(), WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  LOGFONTA description{};
  if (GetObjectA(font, sizeof description, &description) == 0) return;
  description.lfHeight = 15;
  description.lfWeight = FW_BOLD;
  description.lfUnderline = FALSE;
  description.lfItalic = FALSE;
  titleFont_.reset(CreateFontIndirectA(&description));
}

void CMainDlg::setTexts() {
  char text[kMaxPath];
  std::snprintf(text, sizeof text, "%s - Tool to detect and remove all the variants of %s Trojan ",
                kProductTitle, kFamilyShortName);
  productLine_.setText(text);
  std::snprintf(text, sizeof text, "for %s Trojan ", kFamilyShortName);
  titleLine_.setText(text);
  copyrightLine_.setText(kCopyrightLine);
  suiteLine_.setText(kSuiteLine);
}

void CMainDlg::loadBackground() {
  background_ = loadSkinBitmap(MAKEINTRESOURCEA(IDB_BACKGROUND));
  // Without the picture the window stays rectangular and painting copies nothing.
  if (!background_) return;
  if (HRGN shape = CreateRegionFromBitmap(background_.get(), kMagenta, TRUE)) {
    // The system owns the region once it is the window's.
    if (!SetWindowRgn(hwnd(), shape, TRUE)) DeleteObject(shape);
  }
  BITMAP info{};
  if (GetObjectA(background_.get(), sizeof info, &info) == 0) return;
  backgroundWidth_ = info.bmWidth;
  backgroundHeight_ = info.bmHeight;
  backgroundDc_.reset(CreateCompatibleDC(nullptr));
  if (!backgroundDc_) return;
  backgroundSelection_ = std::make_unique<SelectedObject>(backgroundDc_.get(), background_.get());
}

void CMainDlg::attachSkins() {
  okButton_.AttachSkin(IDC_MAIN_OK, hwnd());
  cancelButton_.AttachSkin(IDC_MAIN_CANCEL, hwnd());
  scanButton_.AttachSkin(IDC_SCAN, hwnd());
  downloadButton_.AttachSkin(IDC_DOWNLOAD, hwnd());
  closeButton_.AttachSkin(IDC_CLOSE_X, hwnd());
  ulinkButton_.AttachSkin(IDC_ULINK, hwnd());
  dlinkButton_.AttachSkin(IDC_DLINK, hwnd());
  logoButton_.AttachSkin(IDC_LOGO, hwnd());
}

void CMainDlg::onCommand(int id, int notification) {
  if (notification != BN_CLICKED) return;
  switch (id) {
    case IDC_SCAN:
      OnScan();
      return;
    case IDC_CLOSE_X:
      cancelRule(kCloseCaption);
      return;
    case IDC_MAIN_OK:
      endDialog(IDOK);
      return;
    case IDC_DOWNLOAD:
    case IDC_DLINK:
      OpenSuitePage();
      return;
    case IDC_ULINK:
      OpenToolsPage();
      return;
    default:
      Dialog::onCommand(id, notification);
  }
}

void CMainDlg::onCancel() {
  cancelRule(kProductTitle);
}

void CMainDlg::cancelRule(const char* caption) {
  ScanSession& session = scan_.session;
  if (!session.scanRunning) {
    endDialog(IDCANCEL);
    return;
  }
  ShowWaitingStatus();
  if (SkinMessageBox(kTerminateQuestion, caption, kMbYesNoQuestion) == IDYES) {
    applyPhase(WindowPhase::Terminated);
    session.cancelRequested = 1;
  }
}

void CMainDlg::OnScan() {
  scan_.session.scanRunning = 1;
  applyPhase(WindowPhase::Scanning);
  statusGroup_.setText("Scanning");

  char heading[kMaxPath];
  std::snprintf(heading, sizeof heading, "Searching for %s Trojan and its variants",
                kFamilyShortName);
  heading_.setText(heading);
  if (!headingFont_) {
    headingFont_.reset(CreateFontA(15, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   FF_SWISS, "Arial"));
  }
  SendMessageA(heading_.hwnd(), WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_.get()), TRUE);

  scan_.session.mainWindow = reinterpret_cast<WindowHandle>(hwnd());
  SetTimer(hwnd(), kScanTimerId, 100, nullptr);
}

void CMainDlg::OnScanTimer() {
  ScanSession& session = scan_.session;
  // The cancel question disables this window while it stands.
  const ScanStart start = scanStartAtTick(!IsWindowEnabled(hwnd()), session.cancelRequested != 0);
  if (start.waits) return;
  // The timer fires once: the scan runs inside this call and must not start again.
  KillTimer(hwnd(), kScanTimerId);
  session.cancelRequested = start.cancelled ? 1 : 0;
  runScanSession(scan_);
  OnSetStatusText(true);
  applyPhase(WindowPhase::Finished);
  statusGroup_.setText("");
  session.scanRunning = 0;
}

HBRUSH CMainDlg::onCtlColor(HDC dc, HWND control, int kind, HBRUSH defaultBrush) {
  SetBkMode(dc, TRANSPARENT);
  if (control == titleLine_.hwnd() || !whiteBrush_) return defaultBrush;
  if (kind == CTLCOLOR_DLG || kind == CTLCOLOR_STATIC) return whiteBrush_.get();
  return defaultBrush;
}

bool CMainDlg::onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  switch (message) {
    case kStatusMsgSetText:
      // The system's enabling notification shares this number; its wParam (1 when the window is
      // enabled again after a message box) asks for the text at once.
      result = OnSetStatusText(wParam != 0);
      return true;
    case kStatusMsgAddLine:
      OnAddReportLine();
      result = 0;
      return true;
    case WM_TIMER:
      OnScanTimer();
      result = 0;
      return true;
    case WM_PAINT:
      paint();
      result = 0;
      return true;
    case WM_LBUTTONDOWN: {
      // A press on a free spot of the window drags it, as a press on a caption would.
      POINT pointer = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      ClientToScreen(hwnd(), &pointer);
      PostMessageA(hwnd(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pointer.x, pointer.y));
      return false;
    }
    default:
      return false;
  }
}

void CMainDlg::paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd(), &ps);
  if (!dc) return;
  if (backgroundSelection_ && backgroundSelection_->selected()) {
    BitBlt(dc, 0, 0, backgroundWidth_, backgroundHeight_, backgroundDc_.get(), 0, 0, SRCCOPY);
  }
  EndPaint(hwnd(), &ps);
}

}  // namespace vs::ui
