// Hostile trees on the real file system: paths at and beyond the 260-character limit, names with
// blanks, dots and bytes of the ANSI code page (and a name the code page cannot spell), a deep
// tree, files locked by another handle, files that vanish or change between their listing and
// their opening, empty files and files of 2 GiB and more (sparse on the host), and 10,000 files in
// one directory. Each walk, with the real backend and disposal, must end with every reachable
// infected file deleted and reported once and every other file exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/matcher.h"
#include "engine/signature_record.h"
#include "engine/walk.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32_platform.h"
#include "sample_builder.h"
#include "wine/scratch_disk.h"
#include "wine/test_window.h"

namespace vs::test {
namespace {

const std::string kName = kSignatureTable[0].name;

using samples::sample;

std::string lookAlike() {
  return samples::lookAlike(3);
}

// Paths beyond MAX_PATH are reached through the wide calls and the "\\?\" prefix.
std::wstring extended(const std::string& path) {
  std::wstring wide(path.size() + 1, L'\0');
  const int length =
      MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
  wide.resize(length > 0 ? static_cast<std::size_t>(length - 1) : 0);
  return L"\\\\?\\" + wide;
}

void writeWideFile(const std::wstring& path, const std::string& bytes) {
  win32::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path.size() << " characters: error " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

void writeLongFile(const std::string& path, const std::string& bytes) {
  writeWideFile(extended(path), bytes);
}

// A report line as the system shows it: its wide text where the walk gave one.
std::string shownLine(const ScanSession& session) {
  const std::u16string& wide = session.reportLineWide;
  if (wide.empty()) return session.reportLine;
  const auto* units = reinterpret_cast<const wchar_t*>(wide.c_str());
  const int size = WideCharToMultiByte(CP_UTF8, 0, units, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, units, -1, utf8.data(), size, nullptr, nullptr);
  utf8.resize(std::strlen(utf8.c_str()));
  return utf8;
}

// A file of the given length that holds bytes at its start and a hole after them.
void writeSparseFile(const std::string& path, const std::string& bytes, std::int64_t length) {
  writeFile(path, bytes);
  win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  LONG high = static_cast<LONG>(length >> 32);
  SetFilePointer(file.get(), static_cast<LONG>(length & 0xFFFFFFFF), &high, FILE_BEGIN);
  ASSERT_TRUE(SetEndOfFile(file.get())) << path << ": error " << GetLastError();
}

std::int64_t lengthOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(extended(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<std::int64_t>(std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow);
}

// Empties a case's folder on every way out of the test, long paths included, so that the drive is
// bare for the tests that follow.
class LongTreeRemover {
 public:
  explicit LongTreeRemover(const std::string& path) : path_(extended(path)) {}
  ~LongTreeRemover() { removeTreeWide(path_); }
  LongTreeRemover(const LongTreeRemover&) = delete;
  LongTreeRemover& operator=(const LongTreeRemover&) = delete;

 private:
  std::wstring path_;
};

// What one case builds in its folder and what the walk must do with it.
struct Tree {
  std::string root;
  std::vector<std::string> removed;
  std::vector<std::string> unableToRemove;
  std::map<std::string, std::string> kept;
  std::map<std::string, std::int64_t> keptLength;  // long or huge files: their length only
  // Files that only the wide calls reach, with their paths as the report shows them (UTF-8).
  struct WideFile {
    std::wstring path;
    std::string shown;
  };
  std::vector<WideFile> removedWide;
  int scanned = -1;
  std::vector<HANDLE> locks;  // handles that hold files, closed when the walk is over
  std::function<void(Tree&, const std::string& path)> beforeTest;

  std::string operator/(const std::string& name) const { return root + "\\" + name; }
  void infected(const std::string& path, std::uint32_t seed = 1) {
    writeFile(path, sample(seed));
    removed.push_back(path);
  }
  // A sample under a path longer than the ANSI buffers hold.
  void infectedLong(const std::string& path) {
    writeLongFile(path, sample());
    removed.push_back(path);
  }
  void keep(const std::string& path, const std::string& bytes) {
    writeFile(path, bytes);
    kept[path] = bytes;
  }
  // Folders too: a folder held without sharing cannot be listed.
  void lock(const std::string& path, DWORD share) {
    locks.push_back(CreateFileA(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    ASSERT_NE(locks.back(), INVALID_HANDLE_VALUE);
  }
};

struct HostileCase {
  const char* name;
  void (*build)(Tree& tree);
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

void longPaths(Tree& t) {
  const std::string folder = t / std::string(200 - t.root.size(), 'd');
  makeDirectory(folder);
  const auto named = [&](std::size_t length) {
    return folder + "\\" + std::string(length - folder.size() - 5, 'f') + ".exe";
  };
  // The ANSI buffers hold 259 characters and the terminator; the wide calls reach the longer.
  t.infected(named(259));
  for (const std::size_t length : {260u, 261u, 300u}) t.infectedLong(named(length));
  // A folder whose pattern ("\*.*" more) does not fit the ANSI buffers is listed by the wide
  // calls, though a file of it would fit.
  const std::string unlisted = folder + "\\" + std::string(256 - folder.size() - 1, 'e');
  ASSERT_TRUE(CreateDirectoryW(extended(unlisted).c_str(), nullptr)) << GetLastError();
  t.infectedLong(unlisted + "\\a");
  t.scanned = 5;
}

void oddNames(Tree& t) {
  for (const char* name : {"a b.exe", "x.y.z.exe", "noext", " lead.exe", "...x"})
    t.infected(t / name);
  makeDirectory(t / "dir.with.dots");
  makeDirectory(t / "sp ace");
  t.infected(t / "dir.with.dots\\in.exe");
  t.infected(t / "sp ace\\in.exe");
  int scanned = 7;
  // Letters of the ANSI code page, where it has them, go through the ANSI calls both ways.
  BOOL lossy = FALSE;
  char accented[8] = {};
  const int converted =
      WideCharToMultiByte(CP_ACP, 0, L"caf\x00E9", -1, accented, sizeof accented, nullptr, &lossy);
  if (converted > 0 && !lossy) {
    t.infected(t / (std::string(accented) + ".exe"));
    ++scanned;
  }
  // A name the code page cannot spell is listed with "?" in its place: the wide calls reach it,
  // and its line shows it as the system does.
  const std::wstring unspellable = extended(t.root) + L"\\\x4E2D\x6587.exe";
  writeWideFile(unspellable, sample());
  t.removedWide.push_back({unspellable, t.root + "\\\xE4\xB8\xAD\xE6\x96\x87.exe"});
  t.scanned = scanned + 1;
}

void fiftyLevelsDeep(Tree& t) {
  std::string path = t.root;
  for (int level = 1; level <= 50; ++level) {
    path += "\\" + std::to_string(level % 10) + "x";
    makeDirectory(path);
    if (level == 25) t.infected(path + "\\middle.exe");
    if (level == 49) t.keep(path + "\\clean.exe", lookAlike());
  }
  t.infected(path + "\\bottom.exe");
  t.scanned = 3;
}

// One handle denies all sharing: the file cannot even be examined. The other lets readers in but
// not deletion: the file is found, cannot be deleted, and is left for the next start. A folder
// held without sharing cannot be listed, so what it holds is not reached.
void lockedFiles(Tree& t) {
  makeDirectory(t / "sealed");
  t.keep(t / "sealed\\evil.exe", sample());
  t.lock(t / "sealed", 0);
  t.keep(t / "exclusive.exe", sample());
  t.lock(t / "exclusive.exe", 0);
  writeFile(t / "shared.exe", sample());
  t.kept[t / "shared.exe"] = sample();
  t.unableToRemove.push_back(t / "shared.exe");
  t.lock(t / "shared.exe", FILE_SHARE_READ);
  t.infected(t / "free.exe");
  t.scanned = 3;
}

// Between the listing and the test a file goes, grows by a byte, or is swapped for a clean one.
void changesAfterListing(Tree& t) {
  writeFile(t / "gone.exe", sample());
  writeFile(t / "grown.exe", sample());
  t.kept[t / "grown.exe"] = sample() + "!";
  writeFile(t / "swapped.exe", sample());
  t.kept[t / "swapped.exe"] = lookAlike();
  t.infected(t / "stays.exe");
  t.beforeTest = [](Tree& tree, const std::string& path) {
    if (path == tree / "gone.exe") DeleteFileA(path.c_str());
    if (path == tree / "grown.exe") writeFile(path, sample() + "!");
    if (path == tree / "swapped.exe") writeFile(path, lookAlike());
  };
  t.scanned = 4;
}

// Lengths of 2 GiB and more fit no record, also when their low 32 bits equal a record's size and
// the file begins with a sample.
void emptyAndHugeFiles(Tree& t) {
  const std::string bytes = sample();
  const auto recordSize = static_cast<std::int64_t>(bytes.size());
  const struct {
    const char* name;
    std::int64_t length;
  } files[] = {
      {"empty.exe", 0},
      {"two-gib.exe", std::int64_t{1} << 31},
      {"over-two-gib.exe", (std::int64_t{1} << 31) + recordSize},
      {"four-gib-and-a-sample.exe", (std::int64_t{1} << 32) + recordSize},
  };
  for (const auto& file : files) {
    writeSparseFile(t / file.name, file.length == 0 ? "" : bytes, file.length);
    t.keptLength[t / file.name] = file.length;
  }
  t.infected(t / "sample.exe");
  t.scanned = 5;
}

// Wine compares every new name with all the names of its directory, so each of the 10,000 small
// files is made with one call rather than the scratch helper's look-up, creation and attributes.
void writeSmallFile(const std::string& path) {
  win32::FileHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path << ": error " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file.get(), "data", 4, &written, nullptr));
}

void crowdedDirectory(Tree& t) {
  makeDirectory(t / "big");
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "big\\f%05d.dat", i);
    if (i == 0 || i == 5000 || i == 9999) {
      t.infected(t / name, static_cast<std::uint32_t>(i + 1));
    } else {
      writeSmallFile(t / name);
    }
  }
  t.scanned = 10000;
}

const HostileCase kCases[] = {
    {"LongPaths", longPaths},
    {"OddNames", oddNames},
    {"FiftyLevelsDeep", fiftyLevelsDeep},
    {"LockedFiles", lockedFiles},
    {"ChangesAfterListing", changesAfterListing},
    {"EmptyAndHugeFiles", emptyAndHugeFiles},
    {"CrowdedDirectory", crowdedDirectory},
};

Tree* currentTree = nullptr;

// The walk's detector: the case's change, then the matcher as in any scan.
int changingMatcher(ScanContext& ctx, const char* familyName, const char* path) {
  if (currentTree->beforeTest) currentTree->beforeTest(*currentTree, path);
  return matchSignatures(ctx, familyName, path);
}

const DetectorEntry kChangingTable[] = {{kFamilyName, changingMatcher}, {nullptr, nullptr}};

// Nothing runs the infected files here: the kill finds no program, as the real one would, without
// the system's message box.
int killNothing(ScanContext&, const TargetFile&) {
  return 0;
}

class HostileTreeUnderWine : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileTreeUnderWine, WalkEndsCleanlyAndDeletesOnlyInfectedFiles) {
  ScratchFolder folder;
  const LongTreeRemover remover(folder.path());
  Tree tree;
  tree.root = folder.path();
  GetParam().build(tree);
  if (HasFatalFailure()) return;

