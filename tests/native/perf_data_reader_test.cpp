// Reading process instances from performance data laid out as the system publishes it, and from
// blocks whose offsets, lengths and counts cannot be trusted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "system/perf_data_reader.h"

namespace vs::test {
namespace {

constexpr std::uint32_t kIdCounter = 784;

struct Instance {
  std::u16string name;
  std::uint32_t id;
};

// A PERF_DATA_BLOCK with one PERF_OBJECT_TYPE of two counters (the id counter second) and the
// given instances, each followed by its PERF_COUNTER_BLOCK.
class PerfBlock {
 public:
  explicit PerfBlock(const std::vector<Instance>& instances) {
    put16s(0, u"PERF");
    put32(24, kDataHeader);  // HeaderLength
    const std::uint32_t object = kDataHeader;
    put32(object + 8, kObjectHeader);                               // HeaderLength
    put32(object + 32, 2);                                          // NumCounters
    put32(object + 40, static_cast<std::uint32_t>(instances.size()));  // NumInstances
    put32(object + kObjectHeader + 4, 6);                           // first counter: another one
    put32(object + kObjectHeader + 36, 4);
    put32(object + kObjectHeader + 40 + 4, kIdCounter);  // second counter: the process id
    put32(object + kObjectHeader + 40 + 36, 8);
    const std::uint32_t definitionLength = kObjectHeader + 2 * 40;
    put32(object + 4, definitionLength);
    std::uint32_t at = object + definitionLength;
    for (const Instance& instance : instances) {
      const std::uint32_t nameOffset = 24;
      const std::uint32_t length = nameOffset + static_cast<std::uint32_t>(instance.name.size() + 1) * 2;
      const std::uint32_t padded = (length + 7) / 8 * 8;
      put32(at, padded);  // ByteLength
      put32(at + 16, nameOffset);
      put16s(at + nameOffset, instance.name);
      const std::uint32_t counters = at + padded;
      put32(counters, 16);  // the counter block's ByteLength
      put32(counters + 8, instance.id);
      at = counters + 16;
    }
    bytes.resize(at);
  }

