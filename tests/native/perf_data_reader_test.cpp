// Reading process instances from performance data laid out as the system publishes it, and from
// blocks whose offsets, lengths and counts cannot be trusted.
#include "remediation/perf_data_reader.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/sim/sim_perf_block.h"

namespace vs::test {
namespace {

constexpr std::uint32_t kIdCounter = 784;

using Instance = sim::PerfInstance;

// The block as the system publishes it, with the id counter second among two.
class PerfBlock : public sim::PerfBlock {
 public:
  explicit PerfBlock(const std::vector<Instance>& instances)
      : sim::PerfBlock(instances, kIdCounter) {}
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
  PerfBlock block({{u"Idle", 0},
                   {u"explorer", 1234},
                   {u"ABCDEF", 77},
                   {u"averyveryverylongname", 88},
                   {u"caf\u00e9", 99},
                   {u"0123456789abcdef", 5}});
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
      {"instance name offset past the end",
       [](PerfBlock& b) { b.put32(88 + 144 + 16, 0x80000000); }, 0},
      {"counter offset past the end", [](PerfBlock& b) { b.put32(88 + 64 + 40 + 36, 0xFFFFFFFC); },
       0},
      {"second instance's length points past the end",
       [](PerfBlock& b) { b.put32(88 + 144 + 40 + 16, 0xFFFFFFF8); }, 1},
      {"a block cut in the middle of a name", [](PerfBlock& b) { b.bytes.resize(88 + 144 + 30); },
       0},
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
      {"1\0"
       "1847\0"
       "230\0Process\0"
       "784\0ID Process\0"
       "\0"s,
       "230", 784},
      {"230\0process\0"
       "232\0process\0"
       "784\0id process\0"
       "785\0id process\0"
       "\0"s,
       "232", 785},
      {"2\0System\0"
       "\0"s,
       "", -1},
      {"230\0process\0"
       "784\0id proc"s,
       "230", -1},  // an unterminated string ends the list
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
