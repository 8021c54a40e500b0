// A disk image opened read-only through The Sleuth Kit: raw and split raw (by the first file),
// EWF/E01 segment sets (by the first segment), VHD and VMDK, and whatever else the library was
// built to read. Nothing is ever written to it and no lock is taken, so other readers are not
// kept out. The bytes read from it are counted, for the progress line.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/image/tsk_handles.h"

namespace vs::image {

class DiskImage {
 public:
  // Null, with the reason in error, when the file cannot be opened as an image.
  static std::shared_ptr<DiskImage> open(const std::string& path, std::string& error);
  ~DiskImage();
  DiskImage(const DiskImage&) = delete;
  DiskImage& operator=(const DiskImage&) = delete;

  const std::string& path() const { return path_; }
  TSK_IMG_INFO* get() const { return handle_.get(); }
  std::uint64_t size() const;
  // Bytes read from the image's files so far (what the library's cache did not already hold).
  std::uint64_t bytesRead() const { return bytesRead_; }

 private:
  DiskImage(std::string path, ImageHandle handle);
  static ssize_t countingRead(TSK_IMG_INFO* image, TSK_OFF_T offset, char* buffer,
                              std::size_t length);

  std::string path_;
  ImageHandle handle_;
  ssize_t (*read_)(TSK_IMG_INFO*, TSK_OFF_T, char*, std::size_t) = nullptr;
  std::uint64_t bytesRead_ = 0;
};

}  // namespace vs::image
