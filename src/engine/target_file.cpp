#include "engine/target_file.h"

namespace vs {

std::unique_ptr<ReadableFile> openTarget(Platform& os, const TargetFile& file) {
  return file.wide() ? os.openForReadingWide(file.widePath) : os.openForReading(file.path);
}

bool setTargetAttributes(Platform& os, const TargetFile& file, std::uint32_t attributes) {
  return file.wide() ? os.setFileAttributesWide(file.widePath, attributes)
                     : os.setFileAttributes(file.path, attributes);
}

bool deleteTarget(Platform& os, const TargetFile& file) {
  return file.wide() ? os.deleteFileWide(file.widePath) : os.deleteFile(file.path);
}

}  // namespace vs
