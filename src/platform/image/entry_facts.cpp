#include "platform/image/entry_facts.h"

#include "platform/file_system.h"

// The library's reader of one raw FAT or exFAT directory entry. Its header cannot be included
// from outside the library's source tree, so the exported function is declared here: the file
// system handle it takes is the FAT one the library opened, and the entry is 32 bytes.
extern "C" std::uint8_t fatfs_dentry_load(void* fatfs, void* entry, TSK_INUM_T address);

namespace vs::image {
namespace {

constexpr std::uint32_t kAttrNormal = 0x80;
// The bits Windows gives in a listing that a file system stores for an entry: read-only, hidden,
// system, archive, temporary, sparse, reparse point, compressed, offline, not indexed, encrypted.
constexpr std::uint32_t kStoredBits = 0x7F27;

std::uint32_t littleEndian32(const std::uint8_t* bytes) {
  return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) |
         (static_cast<std::uint32_t>(bytes[3]) << 24);
}

// NTFS keeps the bits in the file's standard information, 4 bytes at offset 32.
bool ntfsBits(TSK_FS_FILE* file, std::uint32_t& bits) {
  const TSK_FS_ATTR* info = tsk_fs_file_attr_get_type(file, TSK_FS_ATTR_TYPE_NTFS_SI, 0, 0);
  tsk_error_reset();
  if (!info || !(info->flags & TSK_FS_ATTR_RES) || !info->rd.buf || info->size < 36) return false;
  bits = littleEndian32(info->rd.buf + 32);
  return true;
}

// FAT keeps them in the entry's byte 11; exFAT in the 16 bits at offset 4 of the file entry
// (type 0x85).
bool fatBits(TSK_FS_INFO* fs, TSK_INUM_T address, std::uint32_t& bits) {
  if (address == fs->root_inum || address < fs->first_inum || address > fs->last_inum) return false;
  std::uint8_t entry[32];
  if (fatfs_dentry_load(fs, entry, address) != 0) {
    tsk_error_reset();
    return false;
  }
  if (fs->ftype == TSK_FS_TYPE_EXFAT) {
    if (entry[0] != 0x85) return false;
    bits = entry[4] | (entry[5] << 8);
  } else {
    bits = entry[11];
  }
  return true;
}

}  // namespace

bool isVolumeLabel(TSK_FS_INFO* fs, TSK_INUM_T address) {
  constexpr std::uint32_t kVolumeLabel = 0x08;
  constexpr std::uint32_t kLongNamePart = 0x0F;
  std::uint32_t bits = 0;
  return TSK_FS_TYPE_ISFAT(fs->ftype) && fs->ftype != TSK_FS_TYPE_EXFAT &&
         fatBits(fs, address, bits) && (bits & kVolumeLabel) && bits != kLongNamePart;
}

EntryFacts factsFromNameOnly(bool directory) {
  return {directory ? kAttrDirectory : kAttrArchive, 0};
}

EntryFacts entryFacts(TSK_FS_INFO* fs, TSK_FS_FILE* file, bool directory) {
  const TSK_FS_META* meta = file->meta;
  if (!meta) return factsFromNameOnly(directory);
  EntryFacts facts{0, 0};
  if (!directory && meta->size > 0) facts.size = static_cast<std::uint64_t>(meta->size);

  std::uint32_t bits = 0;
  const bool stored = TSK_FS_TYPE_ISNTFS(fs->ftype)  ? ntfsBits(file, bits)
                      : TSK_FS_TYPE_ISFAT(fs->ftype) ? fatBits(fs, meta->addr, bits)
                                                     : false;
  if (stored) {
    facts.attributes = bits & kStoredBits;
    if (directory) facts.attributes |= kAttrDirectory;
    if (facts.attributes == 0) facts.attributes = kAttrNormal;
    return facts;
  }
  // Other file systems keep Unix metadata, read as a mounted volume's: a link is a reparse point of
  // length 0, and an entry nobody may write is read-only.
  if (meta->type == TSK_FS_META_TYPE_LNK) return {kAttrReparsePoint | kAttrArchive, 0};
  facts.attributes = directory ? kAttrDirectory : kAttrArchive;
  const auto writeBits = TSK_FS_META_MODE_IWUSR | TSK_FS_META_MODE_IWGRP | TSK_FS_META_MODE_IWOTH;
  if (!(meta->mode & writeBits)) facts.attributes |= kAttrReadOnly;
  return facts;
}

}  // namespace vs::image
