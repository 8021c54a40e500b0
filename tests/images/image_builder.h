// Disk images built for tests from a list of entries, with Debian's own tools and no root, mount
// or FUSE: FAT32 file systems with mtools (mformat, mmd, mcopy, mattrib), NTFS ones with mkntfs
// and make_ntfs_image (the NTFS library's API), partitioned disks with sfdisk and the file systems
// written at their offsets, and the same disk as VHD and VMDK (qemu-img) and E01 (ewfacquire).
//
// A test that needs a drive backed by an image describes the tree as ImageItems, builds a
// file-system image (or a partitioned disk holding several) and opens it with vantoscan's image
// backend; the same items can be made in a host folder for a mounted volume, so that both
// backends answer for one tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image/image_volume.h"

namespace vs::test {

struct ImageItem {
  enum class Kind {
    Directory,
    File,
    SparseFile,     // NTFS only: a file of `length` bytes that holds no data
    FileLink,       // NTFS only: a symbolic link (reparse point) to the file `target`
    DirectoryLink,  // NTFS only: a symbolic link (reparse point) to the directory `target`
    Stream,         // NTFS only: an alternate data stream `target` of an existing file
    Deleted,      // a file made and deleted again, whose entry a damaged-looking listing might show
    VolumeLabel,  // the volume's label, `path`
  };
  Kind kind;
  std::string path;  // below the root, separated by backslashes
  std::string bytes;
  std::uint32_t attributes = 0;  // read-only (1), hidden (2), system (4)
  std::string target;
  std::uint64_t length = 0;
};
ImageItem imageDirectory(std::string path, std::uint32_t attributes = 0);
ImageItem imageFile(std::string path, std::string bytes, std::uint32_t attributes = 0);

enum class FileSystemKind { Fat32, Ntfs };

// Makes a file system of the given size holding the items, in order, in a new image file. False,
// with the tool's message, when an item cannot be made there.
bool buildFileSystemImage(const std::string& image, FileSystemKind kind,
                          const std::vector<ImageItem>& items, std::string& error,
                          std::uint32_t megabytes = 48);

// The items for a host folder's tree: its directories and regular files (links left out).
std::vector<ImageItem> itemsFromFolder(const std::string& folder);
// Makes the items in a host folder (links and streams, which a folder cannot hold, left out).
void makeItemsInFolder(const std::string& folder, const std::vector<ImageItem>& items);

// One partition of a disk: a file-system image written at its start, or, with no image, an
// empty partition of the given size.
struct DiskPartition {
  std::string image;
  std::string type;  // sfdisk's type: on MBR "c" FAT32, "7" NTFS, "83" Linux; on GPT a GUID
  std::uint32_t megabytes = 0;
  std::string name;  // GPT only: the partition's name
};
// A disk with a partition table of sfdisk's label ("dos" for MBR, "gpt") holding the partitions
// in order, the first at 1 MiB, each after the one before; the byte offset of each goes to
// offsets.
bool buildPartitionedDisk(const std::string& disk, const std::vector<DiskPartition>& partitions,
                          std::vector<std::uint64_t>& offsets, std::string& error,
                          const std::string& label = "dos");

enum class DiskFormat { SplitRaw, Vhd, Vmdk, E01 };
// Converts a raw disk into another format: split raw and E01 in segments of 16 MiB, so that a
// disk of more than that is a set of files; the path of the file to open (the first of a set)
// goes to converted.
bool convertDisk(const std::string& raw, DiskFormat format, const std::string& basePath,
                 std::string& converted, std::string& error);

// The file system at the start of an image file (a bare file-system image) as vantoscan opens
// it, ready to be added to a drive table; null, with the reason, when it cannot be opened.
std::unique_ptr<image::ImageVolume> openImageVolume(const std::string& image, std::string& error);

// The byte offset of a name's short (8.3) directory entry in a FAT image, for tests that damage
// one; -1 when the name is not there. name83: 11 characters, space-padded ("LOOP       ").
std::int64_t fatEntryOffset(const std::string& image, const std::string& name83);

}  // namespace vs::test
