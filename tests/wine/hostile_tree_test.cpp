// Hostile trees on the real file system: paths at and beyond the 260-character limit, names with
// blanks, dots and bytes of the ANSI code page (and a name the code page cannot spell), a deep
// tree, files locked by another handle, files that vanish or change between their listing and
// their opening, empty files and files of 2 GiB and more (sparse on the host), and 10,000 files in
// one directory. Each walk, with the real backend and disposal, must end with every reachable
// infected file deleted and reported once and every other file exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
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

void writeLongFile(const std::string& path, const std::string& bytes) {
  win32::FileHandle file(CreateFileW(extended(path).c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid()) << path.size() << " characters: error " << GetLastError();
  DWORD written = 0;
  ASSERT_TRUE(
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
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

// Removes a folder whose paths may exceed MAX_PATH, given with the "\\?\" prefix.
void removeLongTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  win32::FindHandle find(FindFirstFileW((path + L"\\*").c_str(), &data));
  if (find) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        removeLongTree(child);
      } else {
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find.get(), &data));
  }
  find.reset();
  RemoveDirectoryW(path.c_str());
}

// Empties a case's folder on every way out of the test, long paths included, so that the drive is
// bare for the tests that follow.
class LongTreeRemover {
 public:
  explicit LongTreeRemover(const std::string& path) : path_(extended(path)) {}
  ~LongTreeRemover() { removeLongTree(path_); }
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
  // Infected files whose names the ANSI code page cannot spell, and their paths as it renders them
  // in the report lines.
  std::map<std::wstring, std::string> removedWide;
  int scanned = -1;
  std::vector<HANDLE> locks;  // handles that hold files, closed when the walk is over
  std::function<void(Tree&, const std::string& path)> beforeTest;

  std::string operator/(const std::string& name) const { return root + "\\" + name; }
  void infected(const std::string& path, std::uint32_t seed = 1) {
    writeFile(path, sample(seed));
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
  for (const std::size_t length : {260u, 261u, 300u}) {
    writeLongFile(named(length), sample());
    t.removed.push_back(named(length));
  }
  // A folder whose pattern ("\*.*" more) does not fit the ANSI buffers is listed by the wide
  // calls.
  const std::string unlisted = folder + "\\" + std::string(256 - folder.size() - 1, 'e');
  ASSERT_TRUE(CreateDirectoryW(extended(unlisted).c_str(), nullptr)) << GetLastError();
  writeLongFile(unlisted + "\\a", sample());
  t.removed.push_back(unlisted + "\\a");
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
  // A name the code page cannot spell is examined and deleted through the wide calls; its line
  // shows it as the code page renders it ("?" for what it cannot spell).
  const std::wstring name = L"\x4E2D\x6587.exe";
  const std::wstring unspellable = extended(t.root) + L"\\" + name;
  win32::FileHandle file(CreateFileW(unspellable.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(file.valid());
  const std::string bytes = sample();
  DWORD written = 0;
  ASSERT_TRUE(
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  char rendered[32] = {};
  ASSERT_GT(
      WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, rendered, sizeof rendered, nullptr, nullptr),
      0);
  t.removedWide[unspellable] = t / rendered;
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
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
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
  // Gone also where the path is too long for the ANSI calls.
  for (const std::string& path : tree.removed) {
    EXPECT_EQ(lengthOf(path), -1) << path;
    expectedLines.push_back(path + "     " + kName + " removed");
  }
  for (const auto& [path, rendered] : tree.removedWide) {
    EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << rendered;
    expectedLines.push_back(rendered + "     " + kName + " removed");
  }
  for (const std::string& path : tree.unableToRemove) {
    expectedLines.push_back(path + "     " + kName + " Unable to remove");
  }
  for (const auto& [path, bytes] : tree.kept) {
    EXPECT_TRUE(fileExists(path)) << path;
    EXPECT_TRUE(readFile(path) == bytes) << path;
  }
  for (const auto& [path, length] : tree.keptLength) EXPECT_EQ(lengthOf(path), length) << path;
  std::sort(lines.begin(), lines.end());
  std::sort(expectedLines.begin(), expectedLines.end());
  EXPECT_EQ(lines, expectedLines);
  const std::size_t removed = tree.removed.size() + tree.removedWide.size();
  EXPECT_EQ(session.filesInfected, static_cast<std::int32_t>(removed + tree.unableToRemove.size()));
  EXPECT_EQ(session.filesRemoved, static_cast<std::int32_t>(removed));
  EXPECT_EQ(session.restartNeeded, tree.unableToRemove.empty() ? 0 : 1);
  if (tree.scanned >= 0) {
    EXPECT_EQ(session.filesScanned, tree.scanned);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileTreeUnderWine, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vs::test
