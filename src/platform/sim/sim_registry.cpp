// The simulated machine's registry side: keys below HKEY_LOCAL_MACHINE, the performance-data root
// built from the running programs, environment expansion and the ANSI conversion.
#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_perf_block.h"

namespace vs::sim {
namespace {

constexpr std::int32_t kErrorInvalidHandle = 6;
constexpr std::int32_t kErrorInvalidFunction = 1;
constexpr std::int32_t kErrorKeyDeleted = 1018;
constexpr std::uint32_t kErrorNoUnicodeTranslation = 1113;
// The rights of KEY_READ beyond which an open counts as writing.
constexpr std::uint32_t kKeySetValue = 0x0002;

bool sameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

std::string upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

std::string hex(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

// The NT line's name of a process instance: the image's file name without its extension.
std::string instanceName(const SimProcess& process) {
  if (!process.perfName.empty()) return process.perfName;
  std::string name = process.imagePath.substr(process.imagePath.rfind('\\') + 1);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

std::u16string widen(const std::string& text) {
  std::u16string wide;
  for (char c : text) wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  return wide;
}

}  // namespace

RegKeyNode* RegKeyNode::subkey(const std::string& childName) const {
  for (const auto& key : subkeys) {
    if (sameName(key->name, childName)) return key.get();
  }
  return nullptr;
}

RegValue* RegKeyNode::value(const std::string& valueName) {
  for (RegValue& v : values) {
    if (sameName(v.name, valueName)) return &v;
  }
  return nullptr;
}

std::vector<std::string> registryPathParts(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path + "\\") {
    if (c != '\\') {
      part += c;
    } else if (!part.empty()) {
      parts.push_back(part);
      part.clear();
    }
  }
  return parts;
}

SimRegistry::SimRegistry() {
  // The counter names as an English NT system lists them, the process object and its id counter
  // among them.
  using namespace std::string_literals;
  setBytes("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Perflib\\009", "Counters",
           "1\0"
           "1847\0"
           "2\0System\0"
           "6\0% Processor Time\0"
           "230\0Process\0"
           "784\0ID Process\0"
           "\0"s,
           kRegMultiSz);
}

RegKeyNode& SimRegistry::addKey(const std::string& path) {
  RegKeyNode* node = &root;
  for (const std::string& part : registryPathParts(path)) {
    RegKeyNode* next = node->subkey(part);
    if (!next) {
      auto created = std::make_unique<RegKeyNode>();
      created->name = part;
      next = created.get();
      node->subkeys.push_back(std::move(created));
    }
    node = next;
  }
  return *node;
}

RegKeyNode* SimRegistry::findKey(const std::string& path) const {
  const RegKeyNode* node = &root;
  for (const std::string& part : registryPathParts(path)) {
    node = node->subkey(part);
    if (!node) return nullptr;
  }
  return const_cast<RegKeyNode*>(node);
}

void SimRegistry::setString(const std::string& path, const std::string& name,
                            const std::string& text, std::uint32_t type) {
  setBytes(path, name, text + '\0', type);
}

void SimRegistry::setBytes(const std::string& path, const std::string& name,
                           const std::string& bytes, std::uint32_t type) {
  RegKeyNode& key = addKey(path);
  if (RegValue* existing = key.value(name)) {
    existing->type = type;
    existing->data = bytes;
    return;
  }
  key.values.push_back({name, type, bytes});
}

const RegValue* SimRegistry::findValue(const std::string& path, const std::string& name) const {
  RegKeyNode* key = findKey(path);
  return key ? key->value(name) : nullptr;
}

std::vector<std::string> SimRegistry::valueNames(const std::string& path) const {
  std::vector<std::string> names;
  if (const RegKeyNode* key = findKey(path)) {
    for (const RegValue& v : key->values) names.push_back(v.name);
  }
  return names;
}

// An open key. It keeps its path rather than the node, so that a key deleted while open answers
// as the registry does instead of reaching freed memory.
class SimMachine::Key : public RegistryKey {
 public:
  Key(SimMachine& machine, std::string path, std::uint32_t access)
      : machine_(machine), path_(std::move(path)), access_(access) {}

  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    const RegValue* value = node->value(name);
    if (!value) return static_cast<std::int32_t>(kErrorFileNotFound);
    if (type) *type = value->type;
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    if (data && *size < needed) {
      *size = needed;
      return static_cast<std::int32_t>(kErrorMoreData);
    }
    if (data) std::memcpy(data, value->data.data(), needed);
    *size = needed;
    return 0;
  }