  ScanSession session;
  session.singleFileMode = 0;
  std::vector<std::string> lines;
  TestWindow window([&](UINT message, WPARAM, LPARAM) -> LRESULT {
    if (message == kStatusMsgAddLine) lines.push_back(shownLine(session));
    return 0;
  });
  session.mainWindow = reinterpret_cast<WindowHandle>(window.handle());
  Win32Platform os;
  ScanContext ctx(os, session, kChangingTable);
  ctx.killProcess = killNothing;
  currentTree = &tree;
  const int result = walkDirectory(ctx, (tree.root + "\\*.*").c_str());
  currentTree = nullptr;
  for (HANDLE lock : tree.locks) CloseHandle(lock);
  drainQueue();

  EXPECT_EQ(result, session.filesScanned);
  std::vector<std::string> expectedLines;
  for (const std::string& path : tree.removed) {
    EXPECT_EQ(lengthOf(path), -1) << path;
    expectedLines.push_back(path + "     " + kName + " removed");
  }
  for (const std::string& path : tree.unableToRemove) {
    expectedLines.push_back(path + "     " + kName + " Unable to remove");
  }
  for (const auto& [path, bytes] : tree.kept) {
    EXPECT_TRUE(fileExists(path)) << path;
    EXPECT_TRUE(readFile(path) == bytes) << path;
  }
  for (const auto& [path, length] : tree.keptLength) EXPECT_EQ(lengthOf(path), length) << path;
  for (const Tree::WideFile& file : tree.removedWide) {
    EXPECT_EQ(GetFileAttributesW(file.path.c_str()), INVALID_FILE_ATTRIBUTES) << file.shown;
    expectedLines.push_back(file.shown + "     " + kName + " removed");
  }
  std::sort(lines.begin(), lines.end());
  std::sort(expectedLines.begin(), expectedLines.end());
  EXPECT_EQ(lines, expectedLines);
  const auto removedCount =
      static_cast<std::int32_t>(tree.removed.size() + tree.removedWide.size());
  EXPECT_EQ(session.filesInfected,
            removedCount + static_cast<std::int32_t>(tree.unableToRemove.size()));
  EXPECT_EQ(session.filesRemoved, removedCount);
  EXPECT_EQ(session.restartNeeded, tree.unableToRemove.empty() ? 0 : 1);
  if (tree.scanned >= 0) {
    EXPECT_EQ(session.filesScanned, tree.scanned);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTreeUnderWine, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vs::test
