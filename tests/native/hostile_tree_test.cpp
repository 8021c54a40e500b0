// Whole scans of hostile trees on the simulated machine: paths at and beyond the 260-character
// limit, odd names, deep trees, link loops, unreadable and locked files, files that vanish or
// change between their listing and their opening, empty and huge files, a crowded directory.
// Every case must end with the scan completed, every reachable infected file deleted and reported
// once, and every other file exactly as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "engine/scan_driver.h"
#include "engine/signature_record.h"
#include "platform/sim/sim_machine.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

const std::string kName = kSignatureTable[0].name;

using samples::lookAlike;
using samples::sample;

// A folder of the host for a host-backed drive, removed with everything in it (links are removed,
// never followed) when the case ends.
class HostFolder {
 public:
  HostFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vs-hostile.XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~HostFolder() { std::filesystem::remove_all(path_); }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Writes bytes to a host file and then sets its length, which leaves a hole (no disk space) when
// the length lies beyond the bytes.
void writeHostFile(const std::string& path, const std::string& bytes, off_t length) {
  const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
  ASSERT_GE(fd, 0) << path;
  EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  EXPECT_EQ(ftruncate(fd, length), 0);
  close(fd);
}

// The machine of one case and what the scan must do with it.
struct Tree {
  sim::SimMachine os;
  std::vector<std::string> removed;         // infected files: deleted, one "removed" line each
  std::vector<std::string> unableToRemove;  // infected files: kept, one "Unable to remove" line
  std::vector<std::string> scheduled;       // of those, the ones left for the next start
  std::map<std::string, std::string> kept;  // files of in-memory drives that must stay as they are
  std::map<std::string, std::int64_t> keptLength;  // files of host drives that must stay
  int scanned = -1;  // the number of files the scan must count, where the case knows it
  // Runs when the walk shows an entry: after the listing, before the detectors open the entry.
  std::function<void(Tree&, const std::string& shown)> onShown;
  std::unique_ptr<HostFolder> host;

