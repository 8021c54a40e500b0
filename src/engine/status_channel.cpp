#include "engine/status_channel.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

#include "engine/text.h"
#include "engine/wide_text.h"

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
  ctx.session.reportLineWide.clear();
  ctx.os.sendMessage(ctx.session.mainWindow, kStatusMsgAddLine, 0, 0);
}

namespace {

constexpr const char* kNotScanned = "     Not scanned";

// Sends a line whose text only the wide calls' text holds whole: reportLine gets its rendering.
void sendWideLine(ScanContext& ctx, std::u16string line, std::uint32_t message) {
  ScanSession& s = ctx.session;
  copyText(s.reportLine, sizeof s.reportLine, ansiRendering(ctx.os, line).c_str());
  s.reportLineWide = std::move(line);
  ctx.os.sendMessage(s.mainWindow, message, 0, 0);
  s.reportLineWide.clear();
}

std::u16string widenedAscii(std::string_view text) {
  return std::u16string(text.begin(), text.end());
}

}  // namespace

void sendFileLine(ScanContext& ctx, const TargetFile& file, const char* detectionName,
                  const char* outcome) {
  if (!file.wide()) {
    sendReportLine(ctx, "%s     %s %s", file.path, detectionName, outcome);
    return;
  }
  // Detection names and outcomes are ASCII.
  sendWideLine(ctx,
               file.widePath + widenedAscii(std::string("     ") + detectionName + " " + outcome),
               kStatusMsgAddLine);
}

// The line holds the whole path also where it is longer than reportLine.
void sendNotScanned(ScanContext& ctx, std::string_view ansiPath) {
  sendNotScanned(ctx, widened(ctx.os, ansiPath));
}

void sendNotScanned(ScanContext& ctx, std::u16string_view widePath) {
  sendWideLine(ctx, std::u16string(widePath) + widenedAscii(kNotScanned), kStatusMsgNotScanned);
}

}  // namespace vs
