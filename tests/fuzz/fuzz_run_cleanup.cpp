// The registry cleanup after a detection over arbitrary Run and RunServices keys on the simulated
// machine: values of any name, data and length, a remembered value name, an infected file's path,
// and keys that refuse to open or to be written. Every value that goes is reported in one line,
// and only a value named by the remembered name or one whose command starts the infected file
// ever goes.
//
// Input: one control byte (bit 0: Run cannot be opened, bit 1: RunServices cannot be written,
// bit 2: values are stored without their terminator, bit 3: the malware's uninstall key holds
// the remembered name, bits 4 and 5: Run, RunServices fail to close), then zero-separated texts:
// the infected file's path, the remembered value name, then pairs of value name and data, put
// alternately into Run and RunServices.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "engine/text.h"
#include "platform/sim/sim_machine.h"
#include "platform/windows_text.h"
#include "remediation/registry_cleanup.h"
#include "remediation/run_value_rules.h"

namespace {

const std::string kRun = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kRunServices = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
const std::string kUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\rhcjg7j0e38v";
constexpr std::size_t kRunDataCapacity = 264;
constexpr std::uint32_t kExpandedCapacity = 261;

void require(bool condition) {
  if (!condition) std::abort();
}

std::vector<std::string> splitAtZeros(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> texts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      texts.emplace_back();
    } else {
      texts.back().push_back(static_cast<char>(data[i]));
    }
  }
  return texts;
}

using KeyValues = std::map<std::string, std::string>;  // name in lower case -> stored bytes

KeyValues valuesOf(const vs::sim::SimMachine& os, const std::string& key) {
  KeyValues values;
  for (const std::string& name : os.registry.valueNames(key)) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    values[lower] = os.registry.findValue(key, name)->data;
  }
  return values;
}

// Whether the cleanup had the right to delete a value of a Run-type key with these bytes.
bool mayGo(vs::sim::SimMachine& os, const std::string& lowerName, const std::string& bytes,
           const std::string& remembered, const char* filePath) {
  if (!remembered.empty() && vs::equalsIgnoringCase(lowerName.c_str(), remembered.c_str())) {
    return true;
  }
  if (bytes.size() > kRunDataCapacity) return false;
  if (bytes.size() == kRunDataCapacity && bytes.back() != '\0') return false;
  const std::string command = bytes.c_str();
  char expanded[kExpandedCapacity];
  const std::uint32_t needed =
      os.expandEnvironmentStrings(command.c_str(), expanded, sizeof expanded);
  if (needed == 0 || needed > sizeof expanded) return false;
  return vs::judgeRunValue(command.c_str(), expanded, filePath) != vs::RunValueVerdict::Keep;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  const std::vector<std::string> texts = splitAtZeros(data + 1, size - 1);

  vs::sim::SimMachine os;
  os.logCalls = false;
  vs::ScanSession session;
  session.mainWindow = 1;
  vs::ScanContext ctx(os, session);
  int lines = 0;
  os.onSend = [&lines](std::uint32_t message) {
    if (message == vs::kStatusMsgAddLine) ++lines;
  };
  vs::copyText(session.currentFilePath, sizeof session.currentFilePath, texts[0].c_str());
  if (texts.size() > 1) {
    vs::copyText(session.rememberedRunValue, sizeof session.rememberedRunValue, texts[1].c_str());
  }
  const std::string remembered = session.rememberedRunValue;
  const std::string filePath = session.currentFilePath;

  os.registry.addKey(kRun);
  os.registry.addKey(kRunServices);
  for (std::size_t i = 2; i + 1 < texts.size(); i += 2) {
    const std::string& key = (i / 2) % 2 ? kRunServices : kRun;
    if (control & 4) {
      os.registry.setBytes(key, texts[i], texts[i + 1], vs::kRegSz);
    } else {
      os.registry.setString(key, texts[i], texts[i + 1]);
    }
  }
  if ((control & 8) && !remembered.empty()) os.registry.setString(kUninstall, remembered, "x");
  os.registry.findKey(kRun)->denyOpen = (control & 1) != 0;
  os.registry.findKey(kRunServices)->denyWrite = (control & 2) != 0;
  os.registry.findKey(kRun)->closeError = (control & 16) ? 6 : 0;
  os.registry.findKey(kRunServices)->closeError = (control & 32) ? 6 : 0;

  const KeyValues runBefore = valuesOf(os, kRun);
  const KeyValues servicesBefore = valuesOf(os, kRunServices);
  const std::size_t uninstallBefore = os.registry.valueNames(kUninstall).size();

  require(vs::removeRegistryTraces(ctx, "W32/Talvorn.Cgx.Trojan") == 1);

  int gone = 0;
  for (const auto& [key, before] :
       {std::pair{kRun, runBefore}, std::pair{kRunServices, servicesBefore}}) {
    const KeyValues after = valuesOf(os, key);
    for (const auto& [name, bytes] : before) {
      const auto kept = after.find(name);
      if (kept != after.end()) {
        require(kept->second == bytes);
        continue;
      }
      require(mayGo(os, name, bytes, remembered, filePath.c_str()));
      ++gone;
    }
  }
  gone += static_cast<int>(uninstallBefore - os.registry.valueNames(kUninstall).size());
  require(lines == gone);
  require(std::strlen(session.rememberedRunValue) < sizeof session.rememberedRunValue);
  return 0;
}
