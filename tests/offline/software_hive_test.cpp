// Registry keys served from a SOFTWARE hive: reading as the registry's ANSI calls do, and
// deleting values with a saved copy of the hive and nothing written before a change.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "offline/hive_files.h"
#include "offline/scratch.h"
#include "platform/linux/hive_key.h"

namespace vs::test {
namespace {

using linux_host::openSoftwareKey;
using linux_host::SoftwareHive;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

class SoftwareHiveTest : public ::testing::Test {
 protected:
  SoftwareHiveTest() {
    path = scratch.path() + "/SOFTWARE";
    EXPECT_TRUE(writeHive(
        path, {{"Microsoft\\Windows\\CurrentVersion\\Run", "First", "a.exe"},
               {"Microsoft\\Windows\\CurrentVersion\\Run", "Second", "b.exe"},
               {"Microsoft\\Windows\\CurrentVersion\\Run", "Third", "%windir%\\c.exe", true}}));
    original = readFile(path);
    hive = SoftwareHive::open(
        path, [this](const std::string& text) { notices.push_back(text); }, error);
  }

  std::unique_ptr<RegistryKey> open(const char* keyPath, std::uint32_t access) {
    std::unique_ptr<RegistryKey> key;
    EXPECT_EQ(openSoftwareKey(hive.get(), keyPath, access, key), 0) << keyPath;
    return key;
  }

