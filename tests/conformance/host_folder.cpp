#include "conformance/host_folder.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace vs::conformance {

namespace fs = std::filesystem;

HostScratch::HostScratch() {
  std::string pattern = (fs::temp_directory_path() / "vs-conformance-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

HostScratch::~HostScratch() {
  if (path_.empty()) return;
  std::error_code ignored;
  for (fs::recursive_directory_iterator it(path_, ignored), end; it != end; it.increment(ignored)) {
    if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0755);
  }
  fs::remove_all(path_, ignored);
}

std::string hostPathOf(const std::string& folder, const std::string& path) {
  std::string host = folder + "/" + path;
  for (char& c : host) {
    if (c == '\\') c = '/';
  }
  return host;
}

void makeInHostFolder(const std::string& folder, const Item& item) {
  const fs::path where = hostPathOf(folder, item.path);
  std::error_code error;
  fs::create_directories(where.parent_path(), error);
  switch (item.kind) {
    case Item::Kind::Directory:
      fs::create_directories(where, error);
      break;
    case Item::Kind::File: {
      if (item.attributes & (kAttrHidden | kAttrSystem)) {
        ADD_FAILURE() << item.path << ": a host folder keeps no hidden or system bit";
        return;
      }
      std::ofstream(where, std::ios::binary) << item.bytes;
      if (item.sparseLength > 0) {
        ASSERT_EQ(truncate(where.c_str(), static_cast<off_t>(item.sparseLength)), 0) << where;
      }
      if (item.attributes & kAttrReadOnly) chmod(where.c_str(), 0444);
      break;
    }
    case Item::Kind::FileLink:
    case Item::Kind::DirectoryLink: {
      std::string target = item.target;
      for (char& c : target) {
        if (c == '\\') c = '/';
      }
      ASSERT_EQ(symlink(target.c_str(), where.c_str()), 0) << where;
      break;
    }
  }
  ASSERT_FALSE(error) << where << ": " << error.message();
}

void removeFromHostFolder(const std::string& folder, const std::string& path) {
  EXPECT_EQ(unlink(hostPathOf(folder, path).c_str()), 0) << path;
}

}  // namespace vs::conformance
