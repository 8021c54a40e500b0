// The real backend's files and directories on the run's own drive: the same answers the simulated
// machine gives the engine, error codes included.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "wine/scratch_disk.h"

namespace vs::test {
namespace {

constexpr std::uint64_t kBigFileSize = (std::uint64_t{5} << 30) + 123;  // beyond 32 bits

std::map<std::string, DirectoryEntry> listAll(Platform& os, const std::string& pattern) {
  std::map<std::string, DirectoryEntry> entries;
  std::unique_ptr<DirectoryListing> listing = os.listDirectory(pattern.c_str());
  EXPECT_NE(listing, nullptr) << pattern << ": error " << os.lastError();
  if (!listing) return entries;
  DirectoryEntry entry;
  while (listing->next(entry)) entries[entry.name] = entry;
  return entries;
}

// A sparse file whose length needs the high half of the listing's size.
void makeBigFile(const std::string& path) {
  win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(kBigFileSize);
  ASSERT_TRUE(SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(file.get()));
}

std::string counting(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i);
  return bytes;
}

class Win32FilesTest : public ::testing::Test {
 protected:
  Win32Platform os;
  ScratchFolder dir;
};

TEST_F(Win32FilesTest, ListingGivesNamesAttributesAndSizes) {
  writeFile(dir / "small.bin", "12345");
  writeFile(dir / "hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN);
  writeFile(dir / "readonly.txt", "r", FILE_ATTRIBUTE_READONLY);
  writeFile(dir / "system.dat", "s", FILE_ATTRIBUTE_SYSTEM);
  writeFile(dir / "x.y.z", "");
  makeDirectory(dir / "sub");
  makeBigFile(dir / "big.bin");

  const auto entries = listAll(os, dir / "*.*");
  std::vector<std::string> names;
  for (const auto& [name, entry] : entries) names.push_back(name);
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "big.bin", "hidden.txt", "readonly.txt",
                                             "small.bin", "sub", "system.dat", "x.y.z"}));
  if (entries.size() != names.size()) return;
  EXPECT_TRUE(entries.at(".").attributes & kAttrDirectory);
  EXPECT_TRUE(entries.at("..").attributes & kAttrDirectory);
  EXPECT_TRUE(entries.at("sub").attributes & kAttrDirectory);
  EXPECT_FALSE(entries.at("small.bin").attributes & kAttrDirectory);
  EXPECT_EQ(entries.at("small.bin").size, 5u);
  EXPECT_EQ(entries.at("x.y.z").size, 0u);
  EXPECT_EQ(entries.at("big.bin").size, kBigFileSize);
  EXPECT_EQ(entries.at("hidden.txt").attributes & (kAttrHidden | kAttrReadOnly), kAttrHidden);
  EXPECT_EQ(entries.at("readonly.txt").attributes & (kAttrHidden | kAttrReadOnly), kAttrReadOnly);
  EXPECT_TRUE(entries.at("system.dat").attributes & kAttrSystem);
}

TEST_F(Win32FilesTest, DriveRootListsNoDotEntries) {
  const auto entries = listAll(os, "D:\\*.*");
  EXPECT_EQ(entries.count("."), 0u);
  EXPECT_EQ(entries.count(".."), 0u);
  EXPECT_EQ(entries.count(dir.path().substr(3)), 1u);
}

TEST_F(Win32FilesTest, OneFilesPathListsThatFileAlone) {
  writeFile(dir / "victim.exe", "MZ");
  writeFile(dir / "victim.exe.bak", "MZ");
  const auto entries = listAll(os, dir / "victim.exe");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries.begin()->first, "victim.exe");
  EXPECT_EQ(entries.begin()->second.size, 2u);
}

TEST_F(Win32FilesTest, NothingToListGivesNullAndTheReason) {
  writeFile(dir / "a.txt", "a");
  struct Case {
    std::string pattern;
    std::uint32_t error;
  };
  for (const Case& c :
       {Case{dir / "missing\\*.*", kErrorPathNotFound}, Case{dir / "*.zzz", kErrorFileNotFound},
        Case{dir / "gone.exe", kErrorFileNotFound}}) {
    SCOPED_TRACE(c.pattern);
    EXPECT_EQ(os.listDirectory(c.pattern.c_str()), nullptr);
    EXPECT_EQ(os.lastError(), c.error);
  }
}

