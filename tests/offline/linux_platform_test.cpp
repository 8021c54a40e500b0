// The platform over mounted volumes: Windows paths on a host folder, letter case, links, the
// attributes a listing reports, deletion and the attribute reset, and the end of a scan on an
// interrupt.
#include "platform/linux/linux_platform.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "offline/offline_scan.h"
#include "offline/scratch.h"
#include "platform/volumes/mounted_volume.h"

namespace vs::test {
namespace {

using linux_host::LinuxPlatform;
using volumes::MountedVolume;

class LinuxPlatformTest : public ::testing::Test {
 protected:
  LinuxPlatformTest() {
    volume = scratch.path() + "/volume";
    writeFile(volume, "WINDOWS/system32/drivers/etc/hosts", "127.0.0.1 localhost\n");
    writeFile(volume, "Program Files/App/App.exe", "MZ");
    writeFile(volume, "ReadOnly.txt", "kept");
    chmod((volume + "/ReadOnly.txt").c_str(), 0444);
    writeFile(scratch.path(), "outside/secret.txt", "outside the volume");
    symlink(".", (volume + "/loop").c_str());
    symlink("selfloop", (volume + "/selfloop").c_str());
    symlink("../outside", (volume + "/away").c_str());
    symlink("../outside/secret.txt", (volume + "/secret.txt").c_str());
    symlink("Program Files/App/App.exe", (volume + "/inside.exe").c_str());
    os.drives().add('C', MountedVolume::open(volume));
  }

  // The entries a listing gives, by name, with their attributes.
  std::map<std::string, std::uint32_t> list(const char* pattern) {
    std::map<std::string, std::uint32_t> found;
    std::unique_ptr<DirectoryListing> listing = os.listDirectory(pattern);
    DirectoryEntry entry;
    while (listing && listing->next(entry)) found[entry.name] = entry.attributes;
    return found;
  }

