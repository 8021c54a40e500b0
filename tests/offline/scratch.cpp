#include "offline/scratch.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vs::test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder() {
  std::string pattern = (fs::temp_directory_path() / "vantoscan-test-XXXXXX").string();
  if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
  if (path_.empty()) return;
  // Read-only files and folders the tests made must not keep the folder from going.
  std::error_code ignored;
  for (fs::recursive_directory_iterator it(path_, ignored), end; it != end; it.increment(ignored)) {
    if (!it->is_symlink(ignored)) chmod(it->path().c_str(), 0755);
  }
  fs::remove_all(path_, ignored);
}

void writeFile(const std::string& root, const std::string& relative, const std::string& bytes) {
  const fs::path file = fs::path(root) / relative;
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::map<std::string, std::string> snapshot(const std::string& root) {
  std::map<std::string, std::string> found;
  std::error_code error;  // a link that loops must not end the look
  for (fs::recursive_directory_iterator it(root, error), end; it != end; it.increment(error)) {
    const fs::directory_entry& entry = *it;
    const std::string relative = entry.path().string().substr(root.size() + 1);
    if (entry.is_symlink()) {
      found[relative] = "link:" + fs::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      found[relative] = "dir";
    } else {
      struct stat info;
      lstat(entry.path().c_str(), &info);
      found[relative] = std::to_string(info.st_mode & 07777) + ":" + readFile(entry.path());
    }
  }
  return found;
}

std::string vantoscan(const std::string& arguments) {
  return std::string(VANTOSCAN_PATH) + " " + arguments;
}

CommandResult runCommand(const std::string& command, const ScratchFolder& scratch) {
  const std::string out = scratch.path() + "/stdout";
  const std::string err = scratch.path() + "/stderr";
  const int status = std::system((command + " >" + out + " 2>" + err + " </dev/null").c_str());
  CommandResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(readFile(out));
  for (std::string text; std::getline(lines, text);) result.lines.push_back(text);
  result.errors = readFile(err);
  fs::remove(out);
  fs::remove(err);
  return result;
}

}  // namespace vs::test
