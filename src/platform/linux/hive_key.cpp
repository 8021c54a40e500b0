#include "platform/linux/hive_key.h"

#include <cstring>
#include <string>
#include <vector>

#include "platform/utf16_text.h"
#include "platform/windows_text.h"

namespace vs::linux_host {
namespace {

constexpr std::uint32_t kKeySetValue = 0x0002;

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

  // The ANSI call hands strings over in the code page, converted from the stored UTF-16.
  std::int32_t queryValue(const char* name, std::uint32_t* type, void* data,
                          std::uint32_t* size) override {
    return query(name ? name : "", type, data, size, true);
  }

  std::int32_t valueCount(std::uint32_t& count) override {
    if (!usable()) return code(kErrorInvalidHandle);
    count = static_cast<std::uint32_t>(hive_.values(node_).size());
    return 0;
  }

  std::int32_t enumValueName(std::uint32_t index, char* name, std::uint32_t* nameLength) override {
    if (!usable()) return code(kErrorInvalidHandle);
    const std::vector<hive_value_h> values = hive_.values(node_);
    if (index >= values.size()) return code(kErrorNoMoreItems);
    std::string found;
    if (!hive_.valueName(values[index], found)) return code(kErrorRegistryCorrupt);
    if (found.size() + 1 > *nameLength) return code(kErrorMoreData);
    std::memcpy(name, found.c_str(), found.size() + 1);
    *nameLength = static_cast<std::uint32_t>(found.size());
    return 0;
  }

  std::int32_t deleteValue(const char* name) override {
    if (!usable()) return code(kErrorInvalidHandle);
    if (!mayWrite_) return code(kErrorAccessDenied);
    const hive_value_h value = hive_.findValue(node_, name ? name : "");
    if (!value) return code(kErrorFileNotFound);
    return hive_.deleteValue(node_, value);
  }

  // The wide calls: names are UTF-8 in the hive library, strings UTF-16 as stored.
  std::int32_t queryValueWide(const char16_t* name, std::uint32_t* type, void* data,
                              std::uint32_t* size) override {
    return query(utf8Name(name).c_str(), type, data, size, false);
  }

  std::int32_t enumValueNameWide(std::uint32_t index, char16_t* name,
                                 std::uint32_t* nameLength) override {
    if (!usable()) return code(kErrorInvalidHandle);
    const std::vector<hive_value_h> values = hive_.values(node_);
    if (index >= values.size()) return code(kErrorNoMoreItems);
    std::string found;
    if (!hive_.valueName(values[index], found)) return code(kErrorRegistryCorrupt);
    const std::u16string wide = utf8ToUtf16(found.data(), found.size());
    if (wide.size() + 1 > *nameLength) return code(kErrorMoreData);
    std::copy(wide.begin(), wide.end(), name);
    name[wide.size()] = u'\0';
    *nameLength = static_cast<std::uint32_t>(wide.size());
    return 0;
  }

  std::int32_t deleteValueWide(const char16_t* name) override {
    const std::string utf8 = utf8Name(name);
    return deleteValue(utf8.c_str());
  }

  std::int32_t close() override {
    if (closed_) return code(kErrorInvalidHandle);
    closed_ = true;
    return 0;
  }

 private:
  bool usable() const { return !closed_ && hive_.usable(); }

  // RegQueryValueEx on a value named in UTF-8; textInCodePage: strings as UTF-8 rather than as
  // the UTF-16 the hive stores.
  std::int32_t query(const char* name, std::uint32_t* type, void* data, std::uint32_t* size,
                     bool textInCodePage) {
    if (!usable()) return code(kErrorInvalidHandle);
    if (data && !size) return code(kErrorInvalidParameter);
    const hive_value_h value = hive_.findValue(node_, name);
    if (!value) return code(kErrorFileNotFound);
    hive_type stored;
    std::string bytes;
    if (!hive_.valueData(value, stored, bytes)) return code(kErrorRegistryCorrupt);
    if (textInCodePage && isText(stored)) bytes = utf16LeBytesToUtf8(bytes.data(), bytes.size());
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

  static std::string utf8Name(const char16_t* name) {
    const std::u16string_view text = name ? name : u"";
    return utf16ToUtf8(text.data(), text.size());
  }

  SoftwareHive& hive_;
  hive_node_h node_;
  bool mayWrite_;
  bool closed_ = false;
};

}  // namespace

std::int32_t openSoftwareKey(SoftwareHive* hive, const char* path, std::uint32_t access,
                             std::unique_ptr<RegistryKey>& key) {
  if (!hive || !hive->usable()) return code(kErrorFileNotFound);
  std::vector<std::string> parts = splitPath(path);
  if (parts.empty() || !equalsIgnoringCase(parts.front(), "SOFTWARE")) {
    return code(kErrorFileNotFound);
  }
  parts.erase(parts.begin());
  const hive_node_h node = hive->findKey(parts);
  if (!node) return code(kErrorFileNotFound);
  key = std::make_unique<HiveKey>(*hive, node, (access & kKeySetValue) != 0);
  return 0;
}

}  // namespace vs::linux_host
