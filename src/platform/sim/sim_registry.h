// The simulated machine's registry: the HKEY_LOCAL_MACHINE tree with values in enumeration order,
// key and value names compared without regard to letter case, and per-key failures to inject.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace vs::sim {

// The registry keeps names and strings in UTF-16; the machine's ANSI code page is Latin-1. A value
// set through setWideString keeps its wide name and text, and the ANSI calls give them with "?"
// for what Latin-1 cannot spell (a name so spelled is found by no ANSI call).
struct RegValue {
  std::string name;
  std::uint32_t type = kRegSz;
  std::string data;         // the bytes as stored, a string's terminator included
  std::u16string wideName;  // where Latin-1 cannot spell the name
  std::u16string wideText;  // a string set as wide text, its terminator included
  std::u16string spelling() const;
};

struct RegKeyNode {
  std::string name;
  std::vector<RegValue> values;  // in enumeration order; a deletion moves the later ones down
  std::vector<std::unique_ptr<RegKeyNode>> subkeys;

  bool denyOpen = false;        // every open fails: access denied
  bool denyWrite = false;       // an open asking for more than KEY_READ fails: access denied
  bool denyDelete = false;      // deleting the key fails: access denied
  std::int32_t closeError = 0;  // what RegCloseKey answers for this key

  RegKeyNode* subkey(const std::string& childName) const;  // letter case ignored
  RegValue* value(const std::string& valueName);           // letter case ignored
  RegValue* value(const std::u16string& valueName);        // by wide spelling
};

class SimRegistry {
 public:
  SimRegistry();

  // Creates the keys of a path below HKEY_LOCAL_MACHINE ("SOFTWARE\a\b"), returning the last.
  RegKeyNode& addKey(const std::string& path);
  // The key at a path, or null.
  RegKeyNode* findKey(const std::string& path) const;
  // Sets a string value (stored with its terminator), creating the key when missing.
  void setString(const std::string& path, const std::string& name, const std::string& text,
                 std::uint32_t type = kRegSz);
  // Sets a string value of wide name and text.
  void setWideString(const std::string& path, const std::u16string& name,
                     const std::u16string& text, std::uint32_t type = kRegSz);
  // Sets a value's bytes exactly as given.
  void setBytes(const std::string& path, const std::string& name, const std::string& bytes,
                std::uint32_t type);
  // The value, or null when the key or the value is missing.
  const RegValue* findValue(const std::string& path, const std::string& name) const;
  bool hasValue(const std::string& path, const std::string& name) const {
    return findValue(path, name) != nullptr;
  }
  // The names of a key's values in enumeration order (empty when the key is missing).
  std::vector<std::string> valueNames(const std::string& path) const;

  RegKeyNode root;  // HKEY_LOCAL_MACHINE
};

}  // namespace vs::sim
