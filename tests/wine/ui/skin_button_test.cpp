// The skinned buttons on the real system: pictures found by the button's text, the button sized
// to them, the picture drawn for each state, and highlighting with the keyboard focus.
#include "ui/skin_button.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>

#include "ui/gdi.h"

namespace vs::ui::test {
namespace {

constexpr int kButtonId = 100;

// A visible window holding one owner-drawn button with the given text, 50 x 20 to begin with.
class ButtonHost : public ::testing::Test {
 protected:
  void make(const char* text) {
    parent_ = CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                              nullptr, nullptr, nullptr);
    button_ = CreateWindowExA(0, "BUTTON", text, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 10, 50,
                              20, parent_, reinterpret_cast<HMENU>(kButtonId), nullptr, nullptr);
  }
  void TearDown() override {
    if (parent_) DestroyWindow(parent_);
  }
  SIZE size() const {
    RECT r{};
    GetWindowRect(button_, &r);
    return {r.right - r.left, r.bottom - r.top};
  }

  HWND parent_ = nullptr;
  HWND button_ = nullptr;
};

TEST_F(ButtonHost, TheTextNamesThePicturesWhateverItsCase) {
  make("Cancel");
  NCExButton button;
  EXPECT_TRUE(button.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(size().cx, 92);
  EXPECT_EQ(size().cy, 24);
}

TEST_F(ButtonHost, TheButtonTakesItsPicturesSizeWithoutMoving) {
  make("SCAN");
  CExButton button;
  EXPECT_TRUE(button.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(size().cx, 180);
  EXPECT_EQ(size().cy, 33);
  RECT r{};
  GetWindowRect(button_, &r);
  POINT corner{r.left, r.top};
  ScreenToClient(parent_, &corner);
  EXPECT_EQ(corner.x, 10);
  EXPECT_EQ(corner.y, 10);
}

TEST_F(ButtonHost, WithoutTextOrPicturesTheButtonKeepsItsSize) {
  make("");
  NCExButton empty;
  EXPECT_FALSE(empty.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(size().cx, 50);
  DestroyWindow(parent_);
  make("NOSUCHSKIN");
  NCExButton unknown;
  EXPECT_TRUE(unknown.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(size().cx, 50);
  EXPECT_EQ(size().cy, 20);
}

TEST_F(ButtonHost, TheKeyboardFocusHighlights) {
  make("OK");
  NCExButton button;
  ASSERT_TRUE(button.AttachSkin(kButtonId, parent_));
  EXPECT_FALSE(button.highlighted());
  SendMessageA(button_, WM_SETFOCUS, 0, 0);
  EXPECT_TRUE(button.highlighted());
  SendMessageA(button_, WM_KILLFOCUS, 0, 0);
  EXPECT_FALSE(button.highlighted());
}

// The colour at (x, y) after the button has drawn itself into a 200 x 50 picture painted grey.
COLORREF drawnPixel(NCExButton& button, UINT state, int x, int y) {
  MemoryDc dc(CreateCompatibleDC(nullptr));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof info.bmiHeader, 200, -50, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  Bitmap target(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectedObject selected(dc.get(), target.get());
  RECT all{0, 0, 200, 50};
  Brush grey(CreateSolidBrush(RGB(1, 2, 3)));
  FillRect(dc.get(), &all, grey.get());
  DRAWITEMSTRUCT item{};
  item.CtlType = ODT_BUTTON;
  item.hDC = dc.get();
  item.itemState = state;
  item.rcItem = {0, 0, 180, 33};
  button.drawItem(item);
  return GetPixel(dc.get(), x, y);
}

COLORREF picturePixel(const char* name, int x, int y) {
  Bitmap picture = loadSkinBitmap(name);
  MemoryDc dc(CreateCompatibleDC(nullptr));
  SelectedObject selected(dc.get(), picture.get());
  return GetPixel(dc.get(), x, y);
}

TEST_F(ButtonHost, DrawsTheHighlightedThenTheDisabledThenTheNormalPicture) {
  make("SCAN");
  NCExButton button;
  ASSERT_TRUE(button.AttachSkin(kButtonId, parent_));
  // A point on the caption's letters, where the three pictures differ.
  int x = -1, y = 16;
  for (int probe = 0; probe < 180; ++probe) {
    if (picturePixel("SCAN_NOTFOCUS", probe, y) != picturePixel("SCAN_FOCUS", probe, y) &&
        picturePixel("SCAN_NOTFOCUS", probe, y) != picturePixel("SCAN_DISABLE", probe, y)) {
      x = probe;
      break;
    }
  }
  ASSERT_GE(x, 0);
  EXPECT_EQ(drawnPixel(button, 0, x, y), picturePixel("SCAN_NOTFOCUS", x, y));
  EXPECT_EQ(drawnPixel(button, ODS_DISABLED, x, y), picturePixel("SCAN_DISABLE", x, y));
  // Pressed and focus bits choose nothing; highlighting wins over the disabled state.
  EXPECT_EQ(drawnPixel(button, ODS_SELECTED | ODS_FOCUS, x, y),
            picturePixel("SCAN_NOTFOCUS", x, y));
  SendMessageA(button_, WM_SETFOCUS, 0, 0);
  EXPECT_EQ(drawnPixel(button, ODS_DISABLED, x, y), picturePixel("SCAN_FOCUS", x, y));
}

TEST_F(ButtonHost, ADisabledButtonWithoutDisabledPictureDrawsNothing) {
  make("OK");
  NCExButton button;
  ASSERT_TRUE(button.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(drawnPixel(button, ODS_DISABLED, 40, 12), RGB(1, 2, 3));
  EXPECT_EQ(drawnPixel(button, 0, 40, 12), picturePixel("OK_NOTFOCUS", 40, 12));
}

// The pointer shape a button sets when the system asks over its client area.
HCURSOR cursorOver(HWND button) {
  SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));  // IDC_ARROW
  SendMessageA(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
               MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  return GetCursor();
}

TEST_F(ButtonHost, MainWindowButtonsShowAHandAndMessageBoxButtonsTheArrow) {
  const HCURSOR arrow = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  make("SCAN");
  CExButton mainButton;
  ASSERT_TRUE(mainButton.AttachSkin(kButtonId, parent_));
  mainButton.LoadHandCursor();
  const HCURSOR hand = cursorOver(button_);
  EXPECT_NE(hand, arrow);
  EXPECT_NE(hand, nullptr);
  DestroyWindow(parent_);
  make("YES");
  NCExButton boxButton;
  ASSERT_TRUE(boxButton.AttachSkin(kButtonId, parent_));
  EXPECT_EQ(cursorOver(button_), arrow);
}

}  // namespace
}  // namespace vs::ui::test
