// The volumes seen as drives, one per letter, and the system's file calls on Windows paths over
// them: a path is checked and split, its drive found, and the call handed to that volume. Each
// failure leaves its Win32 code in the error slot given at construction, which listings and files
// keep as well. The wide calls take wide paths of any length the system's wide calls take, and
// hand their names to the volume as this host spells them (host_names.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/volumes/volume.h"

namespace vs::volumes {

class DriveTable {
 public:
  explicit DriveTable(std::uint32_t& errorSlot) : error_(errorSlot) {}
  DriveTable(const DriveTable&) = delete;
  DriveTable& operator=(const DriveTable&) = delete;

  // Adds a volume as a drive; false when the letter is not one of C to Z or is taken already.
  bool add(char letter, std::unique_ptr<Volume> volume);
  Volume* volume(char letter) const;
  // The drive letters in order, C first.
  std::vector<char> letters() const;

  // The system's calls of the same names on the drives.
  std::unique_ptr<DirectoryListing> listDirectory(const char* pattern);
  unsigned driveType(const char* root) const;
  bool pathExists(const char* path);
  std::unique_ptr<ReadableFile> openForReading(const char* path);
  bool setFileAttributes(const char* path, std::uint32_t attributes);
  bool deleteFile(const char* path);
  std::unique_ptr<DirectoryListing> listDirectoryWide(const char16_t* pattern);
  bool pathExistsWide(const char16_t* path);
  std::unique_ptr<ReadableFile> openForReadingWide(const char16_t* path);
  bool setFileAttributesWide(const char16_t* path, std::uint32_t attributes);
  bool deleteFileWide(const char16_t* path);

 private:
  // The volume that holds a Windows path, and the path's components below its root; null (the
  // slot set) when the path is malformed, longer than longest characters, or on no drive.
  Volume* locate(const char* path, std::size_t longest, VolumePath& components);
  Volume* locate(const char* path, VolumePath& components);
  // A wide path as this host spells it; false, the slot set, when it is longer than the wide
  // calls take.
  bool hostPath(const char16_t* path, std::string& host);
  // locate for a wide path.
  Volume* locateWide(const char16_t* path, VolumePath& components);
  std::unique_ptr<DirectoryListing> list(const std::string& pattern, std::size_t longest);

  std::map<char, std::unique_ptr<Volume>> volumes_;
  std::uint32_t& error_;
};

}  // namespace vs::volumes
