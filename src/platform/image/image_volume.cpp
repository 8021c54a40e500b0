#include "platform/image/image_volume.h"

#include <cctype>

#include "platform/error_codes.h"
#include "platform/image/image_file.h"
#include "platform/image/image_listing.h"

namespace vs::image {
namespace {

using volumes::VolumePath;

// Windows names a folder the same whatever the letter case of the path.
std::size_t pathKey(const VolumePath& path) {
  std::string joined;
  for (const std::string& name : path) {
    joined += '\\';
    for (const char c : name)
      joined += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return std::hash<std::string>{}(joined);
}

}  // namespace

std::unique_ptr<ImageVolume> ImageVolume::open(std::shared_ptr<DiskImage> image,
                                               std::uint64_t offset, std::string& reason) {
  auto core = std::make_shared<Core>();
  core->image = std::move(image);
  core->fs.reset(
      tsk_fs_open_img(core->image->get(), static_cast<TSK_OFF_T>(offset), TSK_FS_TYPE_DETECT));
  if (!core->fs) {
    reason = "no file system that can be read (" + takeLibraryError("unknown") + ")";
    return nullptr;
  }
  auto root = std::make_shared<ImageDirectory>();
  std::string why;
  if (!readDirectory(core->fs.get(), core->fs.get()->root_inum, *root, why)) {
    reason = "its root folder cannot be read (" + why + ")";
    return nullptr;
  }
  return std::unique_ptr<ImageVolume>(new ImageVolume(std::move(core), offset, std::move(root)));
}

ImageVolume::ImageVolume(std::shared_ptr<Core> core, std::uint64_t offset,
                         std::shared_ptr<const ImageDirectory> root)
    : core_(std::move(core)), offset_(offset) {
  levels_.push_back({std::string(), std::move(root)});
}

std::string ImageVolume::fileSystemName() const {
  const char* name = tsk_fs_type_toname(fs()->ftype);
  return name ? name : "unknown";
}

std::uint64_t ImageVolume::length() const {
  return static_cast<std::uint64_t>(fs()->block_count) * fs()->block_size;
}

void ImageVolume::tellDamage(const VolumePath& path, std::uint64_t address,
                             const std::string& what) {
  if (damage_ && damageTold_.insert(address).second) damage_(path, address, what);
}

std::shared_ptr<const ImageDirectory> ImageVolume::folder(const VolumePath& path,
                                                          std::uint32_t& error) {
  // The walk lists a folder right after its parent: the levels of the last path looked up that
  // this one shares are taken as they are.
  std::size_t depth = 0;
  while (depth < path.size() && depth + 1 < levels_.size() &&
         levels_[depth + 1].asked == path[depth]) {
    ++depth;
  }
  levels_.resize(depth + 1);
  for (; depth < path.size(); ++depth) {
    const DirectoryName* found = findName(*levels_[depth].directory, path[depth]);
    if (!found || !found->directory) {
      error = kErrorPathNotFound;
      return nullptr;
    }
    auto directory = std::make_shared<ImageDirectory>();
    std::string why;
    if (!readDirectory(fs(), found->address, *directory, why)) {
      const VolumePath damaged(path.begin(), path.begin() + static_cast<long>(depth) + 1);
      tellDamage(damaged, found->address, "the folder cannot be read (" + why + ")");
      error = kErrorFileCorrupt;
      return nullptr;
    }
    levels_.push_back({path[depth], std::move(directory)});
  }
  return levels_[path.size()].directory;
}

std::optional<DirectoryName> ImageVolume::entry(const VolumePath& path, std::uint32_t& error) {
  if (path.empty()) return DirectoryName{std::string(), fs()->root_inum, true};
  const VolumePath parent(path.begin(), path.end() - 1);
  const std::shared_ptr<const ImageDirectory> directory = folder(parent, error);
  if (!directory) return std::nullopt;
  const DirectoryName* found = findName(*directory, path.back());
  if (!found) {
    error = kErrorFileNotFound;
    return std::nullopt;
  }
  return *found;
}

std::optional<std::uint64_t> ImageVolume::metadataAddress(const VolumePath& path) {
  std::uint32_t error = 0;
  const std::optional<DirectoryName> found = entry(path, error);
  if (!found) return std::nullopt;
  return found->address;
}

std::unique_ptr<DirectoryListing> ImageVolume::list(const VolumePath& folderPath,
                                                    const std::string& mask, std::uint32_t& error) {
  std::shared_ptr<const ImageDirectory> directory = folder(folderPath, error);
  if (!directory) return nullptr;
  const std::size_t key = pathKey(folderPath);
  const auto [listed, first] = listedUnder_.emplace(directory->identity, key);
  if (!first && listed->second != key) {
    tellDamage(folderPath, directory->address,
               "the folder is one already listed under another path (a directory entry that "
               "points at itself or at a parent); not entered again");
    error = kErrorFileCorrupt;
    return nullptr;
  }
  std::unique_ptr<DirectoryListing> listing =
      ImageListing::start(core_, fs(), std::move(directory), mask, folderPath.empty(), error);
  if (!listing) error = kErrorFileNotFound;
  return listing;
}

std::unique_ptr<ReadableFile> ImageVolume::openForReading(const VolumePath& path,
                                                          std::uint32_t& error) {
  const std::optional<DirectoryName> found = entry(path, error);
  if (!found) return nullptr;
  if (found->directory) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  FileHandle file(tsk_fs_file_open_meta(fs(), nullptr, found->address));
  if (!file || !file.get()->meta) {
    tsk_error_reset();
    error = kErrorFileCorrupt;
    return nullptr;
  }
  // Only regular files hold data to read: a link, a device or a pipe of another system's file
  // system is refused as a mounted volume refuses it.
  if (file.get()->meta->type != TSK_FS_META_TYPE_REG) {
    error = kErrorAccessDenied;
    return nullptr;
  }
  return std::make_unique<ImageFile>(core_, std::move(file), error);
}

bool ImageVolume::exists(const VolumePath& path, std::uint32_t& error) {
  return entry(path, error).has_value();
}

bool ImageVolume::setAttributes(const VolumePath& path, std::uint32_t, std::uint32_t& error) {
  if (entry(path, error)) error = kErrorWriteProtect;
  return false;
}

// The system deletes no folder through the file call, whatever the medium; any other entry of an
// image stays as it is, as on a write-protected disk.
bool ImageVolume::remove(const VolumePath& path, std::uint32_t& error) {
  if (const std::optional<DirectoryName> found = entry(path, error)) {
    error = found->directory ? kErrorAccessDenied : kErrorWriteProtect;
  }
  return false;
}

}  // namespace vs::image
