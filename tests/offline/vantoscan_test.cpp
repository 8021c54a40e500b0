// The command run on folders that stand for a mounted Windows installation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/scan_driver.h"
#include "offline/scratch.h"
#include "offline/windows_tree.h"
#include "platform/sim/sim_machine.h"

namespace vs::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAreArray;

// The statistics block and the final status close every report.
constexpr std::size_t kClosingLines = 7;

std::vector<std::string> reportBody(const CommandResult& result) {
  if (result.lines.size() < kClosingLines) return {};
  return {result.lines.begin(), result.lines.end() - kClosingLines};
}

std::vector<std::string> linesFor(const WindowsTree& tree, const std::string& outcome) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < tree.samples.size(); ++i) {
    lines.push_back(tree.samples[i] + "     " + tree.sampleNames[i] + " " + outcome);
  }
  return lines;
}

// Files as the walk counts them: everything but directories and links to directories.
int filesOnVolume(const std::string& volume) {
  namespace fs = std::filesystem;
  int count = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(volume, error), end; it != end; it.increment(error)) {
    if (!it->is_directory(error)) ++count;
  }
  return count;
}

class VantoscanTest : public ::testing::Test {
 protected:
  ScratchFolder scratch;
  WindowsTree tree = buildWindowsTree(scratch.path());
};

TEST_F(VantoscanTest, DetectionOnlyReportsEverySampleAndChangesNothing) {
  const auto before = snapshot(scratch.path());
  const CommandResult result = runCommand(vantoscan(tree.volume), scratch);

  EXPECT_EQ(result.exitCode, 1);
  EXPECT_THAT(reportBody(result), UnorderedElementsAreArray(linesFor(tree, "detected")));
  const std::string scanned =
      "Total files scanned\t\t:  " + std::to_string(filesOnVolume(tree.volume));
  EXPECT_THAT(std::vector<std::string>(result.lines.end() - kClosingLines, result.lines.end()),
              ElementsAre(" ", "Scanning statistics", "------------------------------", scanned,
                          "Total files infected\t\t:  5", "Total files removed\t\t:  0",
                          "Scanning completed"));
  EXPECT_EQ(snapshot(scratch.path()), before);
}

TEST_F(VantoscanTest, RemovalReportsWhatTheWindowsToolReportsForTheSameTree) {
  // The Windows tool: the engine on the simulated machine, whose C: is a second copy of the tree
  // and whose registry holds the same values.
  ScratchFolder windowsScratch;
  const WindowsTree windowsTree = buildWindowsTree(windowsScratch.path());
  sim::SimMachine machine;
  machine.logCalls = false;
  machine.addHostDrive('C', windowsTree.volume);
  for (const HiveValue& value : windowsTree.registry) {
    machine.registry.setString("SOFTWARE\\" + value.key, value.name, value.data,
                               value.expandable ? kRegExpandSz : kRegSz);
  }
  ScanSession session;
  session.mainWindow = 1;
  std::vector<std::string> windowsLines;
  machine.onSend = [&](std::uint32_t message) {
    if (message == kStatusMsgAddLine) windowsLines.push_back(session.reportLine);
  };
  ScanContext ctx(machine, session);
  runScanSession(ctx);

  const std::string originalHive = readFile(tree.hive);
  auto expected = snapshot(tree.volume);
  for (const std::string& sample : tree.samples) {
    expected.erase(hostPath(tree, sample).substr(tree.volume.size() + 1));
  }
  const auto outsideBefore = snapshot(tree.outside);
  const CommandResult result = runCommand(vantoscan("--remove --drive C=" + tree.volume), scratch);

  EXPECT_EQ(result.exitCode, 1);
  ASSERT_FALSE(result.lines.empty());
  EXPECT_EQ(result.lines.back(), "Scanning completed");
  const std::vector<std::string> report(result.lines.begin(), result.lines.end() - 1);
  EXPECT_EQ(report, windowsLines);
  // Four Run values started a sample: each removal has its line, as has each file. The
  // malware's own Run value goes with its uninstall entry, without a line.
  EXPECT_EQ(
      std::count(report.begin(), report.end(), "System Registry     W32/Talvorn.Trojan removed"),
      4);
  EXPECT_THAT(reportBody(result), ::testing::IsSupersetOf(linesFor(tree, "removed")));

  // Exactly the samples are gone; the hive lost exactly the malware's values, as the simulated
  // registry did, after a copy of it was saved.
  auto after = snapshot(tree.volume);
  const std::string hiveEntry = "WINDOWS/system32/config/SOFTWARE";
  ASSERT_EQ(after.count(hiveEntry + ".vantoscan-backup"), 1u);
  EXPECT_EQ(readFile(tree.hive + ".vantoscan-backup"), originalHive);
  after.erase(hiveEntry + ".vantoscan-backup");
  after[hiveEntry] = expected[hiveEntry];
  EXPECT_EQ(after, expected);
  EXPECT_EQ(snapshot(tree.outside), outsideBefore);
  EXPECT_THAT(hiveValueNames(tree.hive, kRunKey), ElementsAre("Keep", "Bare"));
  EXPECT_THAT(hiveValueNames(tree.hive, kRunServicesKey), IsEmpty());
  EXPECT_THAT(hiveValueNames(tree.hive, kUninstallKey), IsEmpty());
  for (const char* key : {kRunKey, kRunServicesKey, kUninstallKey}) {
    EXPECT_EQ(hiveValueNames(tree.hive, key),
              machine.registry.valueNames(std::string("SOFTWARE\\") + key))
        << key;
  }
}