// A junction: a directory whose mount-point reparse data names another folder.
bool makeJunction(const std::string& link, const std::string& target) {
  if (!CreateDirectoryA(link.c_str(), nullptr)) return false;
  win32::FileHandle handle(CreateFileA(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                       nullptr));
  if (!handle) return false;
  std::wstring substitute = L"\\??\\";
  for (char c : target) substitute += static_cast<wchar_t>(c);
  const std::size_t nameBytes = substitute.size() * sizeof(wchar_t);
  // REPARSE_DATA_BUFFER's mount-point form: tag, data length, reserved, then four USHORT offsets
  // and lengths, then the substitute and print names, each followed by a zero.
  std::vector<BYTE> buffer(8 + 8 + nameBytes + 2 + 2, 0);
  auto put16 = [&](std::size_t at, std::size_t value) {
    buffer[at] = static_cast<BYTE>(value & 0xFF);
    buffer[at + 1] = static_cast<BYTE>(value >> 8);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, 4);
  put16(4, buffer.size() - 8);
  put16(8, 0);
  put16(10, nameBytes);
  put16(12, nameBytes + 2);
  put16(14, 0);
  std::memcpy(buffer.data() + 16, substitute.data(), nameBytes);
  DWORD returned = 0;
  return DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                         static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr);
}

// A directory link is listed with its reparse bit, so that the walk can pass it over.
TEST_F(Win32FilesTest, DirectoryLinkCarriesTheReparseBit) {
  makeDirectory(dir / "target");
  const std::string link = dir / "link";
  if (!makeJunction(link, dir / "target")) {
    GTEST_SKIP() << "this Wine makes no junctions: error " << GetLastError();
  }
  const auto entries = listAll(os, dir / "*.*");
  ASSERT_EQ(entries.count("link"), 1u);
  EXPECT_TRUE(entries.at("link").attributes & kAttrDirectory);
  EXPECT_TRUE(entries.at("link").attributes & kAttrReparsePoint);
  EXPECT_FALSE(entries.at("target").attributes & kAttrReparsePoint);
}

TEST_F(Win32FilesTest, DriveTypes) {
  EXPECT_EQ(os.driveType("C:\\"), kDriveFixed);
  EXPECT_EQ(os.driveType("D:\\"), kDriveFixed);
  EXPECT_EQ(os.driveType("Q:\\"), kDriveNoRootDir);
}

TEST_F(Win32FilesTest, ReadsSeeksAndShortReads) {
  const std::string bytes = counting(100);
  writeFile(dir / "f.bin", bytes);
  std::unique_ptr<ReadableFile> file = os.openForReading((dir / "f.bin").c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->length(), 100);

  char buffer[32];
  ASSERT_EQ(file->read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), bytes.substr(0, 4));
  ASSERT_TRUE(file->seek(40));
  ASSERT_EQ(file->read(buffer, 4), 4);
  EXPECT_EQ(std::string(buffer, 4), bytes.substr(40, 4));
  ASSERT_TRUE(file->seek(90));
  ASSERT_EQ(file->read(buffer, 20), 10);  // short at the end
  EXPECT_EQ(std::string(buffer, 10), bytes.substr(90));
  EXPECT_EQ(file->read(buffer, 20), 0);
  EXPECT_TRUE(file->seek(1000));  // past the end: the seek succeeds, reads find nothing
  EXPECT_EQ(file->read(buffer, 20), 0);
  EXPECT_FALSE(file->seek(-1));
  EXPECT_EQ(os.lastError(), static_cast<std::uint32_t>(ERROR_NEGATIVE_SEEK));
}

TEST_F(Win32FilesTest, SeeksBeyondFourGigabytes) {
  makeBigFile(dir / "big.bin");
  std::unique_ptr<ReadableFile> file = os.openForReading((dir / "big.bin").c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->length(), static_cast<std::int64_t>(kBigFileSize));
  ASSERT_TRUE(file->seek(static_cast<std::int64_t>(kBigFileSize) - 8));
  char buffer[20];
  EXPECT_EQ(file->read(buffer, sizeof buffer), 8);
}

