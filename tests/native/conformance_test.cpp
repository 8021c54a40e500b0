// The conformance rows on the simulated machine: its in-memory drives and its host-folder drives
// must answer as Windows does.
#include "conformance/conformance.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "conformance/host_folder.h"
#include "platform/sim/sim_machine.h"
#include "platform/utf16_text.h"

namespace vs::conformance {
namespace {

// What both kinds of drive share: the machine, the row's names and its registry.
class SimWorld : public World {
 public:
  explicit SimWorld(const std::string& row)
      : folder_("C:\\" + row), key_("SOFTWARE\\VsConformance\\" + row) {}

  std::string folder() const override { return folder_; }
  std::string registryKey() const override { return key_; }
  void make(const RegistryItem& item) override {
    machine_.registry.setString(item.key.empty() ? key_ : key_ + "\\" + item.key, item.name,
                                item.text);
  }
  Platform& platform() override { return machine_; }

 protected:
  sim::SimMachine machine_;
  std::string folder_;
  std::string key_;
};

class MemoryWorld : public SimWorld {
 public:
  explicit MemoryWorld(const std::string& row) : SimWorld(row) { machine_.addDirectory(folder_); }

  Backend backend() const override { return Backend::SimulatedMemory; }
  void make(const Item& item) override {
    const std::string path = folder_ + "\\" + item.path;
    // A name beyond ASCII is the file system's wide spelling, written in UTF-8 by the rows.
    const bool ascii = std::all_of(path.begin(), path.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    const std::u16string widePath = utf8ToUtf16(path.data(), path.size());
    switch (item.kind) {
      case Item::Kind::Directory:
        if (ascii) {
          machine_.addDirectory(path);
        } else {
          machine_.addDirectory(widePath);
        }
        return;
      case Item::Kind::File:
        if (item.sparseLength > 0) {
          ADD_FAILURE() << item.path << ": in-memory drives hold no files of gigabytes";
          return;
        }
        if (ascii) {
          machine_.addFile(path, item.bytes, kAttrArchive | item.attributes);
        } else {
          machine_.addFile(widePath, item.bytes, kAttrArchive | item.attributes);
        }
        return;
      default:
        ADD_FAILURE() << item.path << ": in-memory drives hold no links";
    }
  }
  using SimWorld::make;
  void vanish(const std::string& path) override {
    EXPECT_TRUE(machine_.remove(folder_ + "\\" + path));
  }
};

class HostFolderWorld : public SimWorld {
 public:
  explicit HostFolderWorld(const std::string& row)
      : SimWorld(row), rowFolder_(scratch_.path() + "/" + row) {
    makeInHostFolder(scratch_.path(), directory(row));
    machine_.addHostDrive('C', scratch_.path());
  }

  Backend backend() const override { return Backend::SimulatedHostFolder; }
  void make(const Item& item) override { makeInHostFolder(rowFolder_, item); }
  using SimWorld::make;
  void vanish(const std::string& path) override { removeFromHostFolder(rowFolder_, path); }

 private:
  HostScratch scratch_;
  std::string rowFolder_;
};

template <typename WorldType>
void runOn(const Row& row) {
  WorldType world(row.name);
  std::string notRun;
  if (!runRow(world, row, notRun)) GTEST_SKIP() << notRun;
}

class InMemoryDrives : public ::testing::TestWithParam<Row> {};
TEST_P(InMemoryDrives, AnswerAsWindows) {
  runOn<MemoryWorld>(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Rows, InMemoryDrives, ::testing::ValuesIn(allRows()), RowName());

class HostFolderDrives : public ::testing::TestWithParam<Row> {};
TEST_P(HostFolderDrives, AnswerAsWindows) {
  runOn<HostFolderWorld>(GetParam());
}
INSTANTIATE_TEST_SUITE_P(Rows, HostFolderDrives, ::testing::ValuesIn(fileRows()), RowName());

}  // namespace
}  // namespace vs::conformance
