#include "platform/image/image_partitions.h"

#include <cstring>

namespace vs::image {
namespace {

// Partition kinds that hold no file system by design, as the library names them: the partition
// Windows reserves on GPT disks (by the name Windows gives it) and swap space.
bool holdsNoFileSystem(const std::string& type) {
  for (const char* kind : {"Microsoft reserved", "Swap", "swap"}) {
    if (type.find(kind) != std::string::npos) return true;
  }
  return false;
}

}  // namespace

bool openPartitions(const std::shared_ptr<DiskImage>& image, std::vector<ImagePartition>& out,
                    std::string& error) {
  out.clear();
  std::string bareReason;
  if (std::unique_ptr<ImageVolume> volume = ImageVolume::open(image, 0, bareReason)) {
    ImagePartition whole;
    whole.truncated = volume->length() > image->size();
    whole.volume = std::move(volume);
    out.push_back(std::move(whole));
    return true;
  }
  PartitionTableHandle table;
  std::string tableReason;
  // Detection says little when a table it knows is damaged; the common kinds, tried one by one,
  // say what is wrong with them.
  for (const TSK_VS_TYPE_ENUM type : {TSK_VS_TYPE_DETECT, TSK_VS_TYPE_DOS, TSK_VS_TYPE_GPT}) {
    table.reset(tsk_vs_open(image->get(), 0, type));
    if (table) break;
    const std::string why = takeLibraryError("");
    if (tableReason.empty()) tableReason = why;
  }
  if (!table) {
    error = image->path() + ": neither a file system nor a partition table that can be read (" +
            (tableReason.empty() ? "unknown layout" : tableReason) + ")";
    return false;
  }
  int number = 0;
  for (TSK_PNUM_T i = 0; i < table.get()->part_count; ++i) {
    const TSK_VS_PART_INFO* part = tsk_vs_part_get(table.get(), i);
    if (!part || !(part->flags & TSK_VS_PART_FLAG_ALLOC)) continue;
    ImagePartition partition;
    partition.number = ++number;
    partition.offset = static_cast<std::uint64_t>(part->start) * table.get()->block_size;
    partition.type = part->desc ? part->desc : "";
    partition.holdsNoFileSystem = holdsNoFileSystem(partition.type);
    const std::uint64_t end =
        partition.offset + static_cast<std::uint64_t>(part->len) * table.get()->block_size;
    if (partition.offset >= image->size()) {
      partition.skipReason = "it starts past the end of the image";
    } else {
      partition.volume = ImageVolume::open(image, partition.offset, partition.skipReason);
      partition.truncated =
          end > image->size() ||
          (partition.volume && partition.offset + partition.volume->length() > image->size());
      if (!partition.volume && partition.truncated) {
        partition.skipReason += "; the image ends before the partition does";
      }
    }
    out.push_back(std::move(partition));
  }
  tsk_error_reset();
  if (out.empty()) {
    error = image->path() + ": its partition table holds no partition";
    return false;
  }
  return true;
}

}  // namespace vs::image