  void infected(const std::string& path, std::uint32_t seed = 1) {
    os.addFile(path, sample(seed));
    removed.push_back(path);
  }
  // A file that must come through the scan unchanged.
  sim::Node& keep(const std::string& path, const std::string& content) {
    kept[path] = content;
    return os.addFile(path, content);
  }
  // The host folder behind drive E:.
  HostFolder& hostDrive() {
    if (!host) {
      host = std::make_unique<HostFolder>();
      os.addHostDrive('E', host->path());
    }
    return *host;
  }
};

struct HostileCase {
  const char* name;
  void (*build)(Tree& tree);
};

// A file name that brings a path in folder to exactly length characters.
std::string pathOfLength(const std::string& folder, std::size_t length) {
  return folder + "\\" + std::string(length - folder.size() - 1 - 4, 'f') + ".exe";
}

void longPaths(Tree& t) {
  const std::string folder = "C:\\long\\" + std::string(200, 'd');
  // The ANSI buffers hold 259 characters and the terminator; the wide calls reach the longer.
  t.infected(pathOfLength(folder, 259));
  t.infected(pathOfLength(folder, 260));
  t.infected(pathOfLength(folder, 261));
  t.infected(pathOfLength(folder, 300));
  // A folder whose pattern ("\*.*" more) does not fit the ANSI buffers is listed by the wide
  // calls, though a file of it would fit.
  const std::string unlisted = folder + "\\" + std::string(256 - folder.size() - 1, 'e');
  t.infected(unlisted + "\\a");
  t.scanned = 5;
}

void oddNames(Tree& t) {
  for (const char* name : {"a b.exe", "x.y.z.exe", "noext", "trailing.", " lead", "...",
                           "caf\xE9.exe", "\xFC\xE4\xF6\xDF.dll", "\x81\x8D\x8F\x90\x9D"}) {
    t.infected(std::string("C:\\odd\\") + name);
  }
  for (const char* folder : {"dir.with.dots", "sp ace", "x.", "\xC0\xC9\xD0", "...."}) {
    t.infected(std::string("C:\\odd\\") + folder + "\\in.exe");
    t.keep(std::string("C:\\odd\\") + folder + "\\clean.exe", lookAlike());
  }
  t.scanned = 19;
}

void fiftyLevelsDeep(Tree& t) {
  std::string path = "C:\\deep";
  for (int level = 1; level <= 50; ++level) {
    path += "\\" + std::to_string(level % 10) + "x";
    if (level == 25) t.infected(path + "\\middle.exe");
    if (level == 49) t.keep(path + "\\clean.exe", lookAlike());
  }
  t.infected(path + "\\bottom.exe");
  t.scanned = 3;
}

// Real links of the host: one to its own folder, one to its parent. A link is not entered, so
// each file is met once.
void linkLoops(Tree& t) {
  HostFolder& host = t.hostDrive();
  std::filesystem::create_directory(host / "sub");
  writeHostFile(host / "evil.exe", sample(), static_cast<off_t>(sample().size()));
  writeHostFile(host / "sub/evil2.exe", sample(2), static_cast<off_t>(sample().size()));
  writeHostFile(host / "sub/clean.dll", lookAlike(), static_cast<off_t>(lookAlike().size()));
  std::filesystem::create_directory_symlink(".", host / "loop");
  std::filesystem::create_directory_symlink("..", host / "sub/up");
  t.removed = {"E:\\evil.exe", "E:\\sub\\evil2.exe"};
  t.keptLength["E:\\sub\\clean.dll"] = static_cast<std::int64_t>(lookAlike().size());
  t.scanned = 3;
}

void unreadable(Tree& t) {
  t.os.addDirectory("C:\\locked").denyList = true;
  t.keep("C:\\locked\\evil.exe", sample());
  t.keep("C:\\open\\denied.exe", sample()).denyOpen = true;
  t.infected("C:\\open\\readable.exe");
  t.os.addFile("C:\\open\\fixed.exe", sample()).denyAttributes = true;
  t.unableToRemove.push_back("C:\\open\\fixed.exe");
  t.kept["C:\\open\\fixed.exe"] = sample();
  t.scanned = 3;
}

// A clean program holds an infected file open: killing by the file's path finds no program
// running that file, so the file stays and is left for the system's next start.
void lockedByAnotherProgram(Tree& t) {
  t.os.addFile("C:\\apps\\holder.exe", lookAlike());
  t.os.addFile("C:\\data\\held.exe", sample());
  t.os.startProcess("C:\\apps\\holder.exe", {"C:\\data\\held.exe"});
  t.unableToRemove.push_back("C:\\data\\held.exe");
  t.scheduled.push_back("C:\\data\\held.exe");
  t.kept["C:\\data\\held.exe"] = sample();
  t.kept["C:\\apps\\holder.exe"] = lookAlike();
  t.infected("C:\\data\\free.exe");
  t.scanned = 3;
}

sim::Node& parentOf(sim::SimMachine& os, const std::string& path) {
  return *os.find(path.substr(0, path.rfind('\\')));
}

void removeNode(sim::SimMachine& os, const std::string& path) {
  auto& siblings = parentOf(os, path).children;
  sim::Node* node = os.find(path);
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& child) { return child.get() == node; }));
}

// Between the listing and the opening a file goes, is swapped for a clean one, grows, or turns
// from a small file into a sample; a folder goes before it is entered.
void changesAfterListing(Tree& t) {
  t.os.addFile("C:\\v\\gone.exe", sample());
  t.keep("C:\\v\\grown.exe", sample() + "!");
  t.os.find("C:\\v\\grown.exe")->content = sample();
  t.keep("C:\\v\\swapped.exe", lookAlike());
  t.os.find("C:\\v\\swapped.exe")->content = sample();
  t.keep("C:\\v\\turned.exe", sample());
  t.os.find("C:\\v\\turned.exe")->content = "small";
  t.os.addFile("C:\\v\\sub\\inside.exe", sample());
  t.infected("C:\\v\\stays.exe");
  t.onShown = [](Tree& tree, const std::string& shown) {
    sim::SimMachine& os = tree.os;
    if (shown == "C:\\v\\gone.exe") removeNode(os, shown);
    if (shown == "C:\\v\\grown.exe") os.find(shown)->content += "!";
    if (shown == "C:\\v\\swapped.exe") os.find(shown)->content = lookAlike();
    if (shown == "C:\\v\\turned.exe") os.find(shown)->content = sample();
    if (shown == "C:\\v\\sub") removeNode(os, shown);
  };
  t.scanned = 5;
}

// Lengths of 2 GiB and more fit no record, also when their low 32 bits equal a record's size and
// the file begins with a sample.
void emptyAndHugeFiles(Tree& t) {
  HostFolder& host = t.hostDrive();
  const std::string bytes = sample();
  const off_t recordSize = static_cast<off_t>(bytes.size());
  const struct {
    const char* name;
    off_t length;
  } files[] = {
      {"empty.exe", 0},
      {"two-gib.exe", off_t{1} << 31},
      {"over-two-gib.exe", (off_t{1} << 31) + recordSize},
      {"four-gib-and-a-sample.exe", (off_t{1} << 32) + recordSize},
  };
  for (const auto& file : files) {
    writeHostFile(host / file.name, file.length == 0 ? "" : bytes, file.length);
    t.keptLength[std::string("E:\\") + file.name] = file.length;
  }
  writeHostFile(host / "sample.exe", bytes, recordSize);
  t.removed.push_back("E:\\sample.exe");
  t.scanned = 5;
}

