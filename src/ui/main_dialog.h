// The tool's main window: a borderless dialog shaped like its background picture, with the product
// texts, SCAN, the links to the maker's pages and, once a scan runs, a status line and the report
// list. It starts the scan from a one-shot timer and shows what the engine sends over the
// StatusChannel.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "engine/scan_session.h"
#include "ui/control.h"
#include "ui/dialog.h"
#include "ui/gdi.h"
#include "ui/main_window_rules.h"
#include "ui/skin_button.h"
#include "ui/status_line_throttle.h"
#include "ui/title_static.h"

namespace vs::ui {

// The layout of the main window's controls was made for a client area of this size.
constexpr int kDesignWidth = 600;
constexpr int kDesignHeight = 337;
constexpr UINT_PTR kScanTimerId = 100;

class CMainDlg : public Dialog {
 public:
  explicit CMainDlg(ScanContext& scan);
  ~CMainDlg() override;

  void OnScan();
  void OnScanTimer();
  // Copies the session's status text into the status line. During a scan the line shows at most
  // one text per interval, `forced` aside, and the answer tells the scan how long to hold its
  // texts.
  LRESULT OnSetStatusText(bool forced);
  void OnAddReportLine();
  void UpdateListExtent();
  void WidenListForWideLine(const std::u16string& line);
  // The thread is about to stand still (a message box, a pause): the newest status text is put on
  // screen first.
  void ShowWaitingStatus();

 protected:
  BOOL onInitDialog() override;
  void onCommand(int id, int notification) override;
  // Enter does nothing: only the OK button ends the window.
  void onOk() override {}
  void onCancel() override;
  HBRUSH onCtlColor(HDC dc, HWND control, int kind, HBRUSH defaultBrush) override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void bindControls();
  // Shows, hides, enables and disables the controls as the phase wants them.
  void applyPhase(WindowPhase phase);
  void setTexts();
  void makeTitleFont();
  void loadBackground();
  void attachSkins();
  // Cancel, Escape, system Close and X: ends the window when no scan runs, else asks first.
  void cancelRule(const char* caption);
  void paint();
  // Sets the status line to the session's status text and paints it.
  void showStatusText();
  // Puts statusChannelProc in front of the dialog manager as the window's procedure.
  void answerStatusChannelDirectly();
  static LRESULT CALLBACK statusChannelProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);

  ScanContext& scan_;
  HICON icon_;
  bool suiteInstalled_ = false;

  CExButton okButton_;
  CExButton cancelButton_;
  CExButton scanButton_;
  CExButton downloadButton_;
  CExButton closeButton_;
  Control statusGroup_;
  Control statusLine_;
  Control heading_;
  CTitleStatic titleLine_;
  Control suiteLine_;
  Control copyrightLine_;
  Control productLine_;
  CExButton dlinkButton_;
  CExButton ulinkButton_;
  CExButton logoButton_;
  Control reportGroup_;
  Control reportList_;
  // Every control with its template id, in template order.
  const std::array<std::pair<int, Control*>, kMainControlCount> controlsById_;

  Font titleFont_;
  Font headingFont_;
  Brush whiteBrush_;
  // Declared in this order so that the picture leaves its context before either is deleted.
  Bitmap background_;
  MemoryDc backgroundDc_;
  std::unique_ptr<SelectedObject> backgroundSelection_;
  int backgroundWidth_ = 0;
  int backgroundHeight_ = 0;

  StatusLineThrottle statusThrottle_;
  std::string statusShown_;

  // The window whose StatusChannel messages statusChannelProc answers (the program has one), and
  // the dialog manager's procedure, which gets every other message.
  static CMainDlg* channelWindow_;
  static WNDPROC dialogManagerProc_;
};

// The main window's ShowWaitingStatus while it exists; the machine calls it before it blocks.
void ShowWaitingStatus();

}  // namespace vs::ui
