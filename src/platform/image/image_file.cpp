#include "platform/image/image_file.h"

#include <algorithm>

#include "platform/error_codes.h"

namespace vs::image {

ImageFile::ImageFile(std::shared_ptr<const void> keepAlive, FileHandle file, std::uint32_t& error)
    : keepAlive_(std::move(keepAlive)), file_(std::move(file)), error_(error) {}

std::int64_t ImageFile::length() {
  const TSK_OFF_T size = file_.get()->meta->size;
  return size > 0 ? static_cast<std::int64_t>(size) : 0;
}

bool ImageFile::seek(std::int64_t offset) {
  if (offset < 0) {
    error_ = kErrorNegativeSeek;
    return false;
  }
  position_ = offset;
  return true;
}

std::int32_t ImageFile::read(void* buffer, std::uint32_t count) {
  const std::int64_t size = length();
  if (position_ >= size || count == 0) return 0;
  // The result must fit the signed count; larger requests are served in part, as a short read.
  const auto wanted = static_cast<std::size_t>(
      std::min<std::int64_t>({count, size - position_, std::int64_t{0x7FFFFFFF}}));
  const ssize_t got = tsk_fs_file_read(file_.get(), position_, static_cast<char*>(buffer), wanted,
                                       TSK_FS_FILE_READ_FLAG_NONE);
  if (got < 0) {
    tsk_error_reset();
    error_ = kErrorFileCorrupt;
    return -1;
  }
  position_ += got;
  return static_cast<std::int32_t>(got);
}

}  // namespace vs::image