TEST_F(Win32FilesTest, OpenFailuresKeepTheirReason) {
  writeFile(dir / "locked.exe", "MZ");
  makeDirectory(dir / "folder");
  win32::FileHandle exclusive(CreateFileA((dir / "locked.exe").c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(exclusive.valid());
  struct Case {
    std::string path;
    std::uint32_t error;
  };
  for (const Case& c :
       {Case{dir / "missing.exe", kErrorFileNotFound},
        Case{dir / "nodir\\x.exe", kErrorPathNotFound}, Case{dir / "folder", kErrorAccessDenied},
        Case{dir / "locked.exe", kErrorSharingViolation}}) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(os.openForReading(c.path.c_str()), nullptr);
    EXPECT_EQ(os.lastError(), c.error);
  }
}

// The runtime's sharing: a file that another program holds open for writing can be examined.
TEST_F(Win32FilesTest, OpensAFileAnotherProgramWrites) {
  writeFile(dir / "log.txt", "abc");
  win32::FileHandle writer(CreateFileA((dir / "log.txt").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.valid());
  std::unique_ptr<ReadableFile> file = os.openForReading((dir / "log.txt").c_str());
  ASSERT_NE(file, nullptr) << "error " << os.lastError();
  EXPECT_EQ(file->length(), 3);
}

// The matcher closes its file before the disposal deletes it: while open it cannot go.
TEST_F(Win32FilesTest, AnOpenFileCannotBeDeletedUntilItIsClosed) {
  const std::string path = dir / "held.exe";
  writeFile(path, "MZ");
  std::unique_ptr<ReadableFile> file = os.openForReading(path.c_str());
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(os.deleteFile(path.c_str()));
  EXPECT_EQ(os.lastError(), kErrorSharingViolation);
  file.reset();
  EXPECT_TRUE(os.deleteFile(path.c_str())) << "error " << os.lastError();
  EXPECT_FALSE(fileExists(path));
}

TEST_F(Win32FilesTest, ExistsAndReadable) {
  writeFile(dir / "plain.txt", "p");
  writeFile(dir / "hidden.txt", "h", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  makeDirectory(dir / "Program Files");
  for (const std::string& present :
       {dir / "plain.txt", dir / "hidden.txt", dir / "Program Files"}) {
    SCOPED_TRACE(present);
    EXPECT_TRUE(os.pathExists(present.c_str()));
    EXPECT_TRUE(os.isReadable(present.c_str()));
  }
  struct Case {
    std::string path;
    std::uint32_t error;
  };
  for (const Case& c : {Case{dir / "missing.txt", kErrorFileNotFound},
                        Case{dir / "nodir\\x.txt", kErrorPathNotFound}}) {
    SCOPED_TRACE(c.path);
    EXPECT_FALSE(os.pathExists(c.path.c_str()));
    EXPECT_EQ(os.lastError(), c.error);
    EXPECT_FALSE(os.isReadable(c.path.c_str()));
    EXPECT_EQ(os.lastError(), c.error);
  }
}

// The disposal's first two steps: attributes back to "archive", then the deletion.
TEST_F(Win32FilesTest, AttributeResetLetsEveryKindOfFileBeDeleted) {
  const std::uint32_t kinds[] = {
      FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM,
      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
  for (const std::uint32_t kind : kinds) {
    SCOPED_TRACE(::testing::Message() << "attributes 0x" << std::hex << kind);
    const std::string path = dir / "infected.exe";
    writeFile(path, "MZ", kind);
    EXPECT_EQ(attributesOf(path) & (kAttrReadOnly | kAttrHidden | kAttrSystem),
              kind & (kAttrReadOnly | kAttrHidden | kAttrSystem));
    ASSERT_TRUE(os.setFileAttributes(path.c_str(), kAttrArchive)) << "error " << os.lastError();
    EXPECT_EQ(attributesOf(path), kAttrArchive);
    ASSERT_TRUE(os.deleteFile(path.c_str())) << "error " << os.lastError();
    EXPECT_FALSE(fileExists(path));
  }
}

TEST_F(Win32FilesTest, ReadOnlyFileResistsDeletionUntilReset) {
  const std::string path = dir / "ro.exe";
  writeFile(path, "MZ", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(os.deleteFile(path.c_str()));
  EXPECT_EQ(os.lastError(), kErrorAccessDenied);
  EXPECT_TRUE(fileExists(path));
}

TEST_F(Win32FilesTest, FailuresOnMissingFiles) {
  const std::string path = dir / "missing.exe";
  EXPECT_FALSE(os.setFileAttributes(path.c_str(), kAttrArchive));
  EXPECT_EQ(os.lastError(), kErrorFileNotFound);
  EXPECT_FALSE(os.deleteFile((dir / "nodir\\x.exe").c_str()));
  EXPECT_EQ(os.lastError(), kErrorPathNotFound);
}

// lastError() tells about the last call that failed, also after later calls that succeeded.
TEST_F(Win32FilesTest, LastErrorOutlivesLaterSuccesses) {
  writeFile(dir / "here.txt", "h");
  EXPECT_EQ(os.openForReading((dir / "gone.txt").c_str()), nullptr);
  EXPECT_TRUE(os.pathExists((dir / "here.txt").c_str()));
  EXPECT_NE(os.listDirectory((dir / "*.*").c_str()), nullptr);
  EXPECT_EQ(os.lastError(), kErrorFileNotFound);
}

}  // namespace
}  // namespace vs::test
