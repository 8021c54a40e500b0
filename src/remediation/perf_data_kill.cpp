#include "remediation/perf_data_kill.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows_text.h"
#include "remediation/perf_data_reader.h"
#include "remediation/process_kill.h"
#include "remediation/process_list.h"

namespace vs {
namespace {

constexpr const char* kPerflibKey = "software\\microsoft\\windows nt\\currentversion\\perflib";
constexpr int kEnglishLanguage = 9;
constexpr std::size_t kExtensionLength = 4;  // ".EXE"

// The instance name without the directory and the last four characters, in upper case; empty
// when nothing is left. An ANSI path is held to the ANSI buffers' length.
template <typename Char>
std::basic_string<Char> targetName(std::basic_string<Char> name, std::size_t longest) {
  if (name.size() <= kExtensionLength || name.size() > longest) return {};
  name.resize(name.size() - kExtensionLength);
  const std::size_t slash = name.rfind(Char('\\'));
  if (slash != std::basic_string<Char>::npos) name.erase(0, slash + 1);
  for (Char& c : name) {
    if (c >= 'a' && c <= 'z') c = static_cast<Char>(c - 'a' + 'A');
  }
  return name;
}

// The system names a second program of the same image "name#1", and so on; any other name that
// merely begins with the target ("name#", "name#x", "name#1a", "nameX") belongs to another
// program.
template <typename Char>
bool instanceMatches(std::basic_string_view<Char> instance, std::basic_string_view<Char> target) {
  const std::size_t length = target.size();
  if (instance.size() < length) return false;
  if (!equalsIgnoringCase(instance.substr(0, length), target)) return false;
  const std::basic_string_view<Char> rest = instance.substr(length);
  if (rest.empty()) return true;
  if (rest[0] != '#' || rest.size() == 1) return false;
  for (const Char digit : rest.substr(1)) {
    if (digit < '0' || digit > '9') return false;
  }
  return true;
}

bool instanceMatches(const PerfProcessEntry& entry, const std::string& target,
                     const std::u16string& wideTarget) {
  if (!wideTarget.empty()) {
    return instanceMatches<char16_t>(entry.wideName, wideTarget);
  }
  return instanceMatches<char>(entry.name, target);
}

// Reads the counter-name list and finds the process object and its id counter.
bool readCounterIndexes(RegistryKey& perflib, PerfCounterIndexes& indexes) {
  std::uint32_t size = 0;
  if (perflib.queryValue("Counters", nullptr, nullptr, &size) != 0 || size == 0 ||
      size > kPerfMaxCounterListSize) {
    return false;
  }
  std::vector<char> list(size, '\0');
  if (perflib.queryValue("Counters", nullptr, list.data(), &size) != 0 || size > list.size()) {
    return false;
  }
  indexes = findProcessCounterIndexes(list.data(), size);
  return !indexes.objectIndexText.empty() && indexes.counterIndex >= 0;
}

// Asks the performance-data root for the process object, growing the buffer while the system asks
// for more. Returns the number of instances put in the table.
int readInstances(Platform& os, RegistryKey& root, const PerfCounterIndexes& indexes,
                  PerfProcessEntry (&table)[kPerfTableSize]) {
  // A name that cannot be converted is left empty, so that it never matches: as "unknown" it
  // would match every such program when the infected file itself is named "unknown".
  const WideToAnsi toAnsi = [&os](const char16_t* text, std::size_t length, char* out,
                                  std::size_t capacity) {
    const std::u16string terminated(text, length);
    if (os.wideToAnsi(terminated.c_str(), -1, out, static_cast<int>(capacity)) > 0) {
      return static_cast<int>(std::strlen(out) + 1);
    }
    out[0] = '\0';
    return 1;
  };
  std::uint32_t capacity = kPerfFirstBufferSize;
  for (;;) {
    std::vector<std::uint8_t> block(capacity, 0);
    std::uint32_t size = capacity;
    const std::int32_t result =
        root.queryValue(indexes.objectIndexText.c_str(), nullptr, block.data(), &size);
    if (result == static_cast<std::int32_t>(kErrorMoreData)) {
      const std::uint64_t next = std::uint64_t{size} + kPerfBufferGrowth;
      if (next > kPerfMaxBufferSize) return 0;
      capacity = static_cast<std::uint32_t>(next);
      continue;
    }
    if (result != 0 || size > capacity) return 0;
    return readProcessInstances(block.data(), size, indexes.counterIndex, toAnsi, table);
  }
}

}  // namespace

int killByNamePerfData(Platform& os, const TargetFile& file) {
  const std::string target =
      file.wide() ? std::string() : targetName<char>(file.path, kMaxPath - 1);
  const std::u16string wideTarget =
      file.wide() ? targetName<char16_t>(file.widePath, kMaxWidePath) : std::u16string();
  if (target.empty() && wideTarget.empty()) return 0;

  PerfProcessEntry table[kPerfTableSize];
  int filled = 0;
  char keyPath[kMaxPath];
  std::snprintf(keyPath, sizeof keyPath, "%s\\%03x", kPerflibKey, kEnglishLanguage);
  std::unique_ptr<RegistryKey> perflib;
  if (os.openMachineKey(keyPath, kKeyRead, perflib) != 0) return 0;
  PerfCounterIndexes indexes;
  if (readCounterIndexes(*perflib, indexes)) {
    std::unique_ptr<RegistryKey> root = os.performanceData();
    filled = readInstances(os, *root, indexes, table);
    root->close();
  }
  perflib->close();

  int killed = 0;
  for (int i = 0; i < filled; ++i) {
    if (!instanceMatches(table[i], target, wideTarget)) continue;
    std::unique_ptr<ProcessHandle> process = os.openProcess(kProcessTerminate, table[i].processId);
    if (process && process->terminate(0)) killed = 1;
    process.reset();
    os.sleep(kAfterKillPause);
  }
  return killed;
}

}  // namespace vs
