// The engine's side of the StatusChannel: it writes into the session's buffers and sends the
// message synchronously, so a buffer may be reused as soon as the call returns.
#pragma once

#include <string_view>

#include "engine/scan_session.h"
#include "engine/target_file.h"

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

// Sends the report line "PATH     NAME OUTCOME" about a file. For a file that only the wide calls
// reach, the line goes out as the system shows it in reportLineWide, and rendered in the code page
// in reportLine.
void sendFileLine(ScanContext& ctx, const TargetFile& file, const char* detectionName,
                  const char* outcome);

// Names an entry the walk could not examine, "PATH     Not scanned", for the report file
// (StatusMsgNotScanned): by its wide path where the system has one, by its ANSI path otherwise;
// reportLineWide holds the whole line in both cases.
void sendNotScanned(ScanContext& ctx, std::string_view ansiPath);
void sendNotScanned(ScanContext& ctx, std::u16string_view widePath);

}  // namespace vs
