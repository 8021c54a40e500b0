#include "platform/volumes/drive_table.h"

#include <cctype>
#include <cstring>
#include <string>

#include "platform/error_codes.h"
#include "platform/volumes/host_names.h"
#include "platform/volumes/windows_path.h"

namespace vs::volumes {
namespace {

// The longest path the system's ANSI calls take: beyond it they fail before looking.
constexpr std::size_t kLongestPath = kMaxPath;
// The wide calls' limit counts UTF-16 units; a host path holds at most three bytes for each.
constexpr std::size_t kLongestWidePath = 3 * static_cast<std::size_t>(kMaxWidePath);

// A wide listing gives every entry its wide name.
class WideListing : public DirectoryListing {
 public:
  explicit WideListing(std::unique_ptr<DirectoryListing> listing) : listing_(std::move(listing)) {}
  bool next(DirectoryEntry& entry) override {
    if (!listing_->next(entry)) return false;
    if (entry.wideName[0] == u'\0') nameEntry(entry, entry.name, true);
    return true;
  }

 private:
  std::unique_ptr<DirectoryListing> listing_;
};

}  // namespace

bool DriveTable::add(char letter, std::unique_ptr<Volume> volume) {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  // A: and B: would never be scanned.
  if (upper < 'C' || upper > 'Z' || volumes_.count(upper)) return false;
  volumes_[upper] = std::move(volume);
  return true;
}

Volume* DriveTable::volume(char letter) const {
  const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
  const auto found = volumes_.find(upper);
  return found == volumes_.end() ? nullptr : found->second.get();
}

std::vector<char> DriveTable::letters() const {
  std::vector<char> result;
  for (const auto& [letter, volume] : volumes_) result.push_back(letter);
  return result;
}

Volume* DriveTable::locate(const char* path, VolumePath& components) {
  return locate(path, kLongestPath, components);
}

Volume* DriveTable::locate(const char* path, std::size_t longest, VolumePath& components) {
  if (path && std::strlen(path) > longest) {
    error_ = kErrorFilenameExcedRange;
    return nullptr;
  }
  WindowsPath parsed;
  if (!parseWindowsPath(path, parsed)) {
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  Volume* found = volume(parsed.drive);
  // A path on a drive that does not exist names nothing to be found.
  if (!found) error_ = kErrorFileNotFound;
  components = std::move(parsed.components);
  return found;
}

std::unique_ptr<DirectoryListing> DriveTable::listDirectory(const char* pattern) {
  if (!pattern) {
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  return list(pattern, kLongestPath);
}

std::unique_ptr<DirectoryListing> DriveTable::list(const std::string& pattern,
                                                   std::size_t longest) {
  const std::size_t slash = pattern.rfind('\\');
  if (slash == std::string::npos) {
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  if (pattern.size() > longest) {
    error_ = kErrorFilenameExcedRange;
    return nullptr;
  }
  const std::string folder = pattern.substr(0, slash);
  VolumePath components;
  Volume* volume = locate(folder.c_str(), longest, components);
  if (!volume) {
    // The folder of the pattern cannot be found.
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  return volume->list(components, pattern.substr(slash + 1), error_);
}

bool DriveTable::hostPath(const char16_t* path, std::string& host) {
  const std::u16string_view wide = path ? path : u"";
  if (wide.size() > static_cast<std::size_t>(kMaxWidePath)) {
    error_ = kErrorFilenameExcedRange;
    return false;
  }
  host = hostNameFromWide(wide);
  return true;
}

Volume* DriveTable::locateWide(const char16_t* path, VolumePath& components) {
  std::string host;
  return hostPath(path, host) ? locate(host.c_str(), kLongestWidePath, components) : nullptr;
}

std::unique_ptr<DirectoryListing> DriveTable::listDirectoryWide(const char16_t* pattern) {
  std::string host;
  if (!hostPath(pattern, host)) return nullptr;
  std::unique_ptr<DirectoryListing> listing = list(host, kLongestWidePath);
  if (!listing) return nullptr;
  return std::make_unique<WideListing>(std::move(listing));
}

bool DriveTable::pathExistsWide(const char16_t* path) {
  VolumePath components;
  Volume* volume = locateWide(path, components);
  return volume && volume->exists(components, error_);
}

std::unique_ptr<ReadableFile> DriveTable::openForReadingWide(const char16_t* path) {
  VolumePath components;
  Volume* volume = locateWide(path, components);
  return volume ? volume->openForReading(components, error_) : nullptr;
}

bool DriveTable::setFileAttributesWide(const char16_t* path, std::uint32_t attributes) {
  VolumePath components;
  Volume* volume = locateWide(path, components);
  return volume && volume->setAttributes(components, attributes, error_);
}

bool DriveTable::deleteFileWide(const char16_t* path) {
  VolumePath components;
  Volume* volume = locateWide(path, components);
  return volume && volume->remove(components, error_);
}

unsigned DriveTable::driveType(const char* root) const {
  return root && volume(root[0]) ? kDriveFixed : kDriveNoRootDir;
}

bool DriveTable::pathExists(const char* path) {
  VolumePath components;
  Volume* volume = locate(path, components);
  return volume && volume->exists(components, error_);
}

std::unique_ptr<ReadableFile> DriveTable::openForReading(const char* path) {
  VolumePath components;
  Volume* volume = locate(path, components);
  return volume ? volume->openForReading(components, error_) : nullptr;
}

bool DriveTable::setFileAttributes(const char* path, std::uint32_t attributes) {
  VolumePath components;
  Volume* volume = locate(path, components);
  return volume && volume->setAttributes(components, attributes, error_);
}

bool DriveTable::deleteFile(const char* path) {
  VolumePath components;
  Volume* volume = locate(path, components);
  return volume && volume->remove(components, error_);
}

}  // namespace vs::volumes
