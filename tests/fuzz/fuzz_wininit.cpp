// The wininit.ini editor over arbitrary files: the text rule alone, and the whole edit of the file
// on the simulated machine with the disk filling up at any byte. The new text only ever adds the
// entry (and the section header and a line end where needed) to the old one, and the file on the
// disk ends either fully edited or exactly as it was.
//
// Input: the bytes of free space (0xFF: unlimited), whether wininit.ini exists (bit 0), the
// source path up to a zero byte, then the file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/sim/sim_machine.h"
#include "remediation/deferred_delete.h"
#include "remediation/wininit_text.h"

namespace {

constexpr const char* kWininit = "C:\\WINDOWS\\wininit.ini";

void require(bool condition) {
  if (!condition) std::abort();
}

// The new text is the old one with one stretch inserted: the entry, or at the end the entry
// behind an optional line end and an optional section header.
void checkOnlyInserts(const std::string& before, const std::string& after,
                      const std::string& entry) {
  require(after.size() >= before.size() + entry.size());
  const std::size_t added = after.size() - before.size();
  require(added == entry.size() || added == entry.size() + 2 || added == entry.size() + 10 ||
          added == entry.size() + 12);
  const std::size_t prefix = static_cast<std::size_t>(
      std::mismatch(before.begin(), before.end(), after.begin()).first - before.begin());
  const std::size_t suffix = static_cast<std::size_t>(
      std::mismatch(before.rbegin(), before.rend(), after.rbegin()).first - before.rbegin());
  require(prefix + suffix >= before.size());
  require(after.find(entry) != std::string::npos);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::uint8_t space = data[0];
  const bool exists = (data[1] & 1) != 0;
  const char* text = reinterpret_cast<const char*>(data + 2);
  const std::size_t textSize = size - 2;
  const std::size_t sourceLength = strnlen(text, textSize);
  const std::string source(text, std::min<std::size_t>(sourceLength, vs::kMaxPath - 1));
  const std::string content =
      sourceLength < textSize ? std::string(text + sourceLength + 1, textSize - sourceLength - 1)
                              : std::string();

  const std::string entry = vs::renameEntryLine("NUL", source);
  const std::string edited = vs::withRenameEntry(content, entry);
  checkOnlyInserts(content, edited, entry);

  vs::sim::SimMachine os;
  os.logCalls = false;
  if (space != 0xFF) os.freeSpace = space;
  if (exists)
    os.addFile(kWininit, content);
  else
    os.addDirectory("C:\\WINDOWS");
  const int result = vs::addWininitRenameEntry(os, "NUL", source.c_str());
  const vs::sim::Node* file = os.find(kWininit);
  require(result == 0 || result == 1);
  if (result == 1) {
    require(file && file->content == (exists ? edited : "[rename]\r\n" + entry));
  } else if (exists) {
    require(file && file->content == content);
  } else {
    require(file == nullptr);
  }
  return 0;
}
