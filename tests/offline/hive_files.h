// Registry hive files for the tests: an empty hive, filled with hivexsh (hivex's own shell), and
// read back through hivex.
#pragma once

#include <string>
#include <vector>

namespace vs::test {

struct HiveValue {
  std::string key;  // below the hive's root: "Microsoft\Windows\CurrentVersion\Run"
  std::string name;
  std::string data;         // the text of a string value
  bool expandable = false;  // REG_EXPAND_SZ rather than REG_SZ
};

// Writes a hive holding the given string values (their keys created on the way). False when
// hivexsh failed.
bool writeHive(const std::string& path, const std::vector<HiveValue>& values);

// Makes the hive look as a system leaves it that did not close it: the first sequence number
// ahead of the second, the header's checksum made to match.
void markUnclean(const std::string& path);

// The names of a key's values in their stored order; empty when the key is missing.
std::vector<std::string> hiveValueNames(const std::string& path, const std::string& key);

}  // namespace vs::test
