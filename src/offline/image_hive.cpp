#include "offline/image_hive.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/volumes/unique_fd.h"

namespace vs::offline {
namespace {

// The registry keeps a hive below 2 GiB; a larger length is damage, not a hive to copy.
constexpr std::int64_t kLargestHive = std::int64_t{2} << 30;

bool writeAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    const ssize_t put = write(fd, data, length);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    length -= static_cast<std::size_t>(put);
  }
  return true;
}

}  // namespace

std::unique_ptr<linux_host::SoftwareHive> loadHiveFromVolume(
    volumes::Volume& volume, const volumes::VolumePath& path,
    linux_host::SoftwareHive::Notice notice, std::string& error) {
  std::uint32_t code = 0;
  std::unique_ptr<ReadableFile> file = volume.openForReading(path, code);
  if (!file) {
    error = "cannot be opened (Win32 error " + std::to_string(code) + ")";
    return nullptr;
  }
  const std::int64_t length = file->length();
  if (length < 0 || length > kLargestHive) {
    error = "has an impossible length (" + std::to_string(length) + " bytes)";
    return nullptr;
  }
  volumes::UniqueFd copy(memfd_create("SOFTWARE", MFD_CLOEXEC));
  if (!copy) {
    error = std::string("cannot be copied into memory (") + std::strerror(errno) + ")";
    return nullptr;
  }
  char buffer[65536];
  std::int64_t copied = 0;
  while (copied < length) {
    const std::int32_t got = file->read(buffer, sizeof buffer);
    if (got <= 0) {
      error = "cannot be read whole (Win32 error " + std::to_string(code) + ")";
      return nullptr;
    }
    if (!writeAll(copy.get(), buffer, static_cast<std::size_t>(got))) {
      error = std::string("cannot be copied into memory (") + std::strerror(errno) + ")";
      return nullptr;
    }
    copied += got;
  }
  // hivex opens the copy by name, as a file of its own; the copy lives while either is open.
  return linux_host::SoftwareHive::openForReading("/proc/self/fd/" + std::to_string(copy.get()),
                                                  std::move(notice), error);
}

}  // namespace vs::offline
