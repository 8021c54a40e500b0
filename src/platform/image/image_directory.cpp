#include "platform/image/image_directory.h"

#include <cstring>

#include "platform/image/entry_facts.h"
#include "platform/image/tsk_handles.h"
#include "platform/windows_text.h"

namespace vs::image {
namespace {

// NTFS keeps its own files in the MFT's first 16 entries ($MFT to $Extend, and the root's "."
// entry); Windows lists none of them.
constexpr TSK_INUM_T kFirstUserEntry = 16;

bool wanted(TSK_FS_INFO* fs, TSK_INUM_T directory, const TSK_FS_NAME& name) {
  if (!name.name || !(name.flags & TSK_FS_NAME_FLAG_ALLOC)) return false;
  if (name.type == TSK_FS_NAME_TYPE_VIRT || name.type == TSK_FS_NAME_TYPE_VIRT_DIR) return false;
  if (std::strcmp(name.name, ".") == 0 || std::strcmp(name.name, "..") == 0) return false;
  if (TSK_FS_TYPE_ISNTFS(fs->ftype) && directory == fs->root_inum &&
      name.meta_addr < kFirstUserEntry) {
    return false;
  }
  if (directory == fs->root_inum && isVolumeLabel(fs, name.meta_addr)) return false;
  return !std::strchr(name.name, '\\');
}

std::uint64_t identityOf(TSK_FS_DIR* dir) {
  constexpr std::uint64_t kBlockIdentity = 1ull << 63;
  TSK_FS_FILE* file = dir->fs_file;
  // FAT names a directory's contents by their first cluster: entries pointing at the same cluster
  // list the same directory under different metadata addresses.
  if (file && file->meta) {
    const TSK_FS_ATTR* data = tsk_fs_file_attr_get(file);
    tsk_error_reset();
    if (data && (data->flags & TSK_FS_ATTR_NONRES) && data->nrd.run &&
        !TSK_FS_TYPE_ISNTFS(file->fs_info->ftype)) {
      return kBlockIdentity | data->nrd.run->addr;
    }
  }
  return dir->addr;
}

}  // namespace

bool readDirectory(TSK_FS_INFO* fs, TSK_INUM_T address, ImageDirectory& out, std::string& reason) {
  DirectoryHandle dir(tsk_fs_dir_open_meta(fs, address));
  if (!dir) {
    reason = takeLibraryError("the directory cannot be read");
    return false;
  }
  // A directory the library read only in part still lists what it found.
  tsk_error_reset();
  out.address = address;
  out.identity = identityOf(dir.get());
  out.names.clear();
  const std::size_t count = tsk_fs_dir_getsize(dir.get());
  for (std::size_t i = 0; i < count; ++i) {
    const TSK_FS_NAME* name = tsk_fs_dir_get_name(dir.get(), i);
    if (!name || !wanted(fs, address, *name)) continue;
    out.names.push_back({name->name, name->meta_addr, name->type == TSK_FS_NAME_TYPE_DIR});
  }
  return true;
}

const DirectoryName* findName(const ImageDirectory& directory, const std::string& name) {
  const DirectoryName* ignoringCase = nullptr;
  for (const DirectoryName& entry : directory.names) {
    if (entry.name == name) return &entry;
    if (!ignoringCase && equalsIgnoringCase(entry.name, name)) ignoringCase = &entry;
  }
  return ignoringCase;
}

}  // namespace vs::image
