// Owners of The Sleuth Kit's objects, on the same template as the system's handles: each closes
// its object on every path.
#pragma once

#include <tsk/libtsk.h>

#include <string>

#include "platform/unique_handle.h"

namespace vs::image {

using ImageHandle = UniqueHandle<NullHandleTraits<TSK_IMG_INFO*, tsk_img_close>>;
using PartitionTableHandle = UniqueHandle<NullHandleTraits<TSK_VS_INFO*, tsk_vs_close>>;
using FileSystemHandle = UniqueHandle<NullHandleTraits<TSK_FS_INFO*, tsk_fs_close>>;
using DirectoryHandle = UniqueHandle<NullHandleTraits<TSK_FS_DIR*, tsk_fs_dir_close>>;
using FileHandle = UniqueHandle<NullHandleTraits<TSK_FS_FILE*, tsk_fs_file_close>>;

// The library's last error as one line (or what failed, when it gave none); the error is cleared.
std::string takeLibraryError(const char* whatFailed);

}  // namespace vs::image
