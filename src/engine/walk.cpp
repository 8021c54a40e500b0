#include "engine/walk.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/message_pump.h"
#include "engine/status_channel.h"
#include "engine/text.h"
#include "engine/wide_text.h"

namespace vs {

const DetectorEntry kDetectorTable[] = {{kFamilyName, matchSignatures}, {nullptr, nullptr}};

namespace {

constexpr int kStatusWidth = 60;
constexpr std::u16string_view kAllEntries = u"*.*";
constexpr std::u16string_view kProgramFilesInPattern = u"\\Program Files\\";

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

// Junctions and directory links are not entered: a link loop or a link to another volume would
// make the walk revisit folders or leave the drive.
bool isEnterable(const DirectoryEntry& entry) {
  return (entry.attributes & kAttrDirectory) && !isDotEntry(entry.name) &&
         !(entry.attributes & kAttrReparsePoint);
}

// A subdirectory that the walk enters once all files of its directory have been tested.
struct Subdirectory {
  std::string name;  // as the ANSI listing gives it
  // The ANSI name does not reach it; wideName is its name where the system keeps wide names.
  bool nameLost;
  std::u16string wideName;
};

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

// The status line takes ANSI text: a wide path is shortened first, so that both its ends show.
void showWideEntry(ScanContext& ctx, std::u16string_view entryPath) {
  sendStatusText(ctx, ansiRendering(ctx.os, shortenedForDisplay(entryPath, kStatusWidth)).c_str());
}

// Hands a file to the detectors in order until one recognises it. A wide file goes with its path
// rendered in the code page and its wide path in the context.
void detect(ScanContext& ctx, const char* path, std::int64_t listedSize, const char16_t* widePath) {
  const std::int64_t outerSize = ctx.listedSize;
  const char16_t* outerWidePath = ctx.widePath;
  ctx.listedSize = listedSize;
  ctx.widePath = widePath;
  for (const DetectorEntry* row = ctx.detectors; row->name; ++row) {
    if (row->detect(ctx, row->name, path)) break;
  }
  ctx.listedSize = outerSize;
  ctx.widePath = outerWidePath;
}

// Counts a file of a wide walk and hands it on.
void detectWide(ScanContext& ctx, const std::u16string& path, std::uint64_t size) {
  ScanSession& s = ctx.session;
  if (!s.singleFileMode) s.filesScanned += 1;
  const std::int64_t listedSize = s.singleFileMode ? -1 : static_cast<std::int64_t>(size);
  detect(ctx, ansiRendering(ctx.os, path).c_str(), listedSize, path.c_str());
}

// The name of an entry as the wide calls take it.
std::u16string wideNameOf(ScanContext& ctx, const DirectoryEntry& entry) {
  if (entry.ansiNameLost && entry.wideName[0] != u'\0') return entry.wideName;
  return widened(ctx.os, entry.name);
}

bool pumpAndContinue(ScanContext& ctx) {
  pumpOneMessage(ctx);
  return !ctx.session.cancelRequested;
}

// The wide road: a folder and all it holds, listed and examined through the wide calls. Its
// folders wait on a stack of its own rather than the thread's, since a wide path may run through
// thousands of them; files of a folder are tested before its subdirectories are entered, in the
// listing's order, as on the ANSI road.
class WideWalk {
 public:
  explicit WideWalk(ScanContext& ctx) : ctx_(ctx), s_(ctx.session) {}

  int run(const std::u16string& pattern) {
    s_.singleFileMatched = 0;
    if (s_.singleFileMode) return singleFile(pattern) ? s_.filesScanned : 0;
    const std::size_t dot = pattern.rfind(u'.');
    if (dot == std::u16string::npos || dot == 0) return s_.filesScanned;
    std::vector<Folder> stack(1);
    stack.back().path = pattern.substr(0, dot - 1);
    if (!filePass(pattern, stack.back())) return 0;
    while (!stack.empty()) {
      Folder& top = stack.back();
      if (top.next == top.subdirectories.size()) {
        stack.pop_back();
        continue;
      }
      if (!pumpAndContinue(ctx_)) return 0;
      Folder sub;
      sub.path = top.path + top.subdirectories[top.next++];
      const std::u16string subPattern = sub.path + kAllEntries.data();
      if (subPattern.size() > static_cast<std::size_t>(kMaxWidePath)) {
        notScanned(sub.path);
        continue;
      }
      if (subPattern.find(kProgramFilesInPattern) != std::u16string::npos) {
        s_.programFilesSeen = 1;
      }
      s_.singleFileMatched = 0;
      if (!filePass(subPattern, sub)) return 0;
      stack.push_back(std::move(sub));
    }
    return s_.filesScanned;
  }

 private:
  struct Folder {
    std::u16string path;  // with its final backslash
    std::vector<std::u16string> subdirectories;
    std::size_t next = 0;
  };

  // Names what the system refuses for its length (the final backslash of a folder dropped).
  void notScanned(std::u16string_view path) {
    if (path.size() > 3 && path.back() == u'\\') path.remove_suffix(1);
    sendNotScanned(ctx_, path);
  }

