// The files of the installation, through its drives. The tool writes nothing on them but
// deletions and attribute resets: copies and files opened for writing (the 9x line's wininit.ini)
// are refused, and there are no short names to give.
#include "platform/linux/linux_platform.h"
#include "platform/volumes/host_names.h"

namespace vs::linux_host {

std::unique_ptr<DirectoryListing> LinuxPlatform::listDirectory(const char* pattern) {
  return drives_.listDirectory(pattern);
}

unsigned LinuxPlatform::driveType(const char* root) {
  return drives_.driveType(root);
}

bool LinuxPlatform::pathExists(const char* path) {
  return drives_.pathExists(path);
}

// The system's read test asks only for the attributes, as the existence test does.
bool LinuxPlatform::isReadable(const char* path) {
  return drives_.pathExists(path);
}

std::unique_ptr<ReadableFile> LinuxPlatform::openForReading(const char* path) {
  return drives_.openForReading(path);
}

bool LinuxPlatform::setFileAttributes(const char* path, std::uint32_t attributes) {
  return drives_.setFileAttributes(path, attributes);
}

bool LinuxPlatform::deleteFile(const char* path) {
  if (deletionWitness_) deletionWitness_(path);
  return drives_.deleteFile(path);
}

bool LinuxPlatform::copyFile(const char*, const char*) {
  return fail(kErrorAccessDenied);
}

std::unique_ptr<WritableFile> LinuxPlatform::openForWriting(const char*, WriteMode) {
  fail(kErrorAccessDenied);
  return nullptr;
}

std::uint32_t LinuxPlatform::shortPathName(const char*, char*, std::uint32_t) {
  fail(kErrorFileNotFound);
  return 0;
}

bool LinuxPlatform::hasWideFileCalls() {
  return true;
}

std::unique_ptr<DirectoryListing> LinuxPlatform::listDirectoryWide(const char16_t* pattern) {
  return drives_.listDirectoryWide(pattern);
}

bool LinuxPlatform::pathExistsWide(const char16_t* path) {
  return drives_.pathExistsWide(path);
}

std::unique_ptr<ReadableFile> LinuxPlatform::openForReadingWide(const char16_t* path) {
  return drives_.openForReadingWide(path);
}

bool LinuxPlatform::setFileAttributesWide(const char16_t* path, std::uint32_t attributes) {
  return drives_.setFileAttributesWide(path, attributes);
}

bool LinuxPlatform::deleteFileWide(const char16_t* path) {
  if (deletionWitness_) deletionWitness_(volumes::hostNameFromWide(path).c_str());
  return drives_.deleteFileWide(path);
}

}  // namespace vs::linux_host
