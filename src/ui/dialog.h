// A modal dialog from a template, with its messages routed to member handlers. One static dialog
// procedure keeps `this` with the window and forwards to virtual handlers; the handlers stay short
// and call plain functions. What the system's dialog manager already does is left to it: the modal
// loop, disabling the owner while the dialog runs, Enter as IDOK, Escape and the system Close as
// IDCANCEL. On top of it this layer binds control objects by id, reflects owner-draw requests to
// them and centres a dialog that its initialisation did not place.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/control.h"

namespace vs::ui {

class Dialog {
 public:
  explicit Dialog(int templateId) : templateId_(templateId) {}
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally over its owner (which is disabled meanwhile) and returns the result it
  // ended with, or -1 when it could not be created.
  INT_PTR runModal(HWND owner);
  HWND hwnd() const { return hwnd_; }
  void endDialog(INT_PTR result) const { EndDialog(hwnd_, result); }

 protected:
  // Binds a control object to the template's control with this id; the object then receives the
  // owner-draw requests for that control.
  bool bind(Control& control, int id);

  // The initialisation message, after the window and its controls exist. Returns TRUE to have the
  // system give the focus to the first tab stop.
  virtual BOOL onInitDialog() { return TRUE; }
  // A command from a control, a key or the system; IDOK and IDCANCEL go to onOk and onCancel.
  virtual void onCommand(int id, int notification);
  virtual void onOk() { endDialog(IDOK); }
  virtual void onCancel() { endDialog(IDCANCEL); }
  // The control-colour request of a control (kind CTLCOLOR_STATIC...) or of the dialog itself
  // (CTLCOLOR_DLG); defaultBrush is what the dialog's default processing chose.
  virtual HBRUSH onCtlColor(HDC dc, HWND control, int kind, HBRUSH defaultBrush);
  // Every other message. Returns true when handled, with the message's result in `result`.
  virtual bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

 private:
  static INT_PTR CALLBACK dialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR initialise();
  Control* boundControl(HWND window) const;

  int templateId_;
  HWND hwnd_ = nullptr;
  std::vector<Control*> controls_;
};

// Centres a window over another, or over the screen's work area when `over` is null, keeping it
// inside the work area.
void centreWindow(HWND window, HWND over);

}  // namespace vs::ui
