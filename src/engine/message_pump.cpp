#include "engine/message_pump.h"

namespace vs {

void pumpOneMessage(ScanContext& ctx) {
  WindowMessage message;
  if (!ctx.os.peekMessage(message)) return;
  // Any message whose wParam carries the Escape key code counts as Escape, whatever its number.
  if ((message.wParam & 0xFFFF) == 27) {
    if (ctx.os.skinMessageBox(kTerminateQuestion, kProductTitle, kMbYesNoQuestion) != kIdNo) {
      ctx.session.cancelRequested = 1;
    }
    return;
  }
  if (message.message == kMsgQuit || message.message == kMsgDestroy) {
    ctx.session.cancelRequested = 1;
    return;
  }
  ctx.os.dispatchMessage(message);
}

}  // namespace vs
