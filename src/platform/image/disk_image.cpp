#include "platform/image/disk_image.h"

#include <map>

namespace vs::image {
namespace {

// The library calls an image's read function with its own image structure only: the open images
// are found again by it.
std::map<const TSK_IMG_INFO*, DiskImage*>& openImages() {
  static std::map<const TSK_IMG_INFO*, DiskImage*> images;
  return images;
}

}  // namespace

std::shared_ptr<DiskImage> DiskImage::open(const std::string& path, std::string& error) {
  ImageHandle handle(tsk_img_open_utf8_sing(path.c_str(), TSK_IMG_TYPE_DETECT, 0));
  if (!handle) {
    error =
        path + ": cannot be opened as a disk image (" + takeLibraryError("unknown format") + ")";
    return nullptr;
  }
  return std::shared_ptr<DiskImage>(new DiskImage(path, std::move(handle)));
}

DiskImage::DiskImage(std::string path, ImageHandle handle)
    : path_(std::move(path)), handle_(std::move(handle)) {
  read_ = handle_.get()->read;
  handle_.get()->read = countingRead;
  openImages()[handle_.get()] = this;
}

DiskImage::~DiskImage() {
  openImages().erase(handle_.get());
  handle_.get()->read = read_;
}

std::uint64_t DiskImage::size() const {
  return handle_.get()->size > 0 ? static_cast<std::uint64_t>(handle_.get()->size) : 0;
}

ssize_t DiskImage::countingRead(TSK_IMG_INFO* image, TSK_OFF_T offset, char* buffer,
                                std::size_t length) {
  DiskImage* self = openImages().at(image);
  const ssize_t got = self->read_(image, offset, buffer, length);
  if (got > 0) self->bytesRead_ += static_cast<std::uint64_t>(got);
  return got;
}

}  // namespace vs::image
