// Folders, files and runs of the command for the offline tests.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vs::test {

// A folder of its own for one test, removed with everything in it afterwards.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// Writes a file below root, making its folders.
void writeFile(const std::string& root, const std::string& relative, const std::string& bytes);
std::string readFile(const std::string& path);

// Everything below a folder, links not followed: relative path → what it is ("dir", "link:"
// and the target, or the file's mode and bytes).
std::map<std::string, std::string> snapshot(const std::string& root);

struct CommandResult {
  int exitCode = -1;
  std::vector<std::string> lines;  // standard output
  std::string errors;              // standard error
};

// The shell command that runs the command under test with these arguments.
std::string vantoscan(const std::string& arguments);

// Runs a shell command, its output kept in the scratch folder meanwhile.
CommandResult runCommand(const std::string& command, const ScratchFolder& scratch);

}  // namespace vs::test
