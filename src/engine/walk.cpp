#include "engine/walk.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/message_pump.h"
#include "engine/status_channel.h"
#include "engine/text.h"

namespace vs {

const DetectorEntry kDetectorTable[] = {{kFamilyName, matchSignatures}, {nullptr, nullptr}};

namespace {

constexpr int kStatusWidth = 60;

// The directory part of a pattern: everything up to one character before its last "." (which
// drops the final "*.*"). False when the pattern holds no ".".
bool directoryPart(const char* pattern, char (&out)[kMaxPath]) {
  const char* dot = std::strrchr(pattern, '.');
  if (!dot) return false;
  std::size_t length = static_cast<std::size_t>(dot - pattern);
  length = length > 0 ? length - 1 : 0;
  std::memcpy(out, pattern, length);
  out[length] = '\0';
  return true;
}

bool isDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// Notes the drive's "\Program Files" folder, for a walk of the folder after the root's walk.
void checkProgramFiles(ScanContext& ctx, const char* pattern) {
  ScanSession& s = ctx.session;
  if (std::strlen(pattern) > 6) return;
  const char* colon = std::strchr(pattern, ':');
  if (!colon) return;
  char folder[kMaxPath];
  const std::size_t prefix = static_cast<std::size_t>(colon - pattern) + 1;
  std::memcpy(folder, pattern, prefix);
  folder[prefix] = '\0';
  appendText(folder, sizeof folder, "\\Program Files");
  if (!ctx.os.pathExists(folder)) return;
  s.programFilesPending = 1;
  appendText(folder, sizeof folder, "\\*.*");
  copyText(s.programFilesPattern, sizeof s.programFilesPattern, folder);
}

void showEntry(ScanContext& ctx, const char* entryPath) {
  char shown[kStatusWidth + 1];
  shortenForDisplay(entryPath, shown, kStatusWidth);
  sendStatusText(ctx, shown);
}

constexpr int kPassDone = 1;
constexpr int kPassCancelled = 0;
constexpr int kPassNoDot = -1;

// Lists the pattern once: tests every file and keeps the subdirectories that the walk will enter
// once all files of this directory have been tested. The directory patterns of the walk all end
// in "*.*", so this one listing also names every subdirectory.
int filePass(ScanContext& ctx, const char* pattern, std::vector<std::string>& subdirectories) {
  ScanSession& s = ctx.session;
  std::unique_ptr<DirectoryListing> listing = ctx.os.listDirectory(pattern);
  if (!listing) return kPassDone;
  char directory[kMaxPath] = "";
  const bool haveDirectory = directoryPart(pattern, directory);
  DirectoryEntry entry;
  while (listing->next(entry)) {
    pumpOneMessage(ctx);
    if (s.cancelRequested) return kPassCancelled;

    char entryPath[kMaxPath];
    if (s.singleFileMode) {
      copyText(entryPath, sizeof entryPath, pattern);
    } else {
      if (!haveDirectory) return kPassNoDot;
      copyText(entryPath, sizeof entryPath, directory);
      // A path the system's 260-character buffers cannot hold is passed over.
      if (!appendText(entryPath, sizeof entryPath, entry.name)) continue;
    }
    showEntry(ctx, entryPath);

    if (!(entry.attributes & kAttrDirectory)) {
      if (!s.singleFileMode) s.filesScanned += 1;
      ctx.listedSize = s.singleFileMode ? -1 : static_cast<std::int64_t>(entry.size);
      for (const DetectorEntry* row = ctx.detectors; row->name; ++row) {
        if (row->detect(ctx, row->name, entryPath)) break;
      }
      ctx.listedSize = -1;
    } else if (!isDotEntry(entry.name) && !(entry.attributes & kAttrReparsePoint)) {
      // Junctions and directory links are not entered: a link loop or a link to another volume
      // would make the walk revisit folders or leave the drive.
      subdirectories.emplace_back(entry.name);
    }

    pumpOneMessage(ctx);
    if (s.cancelRequested) return kPassCancelled;
  }
  return kPassDone;
}

}  // namespace

void shortenForDisplay(const char* path, char* destination, int width) {
  const int length = static_cast<int>(std::strlen(path));
  if (length <= width) {
    std::memmove(destination, path, static_cast<std::size_t>(length) + 1);
    return;
  }
  const int keep = width / 2 - 1;
  char shortened[kMaxPath];
  std::memcpy(shortened, path, static_cast<std::size_t>(keep));
  std::memset(shortened + keep, '.', static_cast<std::size_t>(width - 2 * keep));
  std::memcpy(shortened + width - keep, path + length - keep, static_cast<std::size_t>(keep));
  shortened[width] = '\0';
  std::memcpy(destination, shortened, static_cast<std::size_t>(width) + 1);
}

int walkDirectory(ScanContext& ctx, const char* pattern) {
  ScanSession& s = ctx.session;
  s.singleFileMatched = 0;
  checkProgramFiles(ctx, pattern);

  std::vector<std::string> subdirectories;
  const int files = filePass(ctx, pattern, subdirectories);
  if (files != kPassDone) return files;

  // In single-file mode only the named file is wanted, so no directory is entered.
  if (s.singleFileMode) return s.filesScanned;
  char directory[kMaxPath];
  if (!directoryPart(pattern, directory)) return -1;
  for (const std::string& name : subdirectories) {
    pumpOneMessage(ctx);
    if (s.cancelRequested) return 0;
    char subPattern[kMaxPath];
    copyText(subPattern, sizeof subPattern, directory);
    if (!appendText(subPattern, sizeof subPattern, name.c_str()) ||
        !appendText(subPattern, sizeof subPattern, "\\*.*")) {
      continue;
    }
    if (std::strstr(subPattern, "\\Program Files\\")) s.programFilesSeen = 1;
    if (walkDirectory(ctx, subPattern) == -1) return -1;
  }
  return s.filesScanned;
}

}  // namespace vs
