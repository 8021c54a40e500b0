// The tool's message box on the real system: its answers to every way of closing it, the buttons
// of each type, its caption, and its growth with the length of its text.
#include "ui/message_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "ui/ui_state.h"

namespace vs::ui::test {
namespace {

constexpr int kOk = 1, kCancel = 2, kSingleOk = 3, kYes = 6, kNo = 7;
constexpr int kPicture = 1085, kText = 1086;

// What the helper thread saw of the box before it answered.
struct Seen {
  bool found = false;
  std::string caption;
  RECT box{};
  RECT picture{};
  RECT text{};
  RECT yes{};
  POINT clientOrigin{};  // the client area's corner, relative to the box's outer corner
  bool visible[8] = {};
  SIZE size[8] = {};
};

struct Run {
  DWORD ownerThread;
  std::function<void(HWND box)> answer;
  Seen seen;
};

struct BoxSearch {
  HWND found = nullptr;
};

BOOL CALLBACK findBox(HWND window, LPARAM data) {
  char className[16] = {};
  GetClassNameA(window, className, sizeof className);
  if (IsWindowVisible(window) && lstrcmpA(className, "#32770") == 0) {
    reinterpret_cast<BoxSearch*>(data)->found = window;
    return FALSE;
  }
  return TRUE;
}

RECT relativeTo(const RECT& outer, HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  return {r.left - outer.left, r.top - outer.top, r.right - outer.left, r.bottom - outer.top};
}

DWORD WINAPI answerBox(void* data) {
  auto* run = static_cast<Run*>(data);
  BoxSearch search;
  for (int i = 0; i < 500 && !search.found; ++i) {
    Sleep(20);
    EnumThreadWindows(run->ownerThread, &findBox, reinterpret_cast<LPARAM>(&search));
  }
  if (!search.found) return 0;
  HWND box = search.found;
  Seen& seen = run->seen;
  seen.found = true;
  char caption[128] = {};
  GetWindowTextA(box, caption, sizeof caption);
  seen.caption = caption;
  GetWindowRect(box, &seen.box);
  ClientToScreen(box, &seen.clientOrigin);
  seen.clientOrigin.x -= seen.box.left;
  seen.clientOrigin.y -= seen.box.top;
  seen.picture = relativeTo(seen.box, GetDlgItem(box, kPicture));
  seen.text = relativeTo(seen.box, GetDlgItem(box, kText));
  seen.yes = relativeTo(seen.box, GetDlgItem(box, kYes));
  for (int id : {kOk, kCancel, kSingleOk, kYes, kNo}) {
    HWND button = GetDlgItem(box, id);
    seen.visible[id] = IsWindowVisible(button) != FALSE;
    RECT r{};
    GetWindowRect(button, &r);
    seen.size[id] = {r.right - r.left, r.bottom - r.top};
  }
  run->answer(box);
  return 0;
}

// Shows the box on this thread while a helper thread looks at it and answers it.
int showAndAnswer(const std::string& text, const char* caption, unsigned type,
                  std::function<void(HWND)> answer, Seen* seen = nullptr) {
  Run run{GetCurrentThreadId(), std::move(answer), {}};
  HANDLE helper = CreateThread(nullptr, 0, &answerBox, &run, 0, nullptr);
  const int result = SkinMessageBox(text.c_str(), caption, type);
  WaitForSingleObject(helper, INFINITE);
  CloseHandle(helper);
  if (seen) *seen = run.seen;
  return result;
}

HWND focusIn(HWND box) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(box, nullptr), &info);
  return info.hwndFocus ? info.hwndFocus : box;
}

std::function<void(HWND)> click(int id) {
  return [id](HWND box) { PostMessageA(GetDlgItem(box, id), BM_CLICK, 0, 0); };
}

std::function<void(HWND)> key(WPARAM virtualKey) {
  return [virtualKey](HWND box) {
    PostMessageA(focusIn(box), WM_KEYDOWN, virtualKey, 1);
    PostMessageA(focusIn(box), WM_KEYUP, virtualKey, 0xC0000001);
  };
}

