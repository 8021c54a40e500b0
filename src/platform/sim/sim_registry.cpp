// The simulated machine's registry: keys below HKEY_LOCAL_MACHINE with their values in enumeration
// order, names compared without regard to letter case, and failures injected per key.
#include "platform/sim/sim_registry.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "platform/sim/sim_machine.h"
#include "platform/sim/sim_text.h"
#include "platform/windows_text.h"

namespace vs::sim {
namespace {

// The rights of KEY_READ beyond which an open counts as writing.
constexpr std::uint32_t kKeySetValue = 0x0002;

}  // namespace

RegKeyNode* RegKeyNode::subkey(const std::string& childName) const {
  for (const auto& key : subkeys) {
    if (equalsIgnoringCase(key->name, childName)) return key.get();
  }
  return nullptr;
}

RegValue* RegKeyNode::value(const std::string& valueName) {
  for (RegValue& v : values) {
    if (v.wideName.empty() && equalsIgnoringCase(v.name, valueName)) return &v;
  }
  return nullptr;
}

RegValue* RegKeyNode::value(const std::u16string& valueName) {
  for (RegValue& v : values) {
    if (equalsIgnoringCase(v.spelling(), valueName)) return &v;
  }
  return nullptr;
}

std::u16string RegValue::spelling() const {
  return wideName.empty() ? latin1Widened(name) : wideName;
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
  for (const std::string& part : splitPath(path)) {
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
  for (const std::string& part : splitPath(path)) {
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
  RegValue& value = key.values.emplace_back();
  value.name = name;
  value.type = type;
  value.data = bytes;
}

void SimRegistry::setWideString(const std::string& path, const std::u16string& name,
                                const std::u16string& text, std::uint32_t type) {
  RegKeyNode& key = addKey(path);
  RegValue* value = key.value(name);
  if (!value) value = &key.values.emplace_back();
  value->name = latin1Rendering(name);
  value->wideName = latin1Spells(name) ? std::u16string() : name;
  value->type = type;
  value->wideText = text + u'\0';
  value->data = latin1Rendering(value->wideText);
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
    return erase(*node, node->value(std::string(name)));
  }

  std::int32_t queryValueWide(const char16_t* name, std::uint32_t* type, void* data,
                              std::uint32_t* size) override {
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    const RegValue* value = node->value(std::u16string(name));
    if (!value) return static_cast<std::int32_t>(kErrorFileNotFound);
    if (type) *type = value->type;
    // Strings come as UTF-16; other data as stored.
    const bool text =
        value->type == kRegSz || value->type == kRegExpandSz || value->type == kRegMultiSz;
    const std::u16string wide =
        value->wideText.empty() ? latin1Widened(value->data) : value->wideText;
    const auto needed = static_cast<std::uint32_t>(text ? wide.size() * 2 : value->data.size());
    if (data && *size < needed) {
      *size = needed;
      return static_cast<std::int32_t>(kErrorMoreData);
    }
    if (data)
      std::memcpy(data, text ? static_cast<const void*>(wide.data()) : value->data.data(), needed);
    *size = needed;
    return 0;
  }

  std::int32_t enumValueNameWide(std::uint32_t index, char16_t* name,
                                 std::uint32_t* nameLength) override {
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    if (index >= node->values.size()) return static_cast<std::int32_t>(kErrorNoMoreItems);
    const std::u16string found = node->values[index].spelling();
    if (found.size() + 1 > *nameLength) return static_cast<std::int32_t>(kErrorMoreData);
    std::copy(found.begin(), found.end(), name);
    name[found.size()] = u'\0';
    *nameLength = static_cast<std::uint32_t>(found.size());
    return 0;
  }

  std::int32_t deleteValueWide(const char16_t* name) override {
    machine_.log("regDeleteValueWide " + path_ + " " + logText(name));
    RegKeyNode* node = nullptr;
    if (const std::int32_t error = reach(node)) return error;
    return erase(*node, node->value(std::u16string(name)));
  }

  std::int32_t close() override {
    machine_.log("regClose " + path_);
    if (closed_) return static_cast<std::int32_t>(kErrorInvalidHandle);
    closed_ = true;
    const RegKeyNode* node = machine_.registry.findKey(path_);
    return node ? node->closeError : 0;
  }

 private:
  std::int32_t erase(RegKeyNode& node, const RegValue* value) {
    if (!(access_ & kKeySetValue)) return static_cast<std::int32_t>(kErrorAccessDenied);
    if (!value) return static_cast<std::int32_t>(kErrorFileNotFound);
    auto& values = node.values;
    values.erase(values.begin() + (value - values.data()));
    return 0;
  }

  std::int32_t reach(RegKeyNode*& node) {
    if (closed_) return static_cast<std::int32_t>(kErrorInvalidHandle);
    node = machine_.registry.findKey(path_);
    return node ? 0 : static_cast<std::int32_t>(kErrorKeyDeleted);
  }

  SimMachine& machine_;
  std::string path_;
  std::uint32_t access_;
  bool closed_ = false;
};

std::int32_t SimMachine::openMachineKey(const char* path, std::uint32_t access,
                                        std::unique_ptr<RegistryKey>& key) {
  log(std::string("regOpen ") + path + " " + hexText(access));
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
  std::vector<std::string> parts = splitPath(path);
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

}  // namespace vs::sim
