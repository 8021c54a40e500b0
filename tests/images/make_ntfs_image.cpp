// Fills an NTFS file system made by mkntfs in a plain file, through the NTFS library's own API:
// no root, no mount, no FUSE. Reads a manifest, one entry per line, fields separated by tabs,
// paths below the root separated by "/":
//   D  path  attributes                  a directory
//   F  path  attributes  host-file       a file holding the host file's bytes
//   S  path  attributes  length          a sparse file of that length holding no data
//   A  path  stream      host-file       an alternate data stream of an existing file
//   X  path                              a file made and deleted again
//   L  path  target                      a symbolic link (a reparse point) to a file
//   K  path  target                      a symbolic link (a reparse point) to a directory
//   T  host-folder  path                 a host folder's whole tree copied below path
// Attributes are the Windows bits in hexadecimal (1 read-only, 2 hidden, 4 system); 0 leaves what
// the library sets. Exits with 1 and a message on the first entry it cannot make.
//   usage: make_ntfs_image IMAGE MANIFEST
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

extern "C" {
#include <ntfs-3g/attrib.h>
#include <ntfs-3g/dir.h>
#include <ntfs-3g/inode.h>
#include <ntfs-3g/reparse.h>
#include <ntfs-3g/security.h>
#include <ntfs-3g/types.h>
#include <ntfs-3g/unistr.h>
#include <ntfs-3g/volume.h>
}

namespace {

[[noreturn]] void fail(const std::string& what) {
  std::fprintf(stderr, "make_ntfs_image: %s (%s)\n", what.c_str(), std::strerror(errno));
  std::exit(1);
}

// A name in the library's UTF-16, freed on every path.
struct NtfsName {
  explicit NtfsName(const std::string& name) {
    length = ntfs_mbstoucs(name.c_str(), &text);
    if (length < 0) fail("cannot convert the name " + name);
  }
  ~NtfsName() { std::free(text); }
  NtfsName(const NtfsName&) = delete;
  NtfsName& operator=(const NtfsName&) = delete;
  ntfschar* text = nullptr;
  int length = 0;
};

// An open inode, closed on every path.
struct Inode {
  explicit Inode(ntfs_inode* opened) : inode(opened) {}
  ~Inode() {
    if (inode) ntfs_inode_close(inode);
  }
  Inode(const Inode&) = delete;
  Inode& operator=(const Inode&) = delete;
  ntfs_inode* inode;
};

std::string parentOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos || slash == 0 ? "/" : path.substr(0, slash);
}

std::string leafOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string absolute(const std::string& path) {
  return path.empty() || path[0] != '/' ? "/" + path : path;
}

ntfs_inode* openPath(ntfs_volume* volume, const std::string& path) {
  ntfs_inode* inode = ntfs_pathname_to_inode(volume, nullptr, path.c_str());
  if (!inode) fail("cannot find " + path);
  return inode;
}

// Creates an entry in a directory. The directory is closed again before the new entry is written
// to: closing a child updates its name in the parent's index through an instance of the parent
// of its own, which a parent instance still open would overwrite when it closes.
ntfs_inode* create(ntfs_volume* volume, MFT_REF directoryRef, const std::string& name,
                   mode_t type) {
  ntfs_inode* directory = ntfs_inode_open(volume, directoryRef);
  if (!directory) fail("cannot open the folder of " + name);
  NtfsName ntfsName(name);
  ntfs_inode* inode =
      ntfs_create(directory, const_cpu_to_le32(0), ntfsName.text, ntfsName.length, type);
  ntfs_inode_close(directory);
  if (!inode) fail("cannot create " + name);
  return inode;
}

MFT_REF referenceOf(ntfs_volume* volume, const std::string& path) {
  Inode inode(openPath(volume, path));
  return inode.inode->mft_no;
}

void writeData(ntfs_inode* inode, const std::string& stream, const std::string& bytes) {
  NtfsName name(stream);
  if (!stream.empty() && ntfs_attr_add(inode, AT_DATA, name.text, name.length, nullptr, 0) != 0) {
    fail("cannot add the stream " + stream);
  }
  ntfs_attr* data = ntfs_attr_open(inode, AT_DATA, stream.empty() ? AT_UNNAMED : name.text,
                                   stream.empty() ? 0 : name.length);
  if (!data) fail("cannot open the data of a file");
  const auto size = static_cast<s64>(bytes.size());
  const bool written = size == 0 || ntfs_attr_pwrite(data, 0, size, bytes.data()) == size;
  ntfs_attr_close(data);
  if (!written) fail("cannot write a file's data");
}

void setAttributes(ntfs_inode* inode, std::uint32_t attributes) {
  if (attributes == 0) return;
  const le32 bits = cpu_to_le32(attributes | le32_to_cpu(inode->flags));
  if (ntfs_set_ntfs_attrib(inode, reinterpret_cast<const char*>(&bits), sizeof bits, 0) != 0) {
    fail("cannot set attributes");
  }
}