std::function<void(HWND)> closeBox() {
  return [](HWND box) { PostMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

struct AnswerCase {
  unsigned type;
  const char* action;
  std::function<void(HWND)> answer;
  int result;
};

TEST(SkinMessageBoxUnderWine, AnswersEveryWayOfClosingWithTheSystemsCodes) {
  const AnswerCase cases[] = {
      {36, "YES", click(kYes), IDYES},
      {36, "NO", click(kNo), IDNO},
      {36, "Escape", key(VK_ESCAPE), IDNO},
      {36, "close box", closeBox(), IDNO},
      {36, "Enter", key(VK_RETURN), IDOK},
      {0x41, "OK", click(kOk), IDOK},
      {0x41, "Cancel", click(kCancel), IDCANCEL},
      {0x41, "Escape", key(VK_ESCAPE), IDCANCEL},
      {0x41, "close box", closeBox(), IDCANCEL},
      {0x41, "Enter", key(VK_RETURN), IDOK},
      {0, "OK", click(kSingleOk), IDOK},
      {0, "Escape", key(VK_ESCAPE), IDCANCEL},
      {0, "Enter", key(VK_RETURN), IDOK},
  };
  for (const AnswerCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.type << ", " << c.action);
    EXPECT_EQ(showAndAnswer("Terminate the Scan now?", "Vantosweeper Ver 1.0", c.type, c.answer),
              c.result);
  }
}

TEST(SkinMessageBoxUnderWine, ShowsTheButtonsOfItsTypeAtTheirPicturesSize) {
  struct Row {
    unsigned type;
    bool ok, cancel, singleOk, yes, no;
  };
  for (const Row& row :
       {Row{0, false, false, true, false, false}, Row{36, false, false, false, true, true},
        Row{0x41, true, true, false, false, false}}) {
    SCOPED_TRACE(row.type);
    Seen seen;
    showAndAnswer("A question", "Caption", row.type, key(VK_ESCAPE), &seen);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.visible[kOk], row.ok);
    EXPECT_EQ(seen.visible[kCancel], row.cancel);
    EXPECT_EQ(seen.visible[kSingleOk], row.singleOk);
    EXPECT_EQ(seen.visible[kYes], row.yes);
    EXPECT_EQ(seen.visible[kNo], row.no);
    for (int id : {kOk, kCancel, kSingleOk, kYes, kNo}) {
      EXPECT_EQ(seen.size[id].cx, 92) << id;
      EXPECT_EQ(seen.size[id].cy, 24) << id;
    }
  }
}

TEST(SkinMessageBoxUnderWine, AnEmptyCaptionShowsTheProductTitle) {
  Seen seen;
  showAndAnswer("Text", "", 0, key(VK_ESCAPE), &seen);
  EXPECT_EQ(seen.caption, "Vantosweeper Ver 1.0");
  showAndAnswer("Text", "DialogBoxTitle", 0, key(VK_ESCAPE), &seen);
  EXPECT_EQ(seen.caption, "DialogBoxTitle");
}

LONG width(const RECT& r) {
  return r.right - r.left;
}
LONG height(const RECT& r) {
  return r.bottom - r.top;
}

TEST(SkinMessageBoxUnderWine, GrowsWithItsTextAndMovesThePictureFromNinetyCharacters) {
  Seen shortText, text89, text90;
  showAndAnswer("x", "", 36, key(VK_ESCAPE), &shortText);
  showAndAnswer(std::string(89, 'a'), "", 36, key(VK_ESCAPE), &text89);
  showAndAnswer(std::string(90, 'a'), "", 36, key(VK_ESCAPE), &text90);
  ASSERT_TRUE(shortText.found && text89.found && text90.found);
  // Growth W x D: 12 x 7 up to 29 characters, 37 x 21 up to 89, 50 x 28 from 90.
  EXPECT_EQ(width(text89.box) - width(shortText.box), 37 - 12);
  EXPECT_EQ(height(text89.box) - height(shortText.box), 21 - 7);
  EXPECT_EQ(width(text90.box) - width(shortText.box), 50 - 12);
  EXPECT_EQ(height(text90.box) - height(shortText.box), 28 - 7);
  EXPECT_EQ(width(text90.text) - width(shortText.text), 50 - 12);
  EXPECT_EQ(height(text90.text) - height(shortText.text), 28 - 7);
  // The buttons move right by W / 2 and stay at the same distance from the bottom.
  EXPECT_EQ(text90.yes.left - shortText.yes.left, 25 - 6);
  EXPECT_EQ(height(text90.box) - text90.yes.top, height(shortText.box) - shortText.yes.top);
  // The picture stays where the template put it until the text reaches 90 characters; from
  // there it stands 30 pixels above the text's former top, which the text left 25 pixels above.
  EXPECT_TRUE(EqualRect(&text89.picture, &shortText.picture));
  EXPECT_EQ(text90.picture.top, text90.text.top - 5);
  // The move takes the picture's offset from the box's outer corner as its place in the client
  // area, so it shifts right by the frame's width.
  EXPECT_EQ(text90.picture.left, shortText.picture.left + shortText.clientOrigin.x);
  EXPECT_EQ(height(text90.picture), height(shortText.picture));
  EXPECT_EQ(width(text90.picture), width(shortText.picture));
}

TEST(SkinMessageBoxUnderWine, LargeFontsGiveTheTextTwentyFiveMorePixels) {
  Seen normal, large;
  showAndAnswer("Terminate the Scan now?", "", 36, key(VK_ESCAPE), &normal);
  largeFonts = 1;
  showAndAnswer("Terminate the Scan now?", "", 36, key(VK_ESCAPE), &large);
  largeFonts = 0;
  EXPECT_EQ(height(large.text) - height(normal.text), 25);
  EXPECT_EQ(width(large.text), width(normal.text));
}

}  // namespace
}  // namespace vs::ui::test
