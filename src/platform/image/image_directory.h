// One directory of a file system inside a disk image, as name lookups and listings see it: the
// entries Windows would list, in the file system's order. Left out: "." and "..", deleted and
// orphaned entries, the library's own additions ($OrphanFiles, $MBR, $FAT1...), NTFS metadata
// files at the root ($MFT...$Extend), and names with a backslash, which no Windows path holds.
#pragma once

#include <tsk/libtsk.h>

#include <cstdint>
#include <string>
#include <vector>

namespace vs::image {

struct DirectoryName {
  std::string name;
  TSK_INUM_T address;  // of the entry's metadata (inode, MFT entry, FAT directory entry)
  bool directory;
};

struct ImageDirectory {
  TSK_INUM_T address;
  // The place where the directory's contents start: two names that lead to the same contents are
  // one directory, however a damaged file system names them.
  std::uint64_t identity;
  std::vector<DirectoryName> names;
};

// Reads a directory; false, with the library's reason, when it cannot be read.
bool readDirectory(TSK_FS_INFO* fs, TSK_INUM_T address, ImageDirectory& out, std::string& reason);

// The entry of a directory with this name: one spelled exactly so, else the first that equals it
// ignoring case; null when there is none.
const DirectoryName* findName(const ImageDirectory& directory, const std::string& name);

}  // namespace vs::image