// Makes an entry a Windows symbolic link to a relative target, as mklink does: the reparse point
// IO_REPARSE_TAG_SYMLINK with the target as both its substitute and its print name.
void makeSymbolicLink(ntfs_inode* inode, const std::string& target) {
  std::string windowsTarget = target;
  for (char& c : windowsTarget) {
    if (c == '/') c = '\\';
  }
  NtfsName name(windowsTarget);
  const auto bytes = static_cast<std::uint16_t>(name.length * 2);
  std::string buffer;
  auto put16 = [&](std::uint16_t v) {
    buffer.append({static_cast<char>(v), static_cast<char>(v >> 8)});
  };
  auto put32 = [&](std::uint32_t v) {
    put16(static_cast<std::uint16_t>(v));
    put16(static_cast<std::uint16_t>(v >> 16));
  };
  put32(0xA000000C);                                  // the symbolic-link tag
  put16(static_cast<std::uint16_t>(12 + 2 * bytes));  // the data after this header
  put16(0);
  put16(0);  // substitute name: offset and length in the path buffer
  put16(bytes);
  put16(bytes);  // print name
  put16(bytes);
  put32(1);  // relative to the link's folder
  for (int copy = 0; copy < 2; ++copy) {
    buffer.append(reinterpret_cast<const char*>(name.text), bytes);
  }
  if (ntfs_set_ntfs_reparse_data(inode, buffer.data(), buffer.size(), 0) != 0) {
    fail("cannot make a link to " + target);
  }
}

std::string readHostFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) fail("cannot read " + path);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void copyTree(ntfs_volume* volume, MFT_REF directory, const std::string& hostFolder) {
  DIR* host = opendir(hostFolder.c_str());
  if (!host) fail("cannot list " + hostFolder);
  std::vector<std::string> names;
  while (const dirent* entry = readdir(host)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      names.emplace_back(entry->d_name);
    }
  }
  closedir(host);
  for (const std::string& name : names) {
    const std::string hostPath = hostFolder + "/" + name;
    struct stat info;
    if (lstat(hostPath.c_str(), &info) != 0) fail("cannot look at " + hostPath);
    if (S_ISDIR(info.st_mode)) {
      MFT_REF child;
      {
        Inode created(create(volume, directory, name, S_IFDIR));
        child = created.inode->mft_no;
      }
      copyTree(volume, child, hostPath);
    } else if (S_ISREG(info.st_mode)) {
      Inode child(create(volume, directory, name, S_IFREG));
      writeData(child.inode, "", readHostFile(hostPath));
    }
  }
}

void makeEntry(ntfs_volume* volume, const std::vector<std::string>& fields) {
  const std::string kind = fields[0];
  auto field = [&](std::size_t i) {
    if (i >= fields.size()) fail("a manifest line lacks a field");
    return fields[i];
  };
  if (kind == "T") {
    copyTree(volume, referenceOf(volume, absolute(field(2))), field(1));
    return;
  }
  const std::string path = absolute(field(1));
  if (kind == "A") {
    Inode file(openPath(volume, path));
    writeData(file.inode, field(2), readHostFile(field(3)));
    return;
  }
  const MFT_REF parent = referenceOf(volume, parentOf(path));
  if (kind == "D") {
    Inode directory(create(volume, parent, leafOf(path), S_IFDIR));
    setAttributes(directory.inode, std::stoul(field(2), nullptr, 16));
  } else if (kind == "F") {
    Inode file(create(volume, parent, leafOf(path), S_IFREG));
    writeData(file.inode, "", readHostFile(field(3)));
    setAttributes(file.inode, std::stoul(field(2), nullptr, 16));
  } else if (kind == "S") {
    Inode file(create(volume, parent, leafOf(path), S_IFREG));
    ntfs_attr* data = ntfs_attr_open(file.inode, AT_DATA, AT_UNNAMED, 0);
    if (!data || ntfs_attr_truncate(data, std::stoll(field(3))) != 0) fail("cannot extend " + path);
    ntfs_attr_close(data);
    setAttributes(file.inode, std::stoul(field(2), nullptr, 16));
  } else if (kind == "X") {
    {
      Inode file(create(volume, parent, leafOf(path), S_IFREG));
      writeData(file.inode, "", "deleted");
    }
    ntfs_inode* file = openPath(volume, path);
    ntfs_inode* directory = ntfs_inode_open(volume, parent);
    if (!directory) fail("cannot open the folder of " + path);
    NtfsName name(leafOf(path));
    // The deletion closes both inodes it is given.
    if (ntfs_delete(volume, path.c_str(), file, directory, name.text, name.length) != 0) {
      fail("cannot delete " + path);
    }
  } else if (kind == "L" || kind == "K") {
    Inode link(create(volume, parent, leafOf(path), kind == "L" ? S_IFREG : S_IFDIR));
    makeSymbolicLink(link.inode, field(2));
  } else {
    fail("unknown manifest entry " + kind);
  }
}

std::vector<std::string> splitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream stream(line);
  std::string field;
  while (std::getline(stream, field, '\t')) fields.push_back(field);
  return fields;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_ntfs_image IMAGE MANIFEST\n");
    return 2;
  }
  std::ifstream manifest(argv[2]);
  if (!manifest) fail(std::string("cannot read ") + argv[2]);
  ntfs_volume* volume = ntfs_mount(argv[1], NTFS_MNT_NONE);
  if (!volume) fail(std::string("cannot open ") + argv[1] + " as NTFS");
  std::string line;
  while (std::getline(manifest, line)) {
    if (!line.empty()) makeEntry(volume, splitFields(line));
  }
  if (ntfs_umount(volume, FALSE) != 0) fail("cannot close the file system");
  return 0;
}