  void put32(std::uint32_t at, std::uint32_t value) {
    grow(at + 4);
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
  }
  void put16s(std::uint32_t at, const std::u16string& text) {
    grow(at + static_cast<std::uint32_t>(text.size() + 1) * 2);
    for (std::size_t i = 0; i <= text.size(); ++i) {
      const char16_t unit = i < text.size() ? text[i] : u'\0';
      bytes[at + 2 * i] = static_cast<std::uint8_t>(unit & 0xFF);
      bytes[at + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
    }
  }

  static constexpr std::uint32_t kDataHeader = 88;
  static constexpr std::uint32_t kObjectHeader = 64;
  std::vector<std::uint8_t> bytes;

 private:
  void grow(std::size_t size) {
    if (bytes.size() < size) bytes.resize(size);
  }
};

// ASCII only; other characters fail, as a conversion without a mapping would.
int asciiOnly(const char16_t* text, std::size_t length, char* out, std::size_t capacity) {
  if (length + 1 > capacity) return 0;
  for (std::size_t i = 0; i < length; ++i) {
    if (text[i] > 0x7F) return 0;
    out[i] = static_cast<char>(text[i]);
  }
  out[length] = '\0';
  return static_cast<int>(length + 1);
}

int read(const std::vector<std::uint8_t>& bytes, PerfProcessEntry (&table)[kPerfTableSize],
         long counter = kIdCounter) {
  return readProcessInstances(bytes.data(), bytes.size(), counter, asciiOnly, table);
}

TEST(PerfDataReader, ReadsNamesAndIdsOfEveryInstance) {
  PerfBlock block({{u"Idle", 0}, {u"explorer", 1234}, {u"ABCDEF", 77},
                   {u"averyveryverylongname", 88}, {u"caf\u00e9", 99}, {u"0123456789abcdef", 5}});
  PerfProcessEntry table[kPerfTableSize];
  ASSERT_EQ(read(block.bytes, table), 6);
  EXPECT_STREQ(table[0].name, "Idle");
  EXPECT_EQ(table[0].processId, 0xFFFFFFFEu);  // id 0 is an id that no process has
  EXPECT_STREQ(table[1].name, "explorer");
  EXPECT_EQ(table[1].processId, 1234u);
  EXPECT_STREQ(table[2].name, "ABCDEF");
  EXPECT_STREQ(table[3].name, "");  // over 16 characters: never matches
  EXPECT_EQ(table[3].processId, 88u);
  EXPECT_STREQ(table[4].name, "unknown");
  EXPECT_STREQ(table[5].name, "0123456789abcdef");
  EXPECT_EQ(table[6].processId, 0u);
}

TEST(PerfDataReader, AtMost254InstancesAreRead) {
  std::vector<Instance> many(300, Instance{u"svc", 4});
  PerfBlock block(many);
  PerfProcessEntry table[kPerfTableSize];
  EXPECT_EQ(read(block.bytes, table), 254);
  EXPECT_STREQ(table[254].name, "");
}

TEST(PerfDataReader, UntrustedBlocksEndTheReadingInsideTheBuffer) {
  struct Row {
    const char* what;
    void (*damage)(PerfBlock&);
    int filled;
  };
  const Row rows[] = {
      {"no PERF signature", [](PerfBlock& b) { b.bytes[0] = 'X'; }, 0},
      {"header length past the end", [](PerfBlock& b) { b.put32(24, 0xFFFFFFF0); }, 0},
      {"counter definitions past the end", [](PerfBlock& b) { b.put32(88 + 32, 0x7FFFFFFF); }, 2},
      {"no instances: counted as 254, read while inside",
       [](PerfBlock& b) { b.put32(88 + 40, 0xFFFFFFFF); }, 2},
      {"instance name offset past the end", [](PerfBlock& b) { b.put32(88 + 144 + 16, 0x80000000); }, 0},
      {"counter offset past the end",
       [](PerfBlock& b) { b.put32(88 + 64 + 40 + 36, 0xFFFFFFFC); }, 0},
      {"second instance's length points past the end",
       [](PerfBlock& b) { b.put32(88 + 144 + 40 + 16, 0xFFFFFFF8); }, 1},
      {"a block cut in the middle of a name", [](PerfBlock& b) { b.bytes.resize(88 + 144 + 30); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PerfBlock block({{u"first", 1}, {u"second", 2}});
    row.damage(block);
    PerfProcessEntry table[kPerfTableSize];
    EXPECT_EQ(read(block.bytes, table), row.filled);
  }
}

TEST(PerfDataReader, CounterThatTheObjectLacksReadsNothing) {
  PerfBlock block({{u"first", 1}});
  PerfProcessEntry table[kPerfTableSize];
  EXPECT_EQ(read(block.bytes, table, 999), 0);
  EXPECT_EQ(readProcessInstances(block.bytes.data(), 0, kIdCounter, asciiOnly, table), 0);
}

TEST(PerfCounterNames, FindsTheProcessObjectAndTheIdCounter) {
  struct Row {
    std::string list;
    std::string object;
    long counter;
  };
  using namespace std::string_literals;
  const Row rows[] = {
      {"1\0" "1847\0" "230\0Process\0" "784\0ID Process\0" "\0"s, "230", 784},
      {"230\0process\0" "232\0process\0" "784\0id process\0" "785\0id process\0" "\0"s, "232", 785},
      {"2\0System\0" "\0"s, "", -1},
      {"230\0process\0" "784\0id proc"s, "230", -1},  // an unterminated string ends the list
      {""s, "", -1},
  };
  for (const Row& row : rows) {
    const PerfCounterIndexes found = findProcessCounterIndexes(row.list.data(), row.list.size());
    EXPECT_EQ(found.objectIndexText, row.object);
    EXPECT_EQ(found.counterIndex, row.counter);
  }
}

}  // namespace
}  // namespace vs::test