  ScratchFolder scratch;
  std::string path;
  std::string original;
  std::string error;
  std::vector<std::string> notices;
  std::unique_ptr<SoftwareHive> hive;
};

TEST_F(SoftwareHiveTest, ValuesReadAsTheAnsiCallsReadThem) {
  ASSERT_NE(hive, nullptr) << error;
  std::unique_ptr<RegistryKey> key =
      open("SOFTWARE\\microsoft\\WINDOWS\\CurrentVersion\\Run", kKeyRead);
  std::uint32_t count = 0;
  ASSERT_EQ(key->valueCount(count), 0);
  EXPECT_EQ(count, 3u);

  char name[16];
  std::uint32_t length = sizeof name;
  ASSERT_EQ(key->enumValueName(2, name, &length), 0);
  EXPECT_STREQ(name, "Third");
  EXPECT_EQ(length, 5u);
  length = 3;
  EXPECT_EQ(key->enumValueName(0, name, &length), static_cast<std::int32_t>(kErrorMoreData));
  EXPECT_EQ(key->enumValueName(3, name, &length), static_cast<std::int32_t>(kErrorNoMoreItems));

  // Strings come in the host's code page with their terminator; the size first, then the data.
  std::uint32_t type = 0;
  std::uint32_t size = 0;
  ASSERT_EQ(key->queryValue("third", &type, nullptr, &size), 0);
  EXPECT_EQ(type, kRegExpandSz);
  EXPECT_EQ(size, 15u);
  char data[16];
  size = 4;
  EXPECT_EQ(key->queryValue("Third", nullptr, data, &size),
            static_cast<std::int32_t>(kErrorMoreData));
  EXPECT_EQ(size, 15u);
  ASSERT_EQ(key->queryValue("Third", nullptr, data, &size), 0);
  EXPECT_STREQ(data, "%windir%\\c.exe");
  EXPECT_EQ(key->queryValue("Fourth", nullptr, data, &size),
            static_cast<std::int32_t>(kErrorFileNotFound));

  EXPECT_EQ(key->close(), 0);
  EXPECT_NE(key->valueCount(count), 0);
  std::unique_ptr<RegistryKey> other;
  EXPECT_EQ(openSoftwareKey(hive.get(), "SYSTEM\\ControlSet001", kKeyRead, other),
            static_cast<std::int32_t>(kErrorFileNotFound));
  EXPECT_EQ(openSoftwareKey(hive.get(), "Software\\Missing", kKeyRead, other),
            static_cast<std::int32_t>(kErrorFileNotFound));
  // Reading changed nothing, and without a change no copy is made.
  EXPECT_EQ(readFile(path), original);
  EXPECT_FALSE(std::filesystem::exists(path + ".vantoscan-backup"));
}

TEST_F(SoftwareHiveTest, DeletionSavesACopyFirstAndWritesTheHiveAtOnce) {
  ASSERT_NE(hive, nullptr) << error;
  std::unique_ptr<RegistryKey> reader = open(kRun, kKeyRead);
  EXPECT_EQ(reader->deleteValue("First"), static_cast<std::int32_t>(kErrorAccessDenied));
  EXPECT_EQ(readFile(path), original);

  EXPECT_EQ(open(kRun, kKeyAllAccess)->deleteValue("first"), 0);
  EXPECT_EQ(readFile(path + ".vantoscan-backup"), original);
  EXPECT_THAT(hiveValueNames(path, "Microsoft\\Windows\\CurrentVersion\\Run"),
              ElementsAre("Second", "Third"));
  // A key opened before sees the values move down, as the registry shows them.
  char name[16];
  std::uint32_t length = sizeof name;
  ASSERT_EQ(reader->enumValueName(0, name, &length), 0);
  EXPECT_STREQ(name, "Second");

  EXPECT_EQ(open(kRun, kKeyAllAccess)->deleteValue("Third"), 0);
  EXPECT_EQ(open(kRun, kKeyAllAccess)->deleteValue("Third"),
            static_cast<std::int32_t>(kErrorFileNotFound));
  EXPECT_THAT(hiveValueNames(path, "Microsoft\\Windows\\CurrentVersion\\Run"),
              ElementsAre("Second"));
  // One copy, of the hive as it was before the first change.
  EXPECT_EQ(readFile(path + ".vantoscan-backup"), original);
  EXPECT_FALSE(std::filesystem::exists(path + ".vantoscan-backup.1"));
  EXPECT_FALSE(std::filesystem::exists(path + ".vantoscan-new"));
  EXPECT_THAT(notices, ElementsAre(HasSubstr("saved a copy of " + path)));
}

TEST_F(SoftwareHiveTest, AnEarlierCopyIsKept) {
  ASSERT_NE(hive, nullptr) << error;
  writeFile(scratch.path(), "SOFTWARE.vantoscan-backup", "an earlier run's copy");

  EXPECT_EQ(open(kRun, kKeyAllAccess)->deleteValue("Second"), 0);
  EXPECT_EQ(readFile(path + ".vantoscan-backup"), "an earlier run's copy");
  EXPECT_EQ(readFile(path + ".vantoscan-backup.1"), original);
}

TEST(SoftwareHiveOpenTest, AHiveNotClosedCleanlyIsLeftAsItIs) {
  ScratchFolder scratch;
  const std::string path = scratch.path() + "/SOFTWARE";
  ASSERT_TRUE(writeHive(path, {{"Microsoft\\Windows\\CurrentVersion\\Run", "x", "y.exe"}}));
  markUnclean(path);
  const std::string before = readFile(path);
  std::vector<std::string> notices;
  std::string error;
  auto hive = SoftwareHive::open(
      path, [&](const std::string& text) { notices.push_back(text); }, error);
  ASSERT_NE(hive, nullptr) << error;

  std::unique_ptr<RegistryKey> key;
  EXPECT_NE(openSoftwareKey(hive.get(), kRun, kKeyAllAccess, key), 0);
  EXPECT_THAT(notices, ElementsAre(HasSubstr("was not closed cleanly")));
  EXPECT_EQ(readFile(path), before);
  EXPECT_FALSE(std::filesystem::exists(path + ".vantoscan-backup"));
}

TEST(SoftwareHiveOpenTest, ADamagedHiveIsRefused) {
  ScratchFolder scratch;
  const std::string path = scratch.path() + "/SOFTWARE";
  ASSERT_TRUE(writeHive(path, {{"Microsoft", "x", "y"}}));
  std::string bytes = readFile(path);
  for (const std::size_t cut : {bytes.size() / 2, std::size_t{100}}) {
    writeFile(scratch.path(), "SOFTWARE", bytes.substr(0, cut));
    std::string error;
    EXPECT_EQ(SoftwareHive::open(
                  path, [](const std::string&) {}, error),
              nullptr)
        << cut;
    EXPECT_THAT(error, HasSubstr(path));
  }
  EXPECT_FALSE(std::filesystem::exists(path + ".vantoscan-backup"));
}

}  // namespace
}  // namespace vs::test
