// Files for the tests on the run's own drive D:, made and read with the system's calls directly so
// that the backend under test is not used to prepare or to check its own results.
#pragma once

#include <cstdint>
#include <source_location>
#include <string>

namespace vs::test {

// The helpers that prepare or read the scratch disk fail the test at the caller's line when the
// system refuses, so that a failure names the test's own step.

// Creates (or replaces) a file with the given bytes and attributes.
void writeFile(const std::string& path, const std::string& bytes, std::uint32_t attributes = 0,
               std::source_location caller = std::source_location::current());
// The file's bytes.
std::string readFile(const std::string& path,
                     std::source_location caller = std::source_location::current());
bool fileExists(const std::string& path);
// The attribute bits, or INVALID_FILE_ATTRIBUTES.
std::uint32_t attributesOf(const std::string& path);
void makeDirectory(const std::string& path,
                   std::source_location caller = std::source_location::current());
// Deletes a folder and everything in it, clearing read-only bits on the way.
void removeTree(const std::string& path);
// The same through the wide calls, for a folder given in the "\\?\" form, whose paths may be
// longer than MAX_PATH and whose names the code page may not spell.
void removeTreeWide(const std::wstring& path);

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
