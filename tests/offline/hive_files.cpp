#include "offline/hive_files.h"

#include <hivex.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

namespace vs::test {
namespace {

void put32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

void put16(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

std::uint32_t get32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(bytes[at + i]);
  return value;
}

// The base block's checksum: its first 127 double words XORed.
void putChecksum(std::string& bytes) {
  std::uint32_t checksum = 0;
  for (std::size_t at = 0; at < 0x1FC; at += 4) checksum ^= get32(bytes, at);
  put32(bytes, 0x1FC, checksum);
}

// The smallest hive hivex opens: a base block and one bin holding the root key and the
// security record every key refers to. hivex has no call that makes a new hive.
std::string emptyHive() {
  constexpr std::uint32_t kBinSize = 4096;
  constexpr std::uint32_t kRootCell = 0x20;
  constexpr std::uint32_t kRootCellSize = 0x58;  // 4 + 76 + "ROOT", rounded to 8
  constexpr std::uint32_t kSecurityCell = kRootCell + kRootCellSize;
  constexpr std::uint32_t kSecurityCellSize = 0x30;
  constexpr std::uint32_t kNone = 0xFFFFFFFF;

  std::string base(4096, '\0');
  base.replace(0, 4, "regf");
  put32(base, 0x04, 1);  // sequence numbers, equal: the hive is whole
  put32(base, 0x08, 1);
  put32(base, 0x14, 1);  // format 1.3
  put32(base, 0x18, 3);
  put32(base, 0x20, 1);
  put32(base, 0x24, kRootCell);
  put32(base, 0x28, kBinSize);
  put32(base, 0x2C, 1);
  putChecksum(base);

  std::string bin(kBinSize, '\0');
  bin.replace(0, 4, "hbin");
  put32(bin, 0x08, kBinSize);

  const std::size_t nk = kRootCell;
  put32(bin, nk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(kRootCellSize)));
  bin.replace(nk + 4, 2, "nk");
  put16(bin, nk + 6, 0x2C);    // the hive's root, not deletable, name in ASCII
  put32(bin, nk + 20, kNone);  // no parent
  put32(bin, nk + 32, kNone);  // no subkeys
  put32(bin, nk + 36, kNone);
  put32(bin, nk + 44, kNone);  // no values
  put32(bin, nk + 48, kSecurityCell);
  put32(bin, nk + 52, kNone);  // no class name
  put16(bin, nk + 76, 4);
  bin.replace(nk + 80, 4, "ROOT");

  const std::size_t sk = kSecurityCell;
  put32(bin, sk, static_cast<std::uint32_t>(-static_cast<std::int32_t>(kSecurityCellSize)));
  bin.replace(sk + 4, 2, "sk");
  put32(bin, sk + 8, kSecurityCell);  // the only record links to itself both ways
  put32(bin, sk + 12, kSecurityCell);
  put32(bin, sk + 16, 1);   // one key refers to it
  put32(bin, sk + 20, 20);  // an empty self-relative security descriptor
  bin[sk + 24] = 1;
  put16(bin, sk + 26, 0x8000);

  const std::size_t freeCell = kSecurityCell + kSecurityCellSize;
  put32(bin, freeCell, kBinSize - static_cast<std::uint32_t>(freeCell));
  return base + bin;
}

}  // namespace

bool writeHive(const std::string& path, const std::vector<HiveValue>& values) {
  std::ofstream(path, std::ios::binary) << emptyHive();
  std::map<std::string, std::vector<const HiveValue*>> byKey;
  for (const HiveValue& value : values) byKey[value.key].push_back(&value);

  std::ostringstream script;
  std::set<std::string> made;
  for (const auto& [key, keyValues] : byKey) {
    script << "cd \\\n";
    std::istringstream parts(key);
    std::string sofar;
    for (std::string part; std::getline(parts, part, '\\');) {
      sofar += "\\" + part;
      if (made.insert(sofar).second) script << "add " << part << "\n";
      script << "cd " << part << "\n";
    }
    script << "setval " << keyValues.size() << "\n";
    for (const HiveValue* value : keyValues) {
      script << value->name << "\n"
             << (value->expandable ? "expandstring:" : "string:") << value->data << "\n";
    }
  }
  script << "commit\n";
  const std::string scriptPath = path + ".hivexsh";
  std::ofstream(scriptPath) << script.str();
  const std::string command = "hivexsh -w -f '" + scriptPath + "' '" + path + "' 2>/dev/null";
  const bool ok = std::system(command.c_str()) == 0;
  std::remove(scriptPath.c_str());
  return ok;
}

void markUnclean(const std::string& path) {
  std::string bytes;
  {
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  put32(bytes, 0x04, get32(bytes, 0x08) + 1);
  putChecksum(bytes);
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> hiveValueNames(const std::string& path, const std::string& key) {
  std::vector<std::string> names;
  hive_h* hive = hivex_open(path.c_str(), 0);
  if (!hive) return names;
  hive_node_h node = hivex_root(hive);
  std::istringstream parts(key);
  for (std::string part; node && std::getline(parts, part, '\\');) {
    node = hivex_node_get_child(hive, node, part.c_str());
  }
  if (node) {
    hive_value_h* values = hivex_node_values(hive, node);
    for (hive_value_h* v = values; v && *v; ++v) {
      char* name = hivex_value_key(hive, *v);
      names.emplace_back(name ? name : "");
      std::free(name);
    }
    std::free(values);
  }
  hivex_close(hive);
  return names;
}

}  // namespace vs::test
