#include "engine/status_channel.h"

#include <cstdarg>
#include <cstdio>

#include "engine/text.h"

namespace vs {

void sendStatusText(ScanContext& ctx, const char* text) {
  copyText(ctx.session.statusText, sizeof ctx.session.statusText, text);
  ctx.os.sendMessage(ctx.session.mainWindow, kStatusMsgSetText, 0, 0);
}

void sendReportLine(ScanContext& ctx, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(ctx.session.reportLine, sizeof ctx.session.reportLine, format, args);
  va_end(args);
  ctx.os.sendMessage(ctx.session.mainWindow, kStatusMsgAddLine, 0, 0);
}

}  // namespace vs