void crowdedDirectory(Tree& t) {
  // Small files share one content; the node keeps its own copy.
  for (int i = 0; i < 10000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "C:\\big\\f%05d.dat", i);
    if (i == 0 || i == 5000 || i == 9999) {
      t.infected(name, static_cast<std::uint32_t>(i + 1));
    } else {
      t.os.addFile(name, "data");
    }
  }
  t.scanned = 10000;
}

const HostileCase kCases[] = {
    {"LongPaths", longPaths},
    {"OddNames", oddNames},
    {"FiftyLevelsDeep", fiftyLevelsDeep},
    {"LinkLoops", linkLoops},
    {"Unreadable", unreadable},
    {"LockedByAnotherProgram", lockedByAnotherProgram},
    {"ChangesAfterListing", changesAfterListing},
    {"EmptyAndHugeFiles", emptyAndHugeFiles},
    {"CrowdedDirectory", crowdedDirectory},
};

void PrintTo(const HostileCase& c, std::ostream* out) {
  *out << c.name;
}

class HostileTreeTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileTreeTest, ScanEndsCleanlyAndDeletesOnlyInfectedFiles) {
  Tree tree;
  GetParam().build(tree);
  if (HasFatalFailure()) return;
  sim::SimMachine& os = tree.os;
  os.logCalls = false;
  ScanSession session;
  session.mainWindow = 1;
  ScanContext ctx(os, session);
  std::vector<std::string> lines;
  std::string finalStatus;
  os.onSend = [&](std::uint32_t message) {
    if (message == kStatusMsgAddLine) lines.push_back(session.reportLine);
    if (message != kStatusMsgSetText) return;
    finalStatus = session.statusText;
    if (tree.onShown) tree.onShown(tree, session.statusText);
  };
  const std::size_t crowdedBefore = os.exists("C:\\big") ? os.find("C:\\big")->children.size() : 0;

  EXPECT_EQ(runScanSession(ctx), 1);
  EXPECT_EQ(finalStatus, "Scanning completed");

  std::vector<std::string> expectedLines;
  for (const std::string& path : tree.removed) {
    EXPECT_FALSE(os.pathExists(path.c_str())) << path;
    expectedLines.push_back(path + "     " + kName + " removed");
  }
  for (const std::string& path : tree.unableToRemove) {
    expectedLines.push_back(path + "     " + kName + " Unable to remove");
  }
  for (const auto& [path, content] : tree.kept) {
    const sim::Node* node = os.find(path);
    ASSERT_NE(node, nullptr) << path;
    EXPECT_TRUE(node->content == content) << path;
  }
  for (const auto& [path, length] : tree.keptLength) {
    std::unique_ptr<ReadableFile> file = os.openForReading(path.c_str());
    ASSERT_NE(file, nullptr) << path;
    EXPECT_EQ(file->length(), length) << path;
  }
  if (crowdedBefore > 0) {
    EXPECT_EQ(os.find("C:\\big")->children.size(), crowdedBefore - tree.removed.size());
  }

  std::vector<std::string> fileLines;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(fileLines),
               [](const std::string& line) { return line.find("     W32/") != std::string::npos; });
  std::sort(fileLines.begin(), fileLines.end());
  std::sort(expectedLines.begin(), expectedLines.end());
  EXPECT_EQ(fileLines, expectedLines);

  const auto infected = static_cast<std::int32_t>(tree.removed.size() + tree.unableToRemove.size());
  EXPECT_EQ(session.filesInfected, infected);
  EXPECT_EQ(session.filesRemoved, static_cast<std::int32_t>(tree.removed.size()));
  if (tree.scanned >= 0) {
    EXPECT_EQ(session.filesScanned, tree.scanned);
  }
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3],
            "Total files scanned\t\t:  " + std::to_string(session.filesScanned));
  // Files that could not be deleted now wait for the next start, and the user is asked to restart.
  EXPECT_EQ(os.pendingDeletes, tree.scheduled);
  EXPECT_EQ(os.messageBoxes.size(), tree.scheduled.empty() ? 0u : 1u);
}

INSTANTIATE_TEST_SUITE_P(HostileTree, HostileTreeTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vs::test
