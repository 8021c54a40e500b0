#include "offline/finding_details.h"

#include <cctype>

#include "offline/sha256.h"
#include "platform/volumes/host_names.h"
#include "platform/volumes/windows_path.h"

namespace vs::offline {

void FindingLocator::beforeDeletion(const char* path) {
  // The disposal may try a file more than once; the first digest is the file as it was found.
  if (!digestsBeforeDeletion_.count(path)) digestsBeforeDeletion_[path] = digest(path);
}

void FindingLocator::registryValue(const std::string& key, const std::string& value) {
  key_ = key;
  value_ = value;
}

std::string FindingLocator::digest(const std::string& windowsPath) {
  // A path longer than the ANSI calls take is read through the wide ones.
  std::unique_ptr<ReadableFile> file =
      windowsPath.size() < static_cast<std::size_t>(kMaxPath)
          ? os_.openForReading(windowsPath.c_str())
          : os_.openForReadingWide(volumes::wideFromHostName(windowsPath).c_str());
  if (!file) return {};
  Sha256 sha;
  char buffer[65536];
  for (;;) {
    const std::int32_t got = file->read(buffer, sizeof buffer);
    if (got < 0) return {};
    if (got == 0) break;
    sha.update(buffer, static_cast<std::size_t>(got));
  }
  return sha.finishHex();
}

FindingDetails FindingLocator::placeOf(const std::string& windowsPath) const {
  FindingDetails details;
  volumes::WindowsPath parsed;
  if (!volumes::parseWindowsPath(windowsPath.c_str(), parsed)) return details;
  const auto drive = imageDrives_.find(parsed.drive);
  if (drive == imageDrives_.end()) return details;
  details.image = drive->second->image().path();
  details.offset = drive->second->offset();
  details.inode = drive->second->metadataAddress(parsed.components);
  return details;
}

FindingDetails FindingLocator::fileDetails(const std::string& windowsPath) {
  FindingDetails details = placeOf(windowsPath);
  const auto taken = digestsBeforeDeletion_.find(windowsPath);
  details.sha256 = taken != digestsBeforeDeletion_.end() ? taken->second : digest(windowsPath);
  return details;
}

FindingDetails FindingLocator::registryDetails() const {
  FindingDetails details = hive_.empty() ? FindingDetails{} : placeOf(hive_);
  details.hive = hive_;
  details.key = key_;
  details.value = value_;
  return details;
}

}  // namespace vs::offline
