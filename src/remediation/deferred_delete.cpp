#include "remediation/deferred_delete.h"

#include <algorithm>
#include <memory>
#include <string>

#include "remediation/system_family.h"
#include "remediation/wininit_text.h"

namespace vs {
namespace {

constexpr std::uint32_t kWindowsDirectoryBuffer = 350;
constexpr char kWininitName[] = "wininit.ini";

// A folder asked of the system, or empty when it cannot be given in full.
std::string askFolder(std::uint32_t (SystemInformation::*query)(char*, std::uint32_t),
                      SystemInformation& system, std::uint32_t capacity) {
  std::string buffer(capacity, '\0');
  const std::uint32_t length = (system.*query)(buffer.data(), capacity);
  if (length == 0 || length >= capacity) return {};
  buffer.resize(length);
  return buffer;
}

bool writeAll(WritableFile& file, const std::string& text) {
  if (text.empty()) return true;
  return file.write(text.data(), static_cast<std::uint32_t>(text.size())) ==
         static_cast<std::int32_t>(text.size());
}

bool readWhole(Platform& os, const char* path, std::string& content) {
  std::unique_ptr<ReadableFile> file = os.openForReading(path);
  if (!file) return false;
  const std::int64_t length = file->length();
  if (length < 0 || length > 0x7FFFFFFF) return false;
  content.assign(static_cast<std::size_t>(length), '\0');
  std::size_t done = 0;
  while (done < content.size()) {
    const std::int32_t got =
        file->read(content.data() + done, static_cast<std::uint32_t>(content.size() - done));
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// A new wininit.ini holding only the section and the entry. A file left incomplete by a short
// write is ours alone (it did not exist a moment ago), so it is removed again.
int createWininit(Platform& os, const std::string& path, const std::string& entryLine) {
  std::unique_ptr<WritableFile> file = os.openForWriting(path.c_str(), WriteMode::CreateNew);
  if (!file) return 0;
  const bool written = writeAll(*file, "[rename]\r\n" + entryLine);
  file.reset();
  if (written) return 1;
  os.deleteFile(path.c_str());
  return 0;
}

// Rewrites an existing wininit.ini from the first byte that changes. The new text only inserts,
// so it is never shorter and the file need not be cut; when a write falls short, the old bytes
// are put back and the file cut to its old length.
int rewriteWininit(Platform& os, const std::string& path, const std::string& original,
                   const std::string& updated) {
  const std::size_t from = static_cast<std::size_t>(
      std::mismatch(original.begin(), original.end(), updated.begin(), updated.end()).first -
      original.begin());
  std::unique_ptr<WritableFile> file = os.openForWriting(path.c_str(), WriteMode::ExistingAtStart);
  if (!file) return 0;
  if (file->seek(static_cast<std::int64_t>(from)) && writeAll(*file, updated.substr(from))) {
    return 1;
  }
  if (file->seek(static_cast<std::int64_t>(from)) && writeAll(*file, original.substr(from))) {
    file->truncate();
  }
  return 0;
}

}  // namespace

int addWininitRenameEntry(Platform& os, const char* destination, const char* source) {
  const std::string windows =
      askFolder(&SystemInformation::windowsDirectory, os, kWindowsDirectoryBuffer);
  if (windows.empty()) return 0;
  const std::string path = windows + (windows.back() == '\\' ? "" : "\\") + kWininitName;
  if (path.size() >= static_cast<std::size_t>(kMaxPath)) return 0;
  const std::string entryLine = renameEntryLine(destination, source);

  if (!os.pathExists(path.c_str())) return createWininit(os, path, entryLine);

  // The file is read through a copy in the temporary folder, which stays there afterwards; the
  // copy must be complete before anything is written, or wininit.ini would lose lines.
  std::string copyPath = askFolder(&SystemInformation::tempPath, os, kMaxPath);
  if (copyPath.empty()) return 0;
  if (copyPath.back() != '\\') copyPath += '\\';
  copyPath += kWininitName;
  if (copyPath.size() >= static_cast<std::size_t>(kMaxPath)) return 0;
  std::string original;
  if (!os.copyFile(path.c_str(), copyPath.c_str()) || !readWhole(os, copyPath.c_str(), original)) {
    return 0;
  }
  return rewriteWininit(os, path, original, withRenameEntry(original, entryLine));
}

int scheduleDeleteAtRestart(Platform& os, const TargetFile& file) {
  const int family = getSystemFamily(os);
  if (family == FAMILY_WIN9X) {
    // The 9x line has no wide calls, and so no file that only they reach.
    if (file.wide()) return 0;
    // wininit.ini takes short names only; without one nothing is written.
    char shortPath[kMaxPath];
    const std::uint32_t length = os.shortPathName(file.path, shortPath, sizeof shortPath);
    if (length == 0 || length >= sizeof shortPath) return 0;
    return addWininitRenameEntry(os, "NUL", shortPath) == 1 ? 1 : 0;
  }
  if (family == FAMILY_NT) {
    // A request the system refused (no administrator rights, for one) needs no restart.
    const bool accepted =
        file.wide() ? os.deleteAtRebootWide(file.widePath) : os.deleteAtReboot(file.path);
    return accepted ? 1 : 0;
  }
  return 0;
}

}  // namespace vs
