// A file of a file system inside a disk image, read through The Sleuth Kit: its unnamed data
// stream, decompressed where the file system compresses it. Failures leave their Win32 code in
// the platform's error slot.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/file_system.h"
#include "platform/image/tsk_handles.h"

namespace vs::image {

class ImageFile : public ReadableFile {
 public:
  // keepAlive: what the file system needs to stay open while the file is.
  ImageFile(std::shared_ptr<const void> keepAlive, FileHandle file, std::uint32_t& error);

  std::int64_t length() override;
  bool seek(std::int64_t offset) override;
  std::int32_t read(void* buffer, std::uint32_t count) override;

 private:
  std::shared_ptr<const void> keepAlive_;
  FileHandle file_;
  std::uint32_t& error_;
  std::int64_t position_ = 0;
};

}  // namespace vs::image