TEST_F(VantoscanTest, JsonGivesOneObjectPerLine) {
  const CommandResult result = runCommand(vantoscan("--json " + tree.volume), scratch);
  // Each infected file's object carries the file's SHA-256.
  const CommandResult digest =
      runCommand("sha256sum '" + hostPath(tree, "C:\\WINDOWS\\WinUpd.exe") + "'", scratch);
  ASSERT_FALSE(digest.lines.empty());

  EXPECT_EQ(result.exitCode, 1);
  ASSERT_EQ(result.lines.size(), tree.samples.size() + 2);
  EXPECT_THAT(result.lines,
              ::testing::Contains(
                  "{\"type\":\"file\",\"path\":\"C:\\\\WINDOWS\\\\WinUpd.exe\",\"detection\":"
                  "\"W32/Talvorn.Dzm.Trojan\",\"outcome\":\"detected\",\"sha256\":\"" +
                  digest.lines[0].substr(0, 64) +
                  "\",\"line\":"
                  "\"C:\\\\WINDOWS\\\\WinUpd.exe     W32/Talvorn.Dzm.Trojan detected\"}"));
  EXPECT_THAT(result.lines[result.lines.size() - 2],
              HasSubstr("\"type\":\"statistics\",\"files_scanned\":"));
  EXPECT_THAT(result.lines[result.lines.size() - 2],
              HasSubstr("\"files_infected\":5,\"files_removed\":0}"));
  EXPECT_EQ(result.lines.back(), "{\"type\":\"status\",\"text\":\"Scanning completed\"}");
}

// The digest of a removed file is taken before it goes.
TEST_F(VantoscanTest, RemovedFilesKeepTheirDigestInTheJsonReport) {
  std::vector<std::string> expected;
  for (const std::string& sample : tree.samples) {
    const CommandResult digest = runCommand("sha256sum '" + hostPath(tree, sample) + "'", scratch);
    ASSERT_FALSE(digest.lines.empty());
    std::string path;
    for (const char c : sample) path += c == '\\' ? std::string("\\\\") : std::string(1, c);
    expected.push_back("\"path\":\"" + path + "\"");
    expected.back() += "," + digest.lines[0].substr(0, 64);
  }
  const CommandResult result = runCommand(vantoscan("--json --remove " + tree.volume), scratch);
  EXPECT_EQ(result.exitCode, 1);
  std::vector<std::string> found;
  for (const std::string& line : result.lines) {
    const std::size_t path = line.find("\"path\":\"");
    const std::size_t digest = line.find("\"sha256\":\"");
    if (path == std::string::npos || line.find("\"outcome\":\"removed\"") == std::string::npos) {
      continue;
    }
    ASSERT_NE(digest, std::string::npos) << line;
    found.push_back(line.substr(path, line.find("\",", path) + 1 - path) + "," +
                    line.substr(digest + 10, 64));
  }
  EXPECT_THAT(found, UnorderedElementsAreArray(expected));
  for (const std::string& sample : tree.samples)
    EXPECT_FALSE(std::filesystem::exists(hostPath(tree, sample)));
}

