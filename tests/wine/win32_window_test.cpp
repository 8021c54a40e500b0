// The real backend's window side: sends, the thread's queue, dispatching, the message-box hook,
// and the engine's pump over them.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "engine/message_pump.h"
#include "engine/scan_session.h"
#include "platform/win32/win32_platform.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32WindowTest() { drainQueue(); }

  std::vector<Received> received;
  TestWindow window{[this](UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
    received.push_back({message, wParam, lParam});
    return message == WM_USER + 1 ? 1234 : 0;
  }};
  WindowHandle handle() const { return reinterpret_cast<WindowHandle>(window.handle()); }
  Win32Platform os;
};

// Full-width parameters survive the trip: pointers and handles travel in them on 64 bits.
TEST_F(Win32WindowTest, SendReachesTheWindowAtOnceWithItsParameters) {
  const std::uintptr_t wide = ~std::uintptr_t{0} - 1;
  EXPECT_EQ(os.sendMessage(handle(), WM_USER + 1, wide, -5), 1234);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_USER + 1));
  EXPECT_EQ(received[0].wParam, wide);
  EXPECT_EQ(received[0].lParam, -5);
}

TEST_F(Win32WindowTest, PeekTakesOneQueuedMessageAndDispatchDeliversIt) {
  WindowMessage message;
  EXPECT_FALSE(os.peekMessage(message));

  ASSERT_TRUE(PostMessageA(window.handle(), WM_USER + 2, 7, -9));
  ASSERT_TRUE(PostMessageA(window.handle(), WM_USER + 3, 0, 0));
  ASSERT_TRUE(os.peekMessage(message));
  EXPECT_EQ(message.window, handle());
  EXPECT_EQ(message.message, static_cast<std::uint32_t>(WM_USER + 2));
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_EQ(message.lParam, -9);
  EXPECT_TRUE(received.empty()) << "peeking must not deliver";

  os.dispatchMessage(message);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_USER + 2));
  EXPECT_EQ(received[0].wParam, 7u);

  ASSERT_TRUE(os.peekMessage(message));  // the second is still queued
  EXPECT_EQ(message.message, static_cast<std::uint32_t>(WM_USER + 3));
  EXPECT_FALSE(os.peekMessage(message));
}

// Dispatching also translates: a key press brings its character message into the queue.
TEST_F(Win32WindowTest, DispatchTranslatesKeyPresses) {
  ASSERT_TRUE(PostMessageA(window.handle(), WM_KEYDOWN, 'A', 0x001E0001));
  WindowMessage message;
  ASSERT_TRUE(os.peekMessage(message));
  os.dispatchMessage(message);
  ASSERT_TRUE(os.peekMessage(message));
  EXPECT_EQ(message.message, static_cast<std::uint32_t>(WM_CHAR));
  EXPECT_EQ(message.wParam, static_cast<std::uintptr_t>('a'));
}

std::vector<std::string> boxesShown;

int answerYes(const char* text, const char* caption, unsigned type) {
  boxesShown.push_back(std::string(text) + "|" + caption + "|" + std::to_string(type));
  return kIdYes;
}

TEST_F(Win32WindowTest, MessageBoxGoesToTheInstalledHandler) {
  boxesShown.clear();
  os.setMessageBoxHandler(&answerYes);
  EXPECT_EQ(os.skinMessageBox("Question?", "Title", kMbYesNoQuestion), kIdYes);
  EXPECT_EQ(boxesShown, std::vector<std::string>{"Question?|Title|36"});

  Win32Platform constructedWithOne(&answerYes);
  EXPECT_EQ(constructedWithOne.skinMessageBox("Again?", "Title", 4), kIdYes);
  EXPECT_EQ(boxesShown.size(), 2u);
}

// The engine's pump over the real queue: Escape asks, quit cancels, the rest is dispatched.
TEST_F(Win32WindowTest, PumpTurnsEscapeAndQuitIntoACancel) {
  boxesShown.clear();
  os.setMessageBoxHandler(&answerYes);
  ScanSession session;
  ScanContext ctx(os, session);

  ASSERT_TRUE(PostMessageA(window.handle(), WM_USER + 4, 0, 0));
  pumpOneMessage(ctx);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_USER + 4));
  EXPECT_EQ(session.cancelRequested, 0);

  ASSERT_TRUE(PostMessageA(window.handle(), WM_KEYDOWN, VK_ESCAPE, 0x00010001));
  pumpOneMessage(ctx);
  EXPECT_EQ(boxesShown,
            std::vector<std::string>{"Terminate the Scan now?|Vantosweeper Ver 1.0|36"});
  EXPECT_EQ(session.cancelRequested, 1);
  EXPECT_EQ(received.size(), 1u) << "Escape is consumed, not dispatched";

  session.cancelRequested = 0;
  PostQuitMessage(0);
  pumpOneMessage(ctx);
  EXPECT_EQ(session.cancelRequested, 1);
  WindowMessage left;
  EXPECT_FALSE(os.peekMessage(left));
}

}  // namespace
}  // namespace vs::test
