#include "platform/linux/drive_table.h"

#include <cctype>
#include <cstring>
#include <string>

#include "platform/error_codes.h"
#include "platform/linux/windows_path.h"

namespace vs::linux_host {
namespace {

// The longest path the system's ANSI calls take: beyond it they fail before looking.
constexpr std::size_t kLongestPath = kMaxPath;

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
  if (path && std::strlen(path) > kLongestPath) {
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
  const char* slash = pattern ? std::strrchr(pattern, '\\') : nullptr;
  if (!slash) {
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  if (std::strlen(pattern) > kLongestPath) {
    error_ = kErrorFilenameExcedRange;
    return nullptr;
  }
  const std::string folder(pattern, slash);
  VolumePath components;
  Volume* volume = locate(folder.c_str(), components);
  if (!volume) {
    // The folder of the pattern cannot be found.
    error_ = kErrorPathNotFound;
    return nullptr;
  }
  return volume->list(components, slash + 1, error_);
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

}  // namespace vs::linux_host