TEST_F(VantoscanTest, DamagedHiveStopsRemovalBeforeAnythingChanges) {
  std::string damaged = readFile(tree.hive);
  damaged.replace(0, 4, "junk");
  writeFile(tree.volume, "WINDOWS/system32/config/SOFTWARE", damaged);
  const auto before = snapshot(scratch.path());

  const CommandResult removal = runCommand(vantoscan("--remove " + tree.volume), scratch);
  EXPECT_EQ(removal.exitCode, 2);
  EXPECT_THAT(removal.lines, IsEmpty());
  EXPECT_THAT(removal.errors, HasSubstr(tree.hive));
  EXPECT_EQ(snapshot(scratch.path()), before);

  // Detection does not need the hive.
  EXPECT_EQ(runCommand(vantoscan(tree.volume), scratch).exitCode, 1);
}

// Tests run as root, whom permission bits do not stop: the volume is made read-only by a
// read-only bind mount, in a mount namespace of the test's own that ends with the command.
TEST_F(VantoscanTest, ReadOnlyVolumeIsScannedAndNothingIsRemoved) {
  if (runCommand("unshare -m true", scratch).exitCode != 0) {
    GTEST_SKIP() << "no mount namespaces here";
  }
  const auto before = snapshot(scratch.path());
  auto readOnly = [&](const std::string& arguments) {
    return runCommand("unshare -m sh -c 'mount --bind " + tree.volume + " " + tree.volume +
                          " && mount -o remount,bind,ro " + tree.volume + " && exec " +
                          vantoscan(arguments) + "'",
                      scratch);
  };

  const CommandResult detection = readOnly(tree.volume);
  EXPECT_EQ(detection.exitCode, 1);
  EXPECT_THAT(reportBody(detection), UnorderedElementsAreArray(linesFor(tree, "detected")));

  const CommandResult removal = readOnly("--remove " + tree.volume);
  EXPECT_EQ(removal.exitCode, 3);
  EXPECT_THAT(reportBody(removal), UnorderedElementsAreArray(linesFor(tree, "Unable to remove")));
  EXPECT_THAT(removal.errors, HasSubstr("mounted read-only"));
  EXPECT_THAT(removal.errors, HasSubstr("cannot save a copy of " + tree.hive));
  EXPECT_EQ(snapshot(scratch.path()), before);
}

TEST(VantoscanCommandTest, CleanVolumeExitsWithZero) {
  ScratchFolder scratch;
  writeFile(scratch.path(), "volume/WINDOWS/notepad.exe", "MZ not much of a program");
  const CommandResult result =
      runCommand(vantoscan("--remove " + scratch.path() + "/volume"), scratch);

  EXPECT_EQ(result.exitCode, 0);
  EXPECT_THAT(result.lines,
              ElementsAre("Scanning statistics", "------------------------------",
                          "Total files scanned\t\t:  1", "Total files infected\t\t:  0",
                          "Total files removed\t\t:  0", "Scanning completed"));
  EXPECT_THAT(result.errors, HasSubstr("no Windows folder with a SOFTWARE hive"));
}

TEST(VantoscanCommandTest, UnusableVolumesAndArgumentsEndWithTwo) {
  ScratchFolder scratch;
  writeFile(scratch.path(), "plain-file", "");
  const struct {
    std::string arguments;
    std::string message;
  } cases[] = {
      {scratch.path() + "/missing", "cannot open " + scratch.path() + "/missing"},
      {scratch.path() + "/plain-file", "Not a directory"},
      {"", "no volume given"},
      {"--drive A=" + scratch.path(), "drive A: is never scanned"},
      {"--frobnicate " + scratch.path(), "unknown option --frobnicate"},
  };
  for (const auto& c : cases) {
    const CommandResult result = runCommand(vantoscan(c.arguments), scratch);
    EXPECT_EQ(result.exitCode, 2) << c.arguments;
    EXPECT_THAT(result.lines, IsEmpty()) << c.arguments;
    EXPECT_THAT(result.errors, HasSubstr(c.message)) << c.arguments;
  }
  // A folder its user may not read: the scratch folder belongs to root alone, and the command
  // runs as nobody.
  const CommandResult unreadable = runCommand(
      "setpriv --reuid=65534 --regid=65534 --clear-groups " + vantoscan(scratch.path()), scratch);
  EXPECT_EQ(unreadable.exitCode, 2);
  EXPECT_THAT(unreadable.errors, HasSubstr("Permission denied"));

  const CommandResult help = runCommand(vantoscan("--help"), scratch);
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_THAT(help.lines, ::testing::Contains(HasSubstr("Exit status")));
}

}  // namespace
}  // namespace vs::test
