// A dialog control bound to an object by its template id. Classes that need the control's own
// messages (painting, mouse, focus) subclass it: the control's window procedure then reaches
// windowProc, and everything not handled there goes on to the control's original procedure.
#pragma once

#include <windows.h>

#include <string>

namespace vs::ui {

class Control {
 public:
  Control() = default;
  virtual ~Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  // Binds the object to the dialog's control with this id; false when there is no such control
  // or the object is already bound.
  bool bind(HWND dialog, int id);
  bool bound() const { return hwnd_ != nullptr; }
  HWND hwnd() const { return hwnd_; }

  void show(bool visible) const;
  void enable(bool enabled) const;
  bool visible() const;
  bool enabled() const;
  void setText(const char* text) const;
  std::string text() const;

  // The owner-draw request, reflected to the control object by the dialog.
  virtual void drawItem(const DRAWITEMSTRUCT& item);

 protected:
  // Whether bind() routes the control's messages to windowProc.
  virtual bool wantsOwnMessages() const { return false; }
  virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // The control's own handling of a message: what it would have done without this class.
  LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  static LRESULT CALLBACK subclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void unbind();

  HWND hwnd_ = nullptr;
  WNDPROC original_ = nullptr;
};

}  // namespace vs::ui
