// The process-wide state of a scan: counters, flags, the text buffers that the engine hands to the
// main window, and the file under test. The program owns one instance for its whole run; the
// counters are never reset.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/attachment_record.h"
#include "platform/platform.h"

namespace vs {

// The StatusChannel: custom messages sent to the main window with both parameters 0. They share
// their numbers with WM_ENABLE and WM_SETREDRAW; the main window treats them only as these.
constexpr std::uint32_t kStatusMsgSetText = 10;
constexpr std::uint32_t kStatusMsgAddLine = 11;
// The walk names an entry it could not examine (reportLine, reportLineWide as for a report line):
// for the report file, not for the window's list. A number of the application's own range
// (WM_APP and up), which no window of the system takes for anything else; the window passes it by.
constexpr std::uint32_t kStatusMsgNotScanned = 0x8001;

struct ScanSession {
  WindowHandle mainWindow = 0;
  char reportLine[500] = {};
  // The report line as the system shows it, for a line that names a file only the wide calls
  // reach (reportLine then holds its rendering in the code page); empty for every other line.
  std::u16string reportLineWide;
  char statusText[kMaxPath] = {};
  std::int32_t filesScanned = 0;
  std::int32_t filesInfected = 0;
  std::int32_t filesRemoved = 0;
  std::uint8_t cancelRequested = 0;
  std::int32_t scanRunning = 0;
  std::uint8_t statisticsShown = 0;
  std::int32_t restartNeeded = 0;
  std::uint8_t singleFileMode = 1;
  std::uint8_t singleFileMatched = 0;
  std::int32_t memoryDisposalPending = 0;
  // Set by the memory scan when an infected program could neither be killed nor stopped as a
  // service; it stays set for the rest of the run.
  std::int32_t memoryRestartNeeded = 0;
  char programFilesPattern[kMaxPath] = {};
  std::int32_t programFilesPending = 0;
  std::int32_t programFilesSeen = 0;
  char currentFilePath[kMaxPath + 1] = {};
  // The wide path of the file under check when only the wide calls reach it (currentFilePath then
  // holds its rendering in the code page); empty otherwise.
  std::u16string currentWidePath;
  std::int32_t currentFileSize = 0;

  // The name of the last Run value that the registry cleanup matched (127 characters at most).
  char rememberedRunValue[128] = {};

  // When the message pump last found the queue empty, and whether it did at its last look.
  std::uint32_t lastEmptyQueueTick = 0;
  std::uint8_t queueSeenEmpty = 0;

  // The window may answer a status text with a number of milliseconds during which it wants no
  // other (it would not show it): until then statusText is kept up to date but not sent, and the
  // newest text is sent at the first pump after that time.
  std::uint32_t statusQuietUntil = 0;
  std::uint8_t statusQuiet = 0;
  std::uint8_t statusHeld = 0;

  // The encoded-attachment table as the check uses it: the first check of the run copies the
  // built-in table here and unscrambles its patterns, once.
  std::uint8_t attachmentPatternRestored = 0;
  AttachmentRecord attachmentTable[kAttachmentCount] = {};

  // A scan that changes nothing: the images of running programs that the memory scan reported, so
  // that the walk of their drives does not report them twice; those that only the wide calls
  // reach, by their wide paths.
  std::vector<std::string> runningImagesDetected;
  std::vector<std::u16string> runningWideImagesDetected;
};

struct DetectorEntry;
struct ScanContext;
struct TargetFile;

// Frees a file that a running program holds by killing the program.
using ProcessKiller = int (*)(ScanContext& ctx, const TargetFile& file);

// What every engine operation works on: the machine, the scan state, and the walk's detector
// table (the one signature detector; tests may put a recording detector in its place).
struct ScanContext {
  Platform& os;
  ScanSession& session;
  const DetectorEntry* detectors;
  // The length of the entry the walk is handing to the detectors, as its directory listing gave
  // it; -1 when unknown (single-file mode, or any caller outside the walk).
  std::int64_t listedSize = -1;
  // The wide path of the entry the walk is handing to the detectors, when only the wide calls
  // reach it (the detectors' path is then its rendering in the code page); null otherwise.
  const char16_t* widePath = nullptr;
  // What the disposal calls when a file is in use (the kill of the remediation by default);
  // tests may put a fake killer in its place.
  ProcessKiller killProcess;

  // With the walk's own detector table, or with another one.
  ScanContext(Platform& platform, ScanSession& state);
  ScanContext(Platform& platform, ScanSession& state, const DetectorEntry* table);
};

}  // namespace vs
