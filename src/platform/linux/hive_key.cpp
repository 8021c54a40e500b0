#include "platform/linux/hive_key.h"

#include <cstring>
#include <string>
#include <vector>

#include "engine/utf16_text.h"
#include "platform/linux/windows_path.h"

namespace vs::linux_host {
namespace {

constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::int32_t kErrorInvalidHandle = 6;
constexpr std::int32_t kErrorRegistryCorrupt = 1015;

std::int32_t code(std::uint32_t error) {
  return static_cast<std::int32_t>(error);
}

bool isText(hive_type type) {
  return type == hive_t_REG_SZ || type == hive_t_REG_EXPAND_SZ || type == hive_t_REG_MULTI_SZ;
}

class HiveKey : public RegistryKey {
 public:
  HiveKey(SoftwareHive& hive, hive_node_h node, bool mayWrite)
      : hive_(hive), node_(node), mayWrite_(mayWrite) {}

  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    if (!usable()) return kErrorInvalidHandle;
    if (data && !size) return code(kErrorInvalidParameter);
    const hive_value_h value = hive_.findValue(node_, name ? name : "");
    if (!value) return code(kErrorFileNotFound);
    hive_type stored;
    std::string bytes;
    if (!hive_.valueData(value, stored, bytes)) return kErrorRegistryCorrupt;
    // The ANSI call hands strings over in the code page, converted from the stored UTF-16.
    if (isText(stored)) bytes = utf16LeBytesToUtf8(bytes.data(), bytes.size());
    if (type) *type = static_cast<std::uint32_t>(stored);
    if (!size) return 0;
    const auto needed = static_cast<std::uint32_t>(bytes.size());
    if (data && *size < needed) {
      *size = needed;
      return code(kErrorMoreData);
    }
    if (data) std::memcpy(data, bytes.data(), needed);
    *size = needed;
    return 0;
  }

  std::int32_t valueCount(std::uint32_t& count) override {
    if (!usable()) return kErrorInvalidHandle;
    count = static_cast<std::uint32_t>(hive_.values(node_).size());
    return 0;
  }

  std::int32_t enumValueName(std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    if (!usable()) return kErrorInvalidHandle;
    const std::vector<hive_value_h> values = hive_.values(node_);
    if (index >= values.size()) return code(kErrorNoMoreItems);
    std::string found;
    if (!hive_.valueName(values[index], found)) return kErrorRegistryCorrupt;
    if (found.size() + 1 > *nameLength) return code(kErrorMoreData);
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameLength = static_cast<std::uint32_t>(found.size());
    return 0;
  }

  std::int32_t deleteValue(const char* name) override {
    if (!usable()) return kErrorInvalidHandle;
    if (!mayWrite_) return code(kErrorAccessDenied);
    const hive_value_h value = hive_.findValue(node_, name ? name : "");
    if (!value) return code(kErrorFileNotFound);
    return hive_.deleteValue(node_, value);
  }

  std::int32_t close() override {
    if (closed_) return kErrorInvalidHandle;
    closed_ = true;
    return 0;
  }

 private:
  bool usable() const { return !closed_ && hive_.usable(); }

  SoftwareHive& hive_;
  hive_node_h node_;
  bool mayWrite_;
  bool closed_ = false;
};

std::vector<std::string> registryPathParts(const char* path) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* c = path; *c; ++c) {
    if (*c != '\\') {
      part += *c;
    } else if (!part.empty()) {
      parts.push_back(std::move(part));
      part.clear();
    }
  }
  if (!part.empty()) parts.push_back(std::move(part));
  return parts;
}

}  // namespace

std::int32_t openSoftwareKey(SoftwareHive* hive, const char* path, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) {
  if (!hive || !hive->usable()) return code(kErrorFileNotFound);
  std::vector<std::string> parts = registryPathParts(path);
  if (parts.empty() || !sameNameIgnoringCase(parts.front(), "SOFTWARE")) {
    return code(kErrorFileNotFound);
  }
  parts.erase(parts.begin());
  const hive_node_h node = hive->findKey(parts);
  if (!node) return code(kErrorFileNotFound);
  key = std::make_unique<HiveKey>(*hive, node, (access & kKeySetValue) != 0);
  return 0;
}

}  // namespace vs::linux_host
