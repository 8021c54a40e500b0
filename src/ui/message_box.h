// The tool's own message box: a light-blue dialog with a picture for the kind of message, the
// text, and a row of skinned buttons. Called like the system's message box, with the system's
// button and icon flags, and answering with the system's button codes.
#pragma once

#include <windows.h>

#include <string>

#include "ui/dialog.h"
#include "ui/gdi.h"
#include "ui/message_box_rules.h"
#include "ui/skin_button.h"

namespace vs::ui {

class CMsgBoxDlg : public Dialog {
 public:
  CMsgBoxDlg(std::string text, std::string caption, unsigned type);

 protected:
  BOOL onInitDialog() override;
  void onCommand(int id, int notification) override;
  void onCancel() override;
  HBRUSH onCtlColor(HDC dc, HWND control, int kind, HBRUSH defaultBrush) override;
  bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

 private:
  void layOut(const MessageBoxGrowth& growth);
  void paintPicture();

  Control iconControl_;
  NCExButton yesButton_;
  NCExButton okButton_;
  NCExButton noButton_;
  NCExButton singleOkButton_;
  NCExButton cancelButton_;
  Control textControl_;
  int pictureId_;
  MessageBoxButtons buttons_;
  std::string text_;
  std::string caption_;
  Brush background_;
};

// Runs the box modally over the main window and returns IDYES, IDNO, IDOK or IDCANCEL, or -1
// when the box cannot be created.
int SkinMessageBox(const char* text, const char* caption, unsigned type);

}  // namespace vs::ui