  std::int32_t valueCount(std::uint32_t& count) override {
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    count = static_cast<std::uint32_t>(node->values.size());
    return 0;
  }

  std::int32_t enumValueName(std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    if (index >= node->values.size()) return static_cast<std::int32_t>(kErrorNoMoreItems);
    const std::string& found = node->values[index].name;
    if (found.size() + 1 > *nameLength) return static_cast<std::int32_t>(kErrorMoreData);
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameLength = static_cast<std::uint32_t>(found.size());
    return 0;
  }

  std::int32_t deleteValue(const char* name) override {
    machine_.log("regDeleteValue " + path_ + " " + name);
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    if (!(access_ & kKeySetValue)) return static_cast<std::int32_t>(kErrorAccessDenied);
    auto& values = node->values;
    const auto found = std::find_if(values.begin(), values.end(),
                                    [&](const RegValue& v) { return sameName(v.name, name); });
    if (found == values.end()) return static_cast<std::int32_t>(kErrorFileNotFound);
    values.erase(found);
    return 0;
  }

  std::int32_t close() override {
    machine_.log("regClose " + path_);
    if (closed_) return kErrorInvalidHandle;
    closed_ = true;
    const RegKeyNode* node = machine_.registry.findKey(path_);
    return node ? node->closeError : 0;
  }

 private:
  std::int32_t reach(RegKeyNode*& node) {
    if (closed_) return kErrorInvalidHandle;
    node = machine_.registry.findKey(path_);
    return node ? 0 : kErrorKeyDeleted;
  }

