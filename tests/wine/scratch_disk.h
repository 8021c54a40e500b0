// Files for the tests on the run's own drive D:, made and read with the system's calls directly so
// that the backend under test is not used to prepare or to check its own results.
#pragma once

#include <cstdint>
#include <string>

namespace vs::test {

// Creates (or replaces) a file with the given bytes and attributes; fails the test on error.
void writeFile(const std::string& path, const std::string& bytes, std::uint32_t attributes = 0);
// The file's bytes; a file that cannot be read fails the test.
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// The attribute bits, or INVALID_FILE_ATTRIBUTES.
std::uint32_t attributesOf(const std::string& path);
void makeDirectory(const std::string& path);
// Deletes a folder and everything in it, clearing read-only bits on the way.
void removeTree(const std::string& path);

// A folder of its own on D: for one test, named after it, removed when the test ends.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // path() + "\" + name.
  std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

}  // namespace vs::test