  // Lists one folder: tests its files and keeps its subdirectories. False when cancelled.
  bool filePass(const std::u16string& pattern, Folder& folder) {
    std::unique_ptr<DirectoryListing> listing = ctx_.os.listDirectoryWide(pattern.c_str());
    if (!listing) {
      if (ctx_.os.lastError() == kErrorFilenameExcedRange) notScanned(folder.path);
      return true;
    }
    DirectoryEntry entry;
    while (listing->next(entry)) {
      if (!pumpAndContinue(ctx_)) return false;
      const std::u16string path = folder.path + entry.wideName;
      const bool file = !(entry.attributes & kAttrDirectory);
      if (path.size() > static_cast<std::size_t>(kMaxWidePath)) {
        if (file || isEnterable(entry)) notScanned(path);
      } else {
        showWideEntry(ctx_, path);
        if (file) {
          detectWide(ctx_, path, entry.size);
        } else if (isEnterable(entry)) {
          folder.subdirectories.push_back(std::u16string(entry.wideName) + u'\\');
        }
      }
      if (!pumpAndContinue(ctx_)) return false;
    }
    return true;
  }

  // The named file alone; its path is the pattern. False when cancelled.
  bool singleFile(const std::u16string& pattern) {
    std::unique_ptr<DirectoryListing> listing = ctx_.os.listDirectoryWide(pattern.c_str());
    if (!listing) return true;
    DirectoryEntry entry;
    while (listing->next(entry)) {
      if (!pumpAndContinue(ctx_)) return false;
      showWideEntry(ctx_, pattern);
      if (!(entry.attributes & kAttrDirectory)) detectWide(ctx_, pattern, entry.size);
      if (!pumpAndContinue(ctx_)) return false;
    }
    return true;
  }

  ScanContext& ctx_;
  ScanSession& s_;
};

constexpr int kPassDone = 1;
constexpr int kPassCancelled = 0;
constexpr int kPassNoDot = -1;

// An entry of an ANSI listing that the ANSI calls cannot reach: on the NT line it is shown and, a
// file, counted and tested through the wide calls; its folder is entered with the others. The 9x
// line has no wide calls: the entry is named as not scanned and passed over. False when the walk
// was cancelled.
bool visitFarEntry(ScanContext& ctx, const char* directory, const DirectoryEntry& entry,
                   std::vector<Subdirectory>& subdirectories) {
  const bool file = !(entry.attributes & kAttrDirectory);
  if (isEnterable(entry)) {
    subdirectories.push_back(
        {entry.name, entry.ansiNameLost, entry.ansiNameLost ? entry.wideName : u""});
  }
  if (!ctx.os.hasWideFileCalls()) {
    if (file) sendNotScanned(ctx, std::string(directory) + entry.name);
    return pumpAndContinue(ctx);
  }
  const std::u16string path = widened(ctx.os, directory) + wideNameOf(ctx, entry);
  showWideEntry(ctx, path);
  if (file) detectWide(ctx, path, entry.size);
  return pumpAndContinue(ctx);
}

// Lists the pattern once: tests every file and keeps the subdirectories that the walk will enter
// once all files of this directory have been tested. The directory patterns of the walk all end
// in "*.*", so this one listing also names every subdirectory.
int filePass(ScanContext& ctx, const char* pattern, std::vector<Subdirectory>& subdirectories) {
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
      // A name the code page cannot spell, or a path the 260-character buffers cannot hold.
      if (entry.ansiNameLost || !appendText(entryPath, sizeof entryPath, entry.name)) {
        if (!visitFarEntry(ctx, directory, entry, subdirectories)) return kPassCancelled;
        continue;
      }
    }
    showEntry(ctx, entryPath);

    if (!(entry.attributes & kAttrDirectory)) {
      if (!s.singleFileMode) s.filesScanned += 1;
      detect(ctx, entryPath, s.singleFileMode ? -1 : static_cast<std::int64_t>(entry.size),
             nullptr);
    } else if (isEnterable(entry)) {
      subdirectories.push_back({entry.name, false, {}});
    }

    pumpOneMessage(ctx);
    if (s.cancelRequested) return kPassCancelled;
  }
  return kPassDone;
}

// A subdirectory whose pattern the ANSI calls cannot take: walked through the wide calls where the
// system has them, named as not scanned where it has none.
void walkFarSubdirectory(ScanContext& ctx, const char* directory, const Subdirectory& sub) {
  if (!ctx.os.hasWideFileCalls()) {
    sendNotScanned(ctx, std::string(directory) + sub.name);
    return;
  }
  const std::u16string pattern = widened(ctx.os, directory) +
                                 (sub.nameLost ? sub.wideName : widened(ctx.os, sub.name)) + u'\\' +
                                 kAllEntries.data();
  if (pattern.find(kProgramFilesInPattern) != std::u16string::npos) {
    ctx.session.programFilesSeen = 1;
  }
  walkDirectoryWide(ctx, pattern);
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

  std::vector<Subdirectory> subdirectories;
  const int files = filePass(ctx, pattern, subdirectories);
  if (files != kPassDone) return files;

  // In single-file mode only the named file is wanted, so no directory is entered.
  if (s.singleFileMode) return s.filesScanned;
  char directory[kMaxPath];
  if (!directoryPart(pattern, directory)) return -1;
  for (const Subdirectory& sub : subdirectories) {
    pumpOneMessage(ctx);
    if (s.cancelRequested) return 0;
    char subPattern[kMaxPath];
    copyText(subPattern, sizeof subPattern, directory);
    if (sub.nameLost || !appendText(subPattern, sizeof subPattern, sub.name.c_str()) ||
        !appendText(subPattern, sizeof subPattern, "\\*.*")) {
      walkFarSubdirectory(ctx, directory, sub);
      continue;
    }
    if (std::strstr(subPattern, "\\Program Files\\")) s.programFilesSeen = 1;
    if (walkDirectory(ctx, subPattern) == -1) return -1;
  }
  return s.filesScanned;
}

int walkDirectoryWide(ScanContext& ctx, const std::u16string& pattern) {
  return WideWalk(ctx).run(pattern);
}

}  // namespace vs
