#include "images/image_builder.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vs::test {
namespace {

namespace fs = std::filesystem;

std::string quoted(const std::string& text) {
  std::string out = "'";
  for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

// Runs a tool; false, with its command and output, when it fails.
bool run(const std::vector<std::string>& command, std::string& error) {
  std::string line = "MTOOLS_SKIP_CHECK=1";
  for (const std::string& part : command) line += " " + quoted(part);
  FILE* pipe = popen((line + " 2>&1 </dev/null").c_str(), "r");
  if (!pipe) {
    error = "cannot run " + line;
    return false;
  }
  std::string output;
  char buffer[4096];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
  const int status = pclose(pipe);
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
  error = line + ": " + output;
  return false;
}

// A folder of its own for the content files a build hands to the tools.
class WorkFolder {
 public:
  WorkFolder() {
    std::string pattern = (fs::temp_directory_path() / "vs-image-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~WorkFolder() {
    std::error_code ignored;
    if (!path_.empty()) fs::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  // A new file holding the bytes.
  std::string file(const std::string& bytes) {
    const std::string name = path_ + "/" + std::to_string(next_++);
    std::ofstream(name, std::ios::binary) << bytes;
    return name;
  }

 private:
  std::string path_;
  int next_ = 0;
};

std::string slashed(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool makeEmptyFile(const std::string& path, std::uint64_t bytes, std::string& error) {
  std::error_code failed;
  fs::remove(path, failed);
  std::ofstream(path, std::ios::binary).flush();
  fs::resize_file(path, bytes, failed);
  if (failed) error = path + ": " + failed.message();
  return !failed;
}

bool buildFat(const std::string& image, const std::vector<ImageItem>& items, std::string& error) {
  if (!run({"mformat", "-i", image, "-F", "::"}, error)) return false;
  WorkFolder work;
  for (const ImageItem& item : items) {
    const std::string target = "::/" + slashed(item.path);
    switch (item.kind) {
      case ImageItem::Kind::Directory:
        if (!run({"mmd", "-i", image, target}, error)) return false;
        break;
      case ImageItem::Kind::File:
        if (!run({"mcopy", "-i", image, work.file(item.bytes), target}, error)) return false;
        break;
      case ImageItem::Kind::Deleted:
        if (!run({"mcopy", "-i", image, work.file("deleted"), target}, error) ||
            !run({"mdel", "-i", image, target}, error)) {
          return false;
        }
        break;
      case ImageItem::Kind::VolumeLabel:
        if (!run({"mlabel", "-i", image, "::" + item.path}, error)) return false;
        break;
      default:
        error = item.path + ": FAT cannot hold links, streams or sparse files";
        return false;
    }
    if (item.attributes != 0) {
      std::vector<std::string> command = {"mattrib", "-i", image};
      if (item.attributes & 1) command.push_back("+r");
      if (item.attributes & 2) command.push_back("+h");
      if (item.attributes & 4) command.push_back("+s");
      command.push_back(target);
      if (!run(command, error)) return false;
    }
  }
  return true;
}

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

bool buildNtfs(const std::string& image, const std::vector<ImageItem>& items, std::string& error) {
  if (!run({"mkntfs", "-F", "-Q", "-q", image}, error)) return false;
  WorkFolder work;
  std::string manifest;
  for (const ImageItem& item : items) {
    const std::string path = slashed(item.path);
    switch (item.kind) {
      case ImageItem::Kind::Directory:
        manifest += "D\t" + path + "\t" + hex(item.attributes) + "\n";
        break;
      case ImageItem::Kind::File:
        manifest +=
            "F\t" + path + "\t" + hex(item.attributes) + "\t" + work.file(item.bytes) + "\n";
        break;
      case ImageItem::Kind::SparseFile:
        manifest +=
            "S\t" + path + "\t" + hex(item.attributes) + "\t" + std::to_string(item.length) + "\n";
        break;
      case ImageItem::Kind::FileLink:
        manifest += "L\t" + path + "\t" + slashed(item.target) + "\n";
        break;
      case ImageItem::Kind::DirectoryLink:
        manifest += "K\t" + path + "\t" + slashed(item.target) + "\n";
        break;
      case ImageItem::Kind::Stream:
        manifest += "A\t" + path + "\t" + item.target + "\t" + work.file(item.bytes) + "\n";
        break;
      case ImageItem::Kind::Deleted:
        manifest += "X\t" + path + "\n";
        break;
      case ImageItem::Kind::VolumeLabel:
        if (!run({"ntfslabel", "-f", image, item.path}, error)) return false;
        break;
    }
  }
  // The NTFS library leaves a few blocks unfreed at its end; the leak checker of a sanitizer build
  // is no judge of it here.
  return run(
      {"env", "ASAN_OPTIONS=detect_leaks=0", MAKE_NTFS_IMAGE_PATH, image, work.file(manifest)},
      error);
}

}  // namespace

ImageItem imageDirectory(std::string path, std::uint32_t attributes) {
  return {ImageItem::Kind::Directory, std::move(path), {}, attributes, {}, 0};
}

ImageItem imageFile(std::string path, std::string bytes, std::uint32_t attributes) {
  return {ImageItem::Kind::File, std::move(path), std::move(bytes), attributes, {}, 0};
}

bool buildFileSystemImage(const std::string& image, FileSystemKind kind,
                          const std::vector<ImageItem>& items, std::string& error,
                          std::uint32_t megabytes) {
  if (!makeEmptyFile(image, std::uint64_t{megabytes} << 20, error)) return false;
  return kind == FileSystemKind::Fat32 ? buildFat(image, items, error)
                                       : buildNtfs(image, items, error);
}

std::vector<ImageItem> itemsFromFolder(const std::string& folder) {
  std::vector<ImageItem> items;
  std::vector<fs::path> found;
  // Links are not followed, and one that loops must not end the look.
  std::error_code error;
  for (fs::recursive_directory_iterator it(folder, error), end; it != end; it.increment(error)) {
    found.push_back(it->path());
  }
  // Parents before what they hold.
  std::sort(found.begin(), found.end());
  for (const fs::path& path : found) {
    std::string relative = path.lexically_relative(folder).string();
    for (char& c : relative) {
      if (c == '/') c = '\\';
    }
    const fs::file_status status = fs::symlink_status(path, error);
    if (fs::is_directory(status)) {
      items.push_back(imageDirectory(relative));
    } else if (fs::is_regular_file(status)) {
      std::ifstream in(path, std::ios::binary);
      std::ostringstream bytes;
      bytes << in.rdbuf();
      items.push_back(imageFile(relative, bytes.str()));
    }
  }
  return items;
}

void makeItemsInFolder(const std::string& folder, const std::vector<ImageItem>& items) {
  for (const ImageItem& item : items) {
    const fs::path path = fs::path(folder) / slashed(item.path);
    if (item.kind == ImageItem::Kind::Directory) {
      fs::create_directories(path);
    } else if (item.kind == ImageItem::Kind::File) {
      fs::create_directories(path.parent_path());
      std::ofstream(path, std::ios::binary) << item.bytes;
      if (item.attributes & 1) chmod(path.c_str(), 0444);
    }
  }
}

bool buildPartitionedDisk(const std::string& disk, const std::vector<DiskPartition>& partitions,
                          std::vector<std::uint64_t>& offsets, std::string& error,
                          const std::string& label) {
  constexpr std::uint64_t kSector = 512;
  constexpr std::uint64_t kFirst = 2048;
  std::string table = "label: " + label + "\n";
  offsets.clear();
  std::uint64_t next = kFirst;
  std::vector<std::pair<std::string, std::uint64_t>> writes;
  for (const DiskPartition& partition : partitions) {
    std::uint64_t bytes = std::uint64_t{partition.megabytes} << 20;
    if (!partition.image.empty()) bytes = fs::file_size(partition.image);
    const std::uint64_t sectors = (bytes + kSector - 1) / kSector;
    table += "start=" + std::to_string(next) + ", size=" + std::to_string(sectors) +
             ", type=" + partition.type +
             (partition.name.empty() ? "" : ", name=\"" + partition.name + "\"") + "\n";
    if (!partition.image.empty()) writes.emplace_back(partition.image, next);
    offsets.push_back(next * kSector);
    next += (sectors + kFirst - 1) / kFirst * kFirst;
  }
  if (!makeEmptyFile(disk, (next + kFirst) * kSector, error)) return false;
  WorkFolder work;
  if (!run({"sh", "-c", "sfdisk -q \"$0\" < \"$1\"", disk, work.file(table)}, error)) return false;
  for (const auto& [image, start] : writes) {
    if (!run({"dd", "if=" + image, "of=" + disk, "bs=512", "seek=" + std::to_string(start),
              "conv=notrunc", "status=none"},
             error)) {
      return false;
    }
  }
  return true;
}

bool convertDisk(const std::string& raw, DiskFormat format, const std::string& basePath,
                 std::string& converted, std::string& error) {
  switch (format) {
    case DiskFormat::SplitRaw:
      converted = basePath + ".001";
      return run(
          {"split", "-b", "16M", "-d", "-a", "3", "--numeric-suffixes=1", raw, basePath + "."},
          error);
    case DiskFormat::Vhd:
      converted = basePath + ".vhd";
      return run({"qemu-img", "convert", "-f", "raw", "-O", "vpc", raw, converted}, error);
    case DiskFormat::Vmdk:
      converted = basePath + ".vmdk";
      return run({"qemu-img", "convert", "-f", "raw", "-O", "vmdk", raw, converted}, error);
    case DiskFormat::E01:
      converted = basePath + ".E01";
      return run({"ewfacquire", "-u", "-q", "-S", "16MiB", "-t", basePath, raw}, error);
  }
  return false;
}

std::unique_ptr<image::ImageVolume> openImageVolume(const std::string& image, std::string& error) {
  std::shared_ptr<image::DiskImage> disk = image::DiskImage::open(image, error);
  return disk ? image::ImageVolume::open(disk, 0, error) : nullptr;
}

std::int64_t fatEntryOffset(const std::string& image, const std::string& name83) {
  std::ifstream in(image, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string data = bytes.str();
  // Entries lie on 32-byte boundaries; a long-name entry (attribute 0x0F) is not the one wanted.
  for (std::size_t at = data.find(name83); at != std::string::npos;
       at = data.find(name83, at + 1)) {
    if (at % 32 == 0 && at + 32 <= data.size() && data[at + 11] != 0x0F) {
      return static_cast<std::int64_t>(at);
    }
  }
  return -1;
}

}  // namespace vs::test
