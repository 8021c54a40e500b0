// What a directory listing tells of an entry of a file system inside a disk image, as Windows lists
// it: the attribute bits the file system stores (read-only, hidden, system, archive, reparse
// point...), the directory bit, and the length of the file's unnamed data; a directory lists with
// length 0.
#pragma once

#include <tsk/libtsk.h>

#include <cstdint>

namespace vs::image {

struct EntryFacts {
  std::uint32_t attributes;
  std::uint64_t size;
};

// file: an open entry with its metadata. directory: whether its name lists it as a directory.
EntryFacts entryFacts(TSK_FS_INFO* fs, TSK_FS_FILE* file, bool directory);

// The facts of an entry whose metadata cannot be read: its name alone tells its kind.
EntryFacts factsFromNameOnly(bool directory);

// Whether an entry of a FAT root folder is the volume's label, which the library lists as a file
// and Windows does not list at all.
bool isVolumeLabel(TSK_FS_INFO* fs, TSK_INUM_T address);

}  // namespace vs::image
