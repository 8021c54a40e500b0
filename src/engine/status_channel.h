// The engine's side of the StatusChannel: it writes into the session's buffers and sends the
// message synchronously, so a buffer may be reused as soon as the call returns.
#pragma once

#include "engine/scan_session.h"

namespace vs {

// Copies text into statusText (cut to fit) and sends StatusMsgSetText, unless the window asked
// for no text just now: then the text is held for sendHeldStatusText.
void sendStatusText(ScanContext& ctx, const char* text);

// Sends the newest held status text once the window's quiet time is over (the message pump asks).
void sendHeldStatusText(ScanContext& ctx);

// Copies text into statusText and sends it at once, whatever the window asked: for the final
// status, which neither the window nor the report file may miss.
void sendStatusTextNow(ScanContext& ctx, const char* text);

// Formats one report line into reportLine (cut to fit) and sends StatusMsgAddLine.
void sendReportLine(ScanContext& ctx, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace vs
