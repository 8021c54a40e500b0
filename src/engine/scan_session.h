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

struct ScanSession {
  WindowHandle mainWindow = 0;
  char reportLine[500] = {};
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
  // that the walk of their drives does not report them twice.
  std::vector<std::string> runningImagesDetected;
};

struct DetectorEntry;
struct ScanContext;

// Frees a file that a running program holds by killing the program.
using ProcessKiller = int (*)(ScanContext& ctx, const char* path);

// What every engine operation works on: the machine, the scan state, and the walk's detector
// table (the one signature detector; tests may put a recording detector in its place).
struct ScanContext {
  Platform& os;
  ScanSession& session;
  const DetectorEntry* detectors;
  // The length of the entry the walk is handing to the detectors, as its directory listing gave
  // it; -1 when unknown (single-file mode, or any caller outside the walk).
  std::int64_t listedSize = -1;
  // What the disposal calls when a file is in use (the kill of the remediation by default);
  // tests may put a fake killer in its place.
  ProcessKiller killProcess;

  // With the walk's own detector table, or with another one.
  ScanContext(Platform& platform, ScanSession& state);
  ScanContext(Platform& platform, ScanSession& state, const DetectorEntry* table);
};

}  // namespace vs
