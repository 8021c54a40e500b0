#include "engine/message_pump.h"

#include "engine/product.h"
#include "engine/status_channel.h"

namespace vs {

// Looking at the queue can cost more than a directory entry (under Wine it is a round trip to the
// server, some 50 us), and the walk pumps twice per entry. So once the queue has been found empty
// it is looked at again only when this many milliseconds have passed; while messages come, every
// pump takes one. The window still answers within a few milliseconds.
constexpr std::uint32_t kEmptyQueuePause = 5;

void pumpOneMessage(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  if (s.statusHeld) sendHeldStatusText(ctx);
  if (s.queueSeenEmpty && ctx.os.tickCount() - s.lastEmptyQueueTick < kEmptyQueuePause) return;
  WindowMessage message;
  if (!ctx.os.peekMessage(message)) {
    s.queueSeenEmpty = 1;
    s.lastEmptyQueueTick = ctx.os.tickCount();
    return;
  }
  s.queueSeenEmpty = 0;
  // Any message whose wParam carries the Escape key code counts as Escape, whatever its number.
  if ((message.wParam & 0xFFFF) == 27) {
    if (ctx.os.skinMessageBox(kTerminateQuestion, kProductTitle, kMbYesNoQuestion) != kIdNo) {
      s.cancelRequested = 1;
    }
    return;
  }
  if (message.message == kMsgQuit || message.message == kMsgDestroy) {
    s.cancelRequested = 1;
    return;
  }
  ctx.os.dispatchMessage(message);
}

}  // namespace vs
