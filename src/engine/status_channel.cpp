#include "engine/status_channel.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "engine/text.h"

namespace vs {

namespace {

bool windowWantsQuiet(ScanContext& ctx) {
  const ScanSession& s = ctx.session;
  // A signed difference: correct across the wrap of the tick count.
  return s.statusQuiet && static_cast<std::int32_t>(ctx.os.tickCount() - s.statusQuietUntil) < 0;
}

void deliverStatusText(ScanContext& ctx) {
  ScanSession& s = ctx.session;
  s.statusHeld = 0;
  const std::intptr_t quietMs = ctx.os.sendMessage(s.mainWindow, kStatusMsgSetText, 0, 0);
  s.statusQuiet = quietMs > 0 ? 1 : 0;
  if (s.statusQuiet) s.statusQuietUntil = ctx.os.tickCount() + static_cast<std::uint32_t>(quietMs);
}

}  // namespace

void sendStatusText(ScanContext& ctx, const char* text) {
  copyText(ctx.session.statusText, sizeof ctx.session.statusText, text);
  // The walk sends a text for every entry, far more often than a status line can be read; sending
  // costs more than the entry itself when the window has said it will not show it.
  if (windowWantsQuiet(ctx)) {
    ctx.session.statusHeld = 1;
    return;
  }
  deliverStatusText(ctx);
}

void sendStatusTextNow(ScanContext& ctx, const char* text) {
  copyText(ctx.session.statusText, sizeof ctx.session.statusText, text);
  deliverStatusText(ctx);
}

void sendHeldStatusText(ScanContext& ctx) {
  if (ctx.session.statusHeld && !windowWantsQuiet(ctx)) deliverStatusText(ctx);
}

void sendReportLine(ScanContext& ctx, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vsnprintf(ctx.session.reportLine, sizeof ctx.session.reportLine, format, args);
  va_end(args);
  ctx.os.sendMessage(ctx.session.mainWindow, kStatusMsgAddLine, 0, 0);
}

}  // namespace vs