  std::string read(const char* path) {
    std::unique_ptr<ReadableFile> file = os.openForReading(path);
    if (!file) return "(cannot open)";
    std::string bytes(static_cast<std::size_t>(file->length()), '\0');
    file->read(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    return bytes;
  }

  ScratchFolder scratch;
  std::string volume;
  volatile std::sig_atomic_t interrupt = 0;
  std::vector<std::uint32_t> messages;
  LinuxPlatform os{[this](std::uint32_t message) { messages.push_back(message); }, &interrupt};
};

TEST_F(LinuxPlatformTest, NamesResolveIgnoringLetterCaseOnMountedDrivesOnly) {
  EXPECT_EQ(read("C:\\windows\\SYSTEM32\\Drivers\\ETC\\HOSTS"), "127.0.0.1 localhost\n");
  EXPECT_TRUE(os.pathExists("C:\\PROGRAM FILES"));
  EXPECT_TRUE(os.pathExists("C:/program files/app/app.EXE"));
  EXPECT_FALSE(os.pathExists("C:\\Program Files\\Other"));
  EXPECT_EQ(os.lastError(), kErrorFileNotFound);
  EXPECT_FALSE(os.pathExists("D:\\"));
  EXPECT_EQ(os.driveType("C:\\"), kDriveFixed);
  EXPECT_EQ(os.driveType("D:\\"), kDriveNoRootDir);
}

TEST_F(LinuxPlatformTest, NothingOutsideTheVolumeIsReachable) {
  for (const char* path :
       {"C:\\secret.txt", "C:\\away\\secret.txt", "C:\\..\\outside\\secret.txt", "C:\\selfloop"}) {
    EXPECT_EQ(read(path), "(cannot open)") << path;
  }
  for (const char* path : {"C:\\away\\secret.txt", "C:\\..\\outside\\secret.txt"}) {
    EXPECT_FALSE(os.deleteFile(path)) << path;
    EXPECT_FALSE(os.setFileAttributes(path, kAttrReadOnly)) << path;
  }
  EXPECT_EQ(os.listDirectory("C:\\away\\*.*"), nullptr);
  // A link that stays on the volume is read through, as Windows reads through a link.
  EXPECT_EQ(read("C:\\inside.exe"), "MZ");
  // Deleting a link deletes the name on the volume, never what it points to.
  EXPECT_TRUE(os.deleteFile("C:\\secret.txt"));
  EXPECT_EQ(readFile(scratch.path() + "/outside/secret.txt"), "outside the volume");
}

TEST_F(LinuxPlatformTest, ListingReportsLinksAsReparsePointsAndKeepsDotsOffTheRoot) {
  const auto root = list("C:\\*.*");
  EXPECT_EQ(root.count("."), 0u);
  EXPECT_EQ(root.at("loop"), kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(root.at("away"), kAttrDirectory | kAttrReparsePoint);
  EXPECT_EQ(root.at("selfloop"), kAttrArchive | kAttrReparsePoint);
  EXPECT_EQ(root.at("secret.txt"), kAttrArchive | kAttrReparsePoint);
  EXPECT_EQ(root.at("ReadOnly.txt"), kAttrArchive | kAttrReadOnly);
  EXPECT_EQ(root.at("WINDOWS"), kAttrDirectory);

  const auto folder = list("C:\\program files\\APP\\*.*");
  EXPECT_EQ(folder.size(), 3u);
  EXPECT_EQ(folder.at(".."), kAttrDirectory);
  EXPECT_EQ(folder.at("App.exe"), kAttrArchive);
  // Any other mask names one entry.
  EXPECT_THAT(list("C:\\Program Files\\App\\app.exe"),
              ::testing::ElementsAre(::testing::Pair("App.exe", kAttrArchive)));
}

TEST_F(LinuxPlatformTest, AttributeResetAndDeletionTouchOnlyTheNamedFile) {
  EXPECT_TRUE(os.setFileAttributes("C:\\readonly.txt", kAttrArchive));
  struct stat info;
  ASSERT_EQ(stat((volume + "/ReadOnly.txt").c_str(), &info), 0);
  EXPECT_TRUE(info.st_mode & S_IWUSR);
  EXPECT_TRUE(os.setFileAttributes("C:\\readonly.txt", kAttrReadOnly));
  ASSERT_EQ(stat((volume + "/ReadOnly.txt").c_str(), &info), 0);
  EXPECT_FALSE(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));

  EXPECT_FALSE(os.deleteFile("C:\\Program Files"));
  EXPECT_TRUE(os.deleteFile("C:\\INSIDE.EXE"));  // the link goes, its target stays
  EXPECT_TRUE(std::filesystem::exists(volume + "/Program Files/App/App.exe"));
  // As on Windows, a read-only file goes only once its attribute is reset.
  EXPECT_FALSE(os.deleteFile("C:\\ReadOnly.txt"));
  EXPECT_EQ(os.lastError(), kErrorAccessDenied);
  EXPECT_TRUE(os.setFileAttributes("C:\\ReadOnly.txt", kAttrArchive));
  EXPECT_TRUE(os.deleteFile("C:\\ReadOnly.txt"));
  EXPECT_FALSE(std::filesystem::exists(volume + "/ReadOnly.txt"));
  EXPECT_FALSE(os.deleteFile("C:\\ReadOnly.txt"));
  EXPECT_EQ(os.lastError(), kErrorFileNotFound);
  // Nothing is left for a next start that will not come from here.
  EXPECT_FALSE(os.deleteAtReboot("C:\\WINDOWS\\system32\\drivers\\etc\\hosts"));
}

TEST_F(LinuxPlatformTest, InstallationFoldersAnswerTheDirectoryQueriesAndTheExpansion) {
  char buffer[kMaxPath];
  VersionInfo info;
  EXPECT_EQ(os.windowsDirectory(buffer, sizeof buffer), 0u);
  EXPECT_FALSE(os.version(info));

  os.setInstallation({"C:\\WINDOWS", "C:\\WINDOWS\\system32", ""});
  EXPECT_EQ(os.systemDirectory(buffer, sizeof buffer), 19u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS\\system32");
  EXPECT_EQ(os.windowsDirectory(buffer, 5), 11u);  // too small: the size it needs
  ASSERT_TRUE(os.version(info));
  EXPECT_EQ(info.platformId, kPlatformWin32Nt);

  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"%SystemRoot%\\x.exe", "C:\\WINDOWS\\x.exe"},
      {"\"%WINDIR%\\a b\\y.exe\" -q", "\"C:\\WINDOWS\\a b\\y.exe\" -q"},
      {"%ProgramFiles%\\z.exe %windir%", "%ProgramFiles%\\z.exe C:\\WINDOWS"},
      {"100% sure %", "100% sure %"},
  };
  for (const auto& c : cases) {
    char out[kMaxPath];
    EXPECT_EQ(os.expandEnvironmentStrings(c.text, out, sizeof out), std::strlen(c.expanded) + 1);
    EXPECT_STREQ(out, c.expanded) << c.text;
  }
}

// The host's names are UTF-8; bytes that are not UTF-8 still come out, as U+FFFD each.
TEST_F(LinuxPlatformTest, AnsiTextIsTakenAsUtf8) {
  const struct {
    const char* text;
    std::u16string wide;
  } cases[] = {
      {"C:\\Donn\xC3\xA9"
       "es",
       u"C:\\Donn\u00E9es"},
      {"\xE2\x82\xAC \xF0\x9F\x98\x80", u"\u20AC \U0001F600"},
      {"a\xC3", u"a\uFFFD"},                    // cut short
      {"\xC0\xAFx", u"\uFFFD\uFFFDx"},          // an overlong "/"
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},  // a surrogate spelled in UTF-8
      {"\x80\xBF", u"\uFFFD\uFFFD"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    char16_t out[32];
    const int units = os.ansiToWide(c.text, static_cast<int>(std::strlen(c.text)), out, 32);
    EXPECT_EQ(std::u16string(out, static_cast<std::size_t>(std::max(units, 0))), c.wide);
  }
  char16_t small[2];
  EXPECT_EQ(os.ansiToWide("abc", -1, small, 2), 0);
  EXPECT_EQ(os.lastError(), kErrorInsufficientBuffer);
}

TEST_F(LinuxPlatformTest, AnInterruptEndsTheScanWithItsStatistics) {
  interrupt = 1;
  ScanSession session;
  std::vector<std::string> status;
  LinuxPlatform interrupted{[&](std::uint32_t message) {
                              if (message == kStatusMsgSetText)
                                status.push_back(session.statusText);
                            },
                            &interrupt};
  interrupted.drives().add('C', MountedVolume::open(volume));
  offline::runOfflineScan(interrupted, session, offline::ScanMode::DetectOnly);

  EXPECT_EQ(session.cancelRequested, 1);
  EXPECT_EQ(session.filesScanned, 0);
  ASSERT_FALSE(status.empty());
  EXPECT_EQ(status.back(), "Scanning terminated");
}

}  // namespace
}  // namespace vs::test
