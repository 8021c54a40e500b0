#include "offline/windows_tree.h"

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "engine/signature_record.h"
#include "offline/scratch.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

std::string sampleOf(int record, samples::SampleLayout layout = samples::SampleLayout::OneSection,
                     samples::NearMiss miss = samples::NearMiss::None) {
  return samples::buildSample(kSignatureTable[record], {layout, miss, 7}).value();
}

void addSample(WindowsTree& tree, const std::string& windowsPath, const std::string& bytes,
               int record) {
  writeFile(tree.volume, hostPath(tree, windowsPath).substr(tree.volume.size() + 1), bytes);
  tree.samples.push_back(windowsPath);
  tree.sampleNames.push_back(kSignatureTable[record].name);
}

}  // namespace

std::string hostPath(const WindowsTree& tree, const std::string& windowsPath) {
  std::string path = tree.volume + "/" + windowsPath.substr(3);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

WindowsTree buildWindowsTree(const std::string& folder) {
  WindowsTree tree;
  tree.volume = folder + "/volume";
  tree.outside = folder + "/outside";
  tree.hive = tree.volume + "/WINDOWS/system32/config/SOFTWARE";

  addSample(tree, "C:\\WINDOWS\\system32\\SvcHlp32.EXE", sampleOf(0), 0);
  addSample(tree, "C:\\WINDOWS\\Temp\\Setup.Exe", sampleOf(8), 8);
  addSample(tree, "C:\\WINDOWS\\WinUpd.exe", sampleOf(92), 92);
  addSample(tree, "C:\\Program Files\\Mixed Case\\DoWnLoAd.eXe", sampleOf(11), 11);
  addSample(tree, "C:\\Documents and Settings\\x\\Cgx Copy.exe",
            sampleOf(0, samples::SampleLayout::ThreeSections), 0);
  chmod(hostPath(tree, "C:\\WINDOWS\\Temp\\Setup.Exe").c_str(), 0444);

  writeFile(tree.volume, "WINDOWS/NoTePad.exe", samples::buildLookAlike(72704, 3));
  writeFile(tree.volume, "WINDOWS/NearMiss.exe",
            sampleOf(0, samples::SampleLayout::OneSection, samples::NearMiss::ProbeByteChanged));
  writeFile(tree.volume, "WINDOWS/system32/drivers/etc/hosts", "127.0.0.1 localhost\r\n");
  writeFile(tree.volume, "Program Files/Good/good.exe", samples::buildLookAlike(54784, 4));
  writeFile(tree.volume, "Documents and Settings/x/readme.txt", "nothing to see\n");
  writeFile(tree.volume, "Documents and Settings/x/empty.txt", "");

  // A sample outside the volume, and links to it and to the volume itself.
  writeFile(tree.outside, "Trojan.exe", sampleOf(0));
  symlink(".", (tree.volume + "/loop").c_str());
  symlink("../../outside", (tree.volume + "/WINDOWS/outside").c_str());
  symlink("selfloop", (tree.volume + "/WINDOWS/selfloop").c_str());
  symlink("../outside/Trojan.exe", (tree.volume + "/outside.exe").c_str());

  tree.registry = {
      {kRunKey, "Helper", "svchlp32.exe"},  // a bare name, the file in system32
      {kRunKey, "Setup", "c:\\windows\\temp\\setup.exe /s"},
      {kRunKey, "Keep", "\"C:\\Program Files\\Good\\good.exe\" -tray"},
      {kRunKey, "Bare", "setup.exe"},  // a bare name, the file not in a system folder
      {kRunKey, "Updater", "\"%SystemRoot%\\winupd.exe\"", true},
      {kRunKey, "SMrhcjg7j0e38v", "C:\\WINDOWS\\rhcjg7j0e38v.exe"},
      {kRunServicesKey, "Loader", "C:\\PROGRAM FILES\\MIXED CASE\\DOWNLOAD.EXE"},
      {kUninstallKey, "UninstallString", "C:\\Program Files\\rhcjg7j0e38v\\uninstall.exe"},
  };
  std::filesystem::create_directories(tree.volume + "/WINDOWS/system32/config");
  writeHive(tree.hive, tree.registry);
  return tree;
}

}  // namespace vs::test