  SimMachine& machine_;
  std::string path_;
  std::uint32_t access_;
  bool closed_ = false;
};

class SimMachine::PerformanceRoot : public RegistryKey {
 public:
  explicit PerformanceRoot(SimMachine& machine) : machine_(machine) {}

  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    machine_.log(std::string("perfData ") + name + " " + std::to_string(*size));
    machine_.perfDataQueries.push_back(*size);
    if (machine_.perfDataError) return machine_.perfDataError;
    const std::vector<std::uint8_t> block = machine_.performanceBlock(name);
    const std::uint32_t needed =
        std::max(static_cast<std::uint32_t>(block.size()), machine_.perfDataMinimumBuffer);
    if (!data || *size < needed) {
      // Like the system, the performance-data root need not say how much it wants.
      if (machine_.perfDataSizeHint) *size = machine_.perfDataSizeHint;
      return static_cast<std::int32_t>(kErrorMoreData);
    }
    if (type) *type = 3;  // REG_BINARY
    std::memcpy(data, block.data(), block.size());
    *size = static_cast<std::uint32_t>(block.size());
    return 0;
  }
  std::int32_t valueCount(std::uint32_t&) override { return kErrorInvalidFunction; }
  std::int32_t enumValueName(std::uint32_t, char*, std::uint32_t*) override {
    return kErrorInvalidFunction;
  }
  std::int32_t deleteValue(const char*) override {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  std::int32_t close() override {
    machine_.log("perfData close");
    return 0;
  }

 private:
  SimMachine& machine_;
};

std::vector<std::uint8_t> SimMachine::performanceBlock(const std::string& objectIndexText) const {
  if (perfDataBlock) return *perfDataBlock;
  std::vector<PerfInstance> instances{{u"Idle", 0}};
  for (const SimProcess& p : processes) instances.push_back({widen(instanceName(p)), p.id});
  instances.push_back({u"_Total", 0});
  PerfBlock block(instances, perfIdCounter);
  if (objectIndexText != perfProcessObject) {
    // An object the system does not know: the data block's header and no object.
    block.bytes.resize(PerfBlock::kDataHeader);
    block.put32(20, PerfBlock::kDataHeader);
    block.put32(28, 0);
  }
  return block.bytes;
}

std::int32_t SimMachine::openMachineKey(const char* path, std::uint32_t access,
                                        std::unique_ptr<RegistryKey>& key) {
  log(std::string("regOpen ") + path + " " + hex(access));
  const RegKeyNode* node = registry.findKey(path);
  if (!node) return static_cast<std::int32_t>(kErrorFileNotFound);
  if (node->denyOpen || (node->denyWrite && (access & ~kKeyRead))) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  key = std::make_unique<Key>(*this, path, access);
  return 0;
}

std::int32_t SimMachine::deleteMachineKey(const char* path) {
  log(std::string("regDeleteKey ") + path);
  std::vector<std::string> parts = registryPathParts(path);
  if (parts.empty()) return static_cast<std::int32_t>(kErrorAccessDenied);
  const std::string leaf = parts.back();
  parts.pop_back();
  RegKeyNode* parent = &registry.root;
  for (const std::string& part : parts) {
    parent = parent->subkey(part);
    if (!parent) return static_cast<std::int32_t>(kErrorFileNotFound);
  }
  const RegKeyNode* node = parent->subkey(leaf);
  if (!node) return static_cast<std::int32_t>(kErrorFileNotFound);
  // The NT line deletes no key that still has subkeys.
  if (node->denyDelete || !node->subkeys.empty()) {
    return static_cast<std::int32_t>(kErrorAccessDenied);
  }
  auto& siblings = parent->subkeys;
  siblings.erase(std::find_if(siblings.begin(), siblings.end(),
                              [&](const auto& key) { return key.get() == node; }));
  return 0;
}

std::unique_ptr<RegistryKey> SimMachine::performanceData() {
  return std::make_unique<PerformanceRoot>(*this);
}

std::uint32_t SimMachine::expandEnvironmentStrings(const char* source, char* destination,
                                                   std::uint32_t size) {
  // A %NAME% that names no variable stays as it is, as does a lone percent sign.
  std::string result;
  const std::string text = source;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t open = text.find('%', at);
    const std::size_t close = open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) {
      result += text.substr(at);
      break;
    }
    result += text.substr(at, open - at);
    const auto variable = environment.find(upper(text.substr(open + 1, close - open - 1)));
    if (variable != environment.end()) {
      result += variable->second;
      at = close + 1;
    } else {
      result += '%';
      at = open + 1;
    }
  }
  const auto needed = static_cast<std::uint32_t>(result.size() + 1);
  if (needed <= size) std::memcpy(destination, result.c_str(), needed);
  return needed;
}

int SimMachine::wideToAnsi(const char16_t* text, int length, char* out, int capacity) {
  if (ansiConversionFails) {
    fail(kErrorNoUnicodeTranslation);
    return 0;
  }
  std::size_t count = length >= 0 ? static_cast<std::size_t>(length) : 0;
  if (length < 0) {
    while (text[count] != u'\0') ++count;
    ++count;
  }
  if (count > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  // Latin-1 stands for the ANSI code page; what it cannot show becomes the default character.
  for (std::size_t i = 0; i < count; ++i)
    out[i] = text[i] <= 0xFF ? static_cast<char>(text[i]) : '?';
  return static_cast<int>(count);
}

int SimMachine::ansiToWide(const char* text, int length, char16_t* out, int capacity) {
  if (ansiConversionFails) {
    fail(kErrorNoUnicodeTranslation);
    return 0;
  }
  const std::size_t count = length >= 0 ? static_cast<std::size_t>(length) : std::strlen(text) + 1;
  if (count > static_cast<std::size_t>(capacity)) {
    fail(kErrorInsufficientBuffer);
    return 0;
  }
  // Latin-1 stands for the ANSI code page: every byte is the code point of its value.
  for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<unsigned char>(text[i]);
  return static_cast<int>(count);
}

}  // namespace vs::sim
