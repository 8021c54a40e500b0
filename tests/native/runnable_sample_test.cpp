// Runnable infected samples: the matcher detects them like any sample, and their headers are what
// the loader needs to start them (the Wine tests start the 64-bit ones).
#include "runnable_sample.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/matcher.h"
#include "platform/sim/sim_machine.h"

namespace vs::test {
namespace {

using samples::Machine;

std::uint32_t le(const std::string& file, std::uint32_t at, int width) {
  std::uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<std::uint8_t>(file[at + i]);
  return value;
}

int detectedRecord(const std::string& file) {
  sim::SimMachine os;
  os.addFile("C:\\sample.exe", file);
  return examineFile(os, "C:\\sample.exe", -1, nullptr);
}

// The file offset of the code that the entry point leads to: the entry itself, or the target of
// the jump found there.
std::uint32_t codeOffset(const std::string& file) {
  const std::uint32_t entry = le(file, 0x80 + 24 + 16, 4) - 0x1000 + 0x400;
  if (static_cast<std::uint8_t>(file[entry]) != 0xE9) return entry;
  return entry + 5 + le(file, entry + 1, 4);
}

TEST(RunnableSample, EveryRecordGivesOneTheMatcherDetects) {
  for (Machine machine : {Machine::Amd64, Machine::I386}) {
    for (int i = 0; i < kSignatureCount; ++i) {
      SCOPED_TRACE(std::to_string(i + 1) + (machine == Machine::Amd64 ? " amd64" : " i386"));
      const auto file = samples::buildRunnableSample(kSignatureTable[i], {machine, 5});
      ASSERT_TRUE(file);
      EXPECT_EQ(file->size(), static_cast<std::size_t>(kSignatureTable[i].fileSize));
      EXPECT_EQ(detectedRecord(*file), i);
    }
  }
}

TEST(RunnableSample, HeadersAreThoseOfItsMachine) {
  struct Row {
    Machine machine;
    std::uint32_t machineCode;
    std::uint32_t magic;
    std::uint32_t directoryCountAt;
    std::uint32_t directories;
    std::uint8_t firstCodeByte;  // sub rsp / push
  };
  const Row rows[] = {{Machine::Amd64, 0x8664, 0x20B, 108, 14, 0x48},
                      {Machine::I386, 0x14C, 0x10B, 92, 16, 0x6A}};
  for (const Row& row : rows) {
    const std::string file = *samples::buildRunnableSample(kSignatureTable[0], {row.machine, 1});
    const std::uint32_t optional = 0x80 + 24;
    EXPECT_EQ(le(file, 0x80 + 4, 2), row.machineCode);
    EXPECT_EQ(le(file, 0x80 + 4 + 16, 2), 224u);  // the section table lies where the matcher looks
    EXPECT_EQ(le(file, optional, 2), row.magic);
    EXPECT_EQ(le(file, optional + row.directoryCountAt, 4), row.directories);
    EXPECT_EQ(std::memcmp(file.data() + 0x80 + 248, ".text", 5), 0);
    // The import directory names kernel32's Sleep.
    const std::uint32_t imports =
        le(file, optional + row.directoryCountAt + 4 + 8, 4) - 0x1000 + 0x400;
    const std::uint32_t library = le(file, imports + 12, 4) - 0x1000 + 0x400;
    EXPECT_STREQ(file.c_str() + library, "KERNEL32.dll");
    EXPECT_EQ(static_cast<std::uint8_t>(file[codeOffset(file)]), row.firstCodeByte);
  }
}

TEST(RunnableSample, AProbeAtTheEntryPointIsJumpedOverOrLeavesNoRoom) {
  SignatureRecord record = kSignatureTable[0];
  record.probeOffset1 = 6;  // right after a jump's five bytes
  const auto jumping = samples::buildRunnableSample(record, {Machine::Amd64, 1});
  ASSERT_TRUE(jumping);
  const std::uint32_t entry = le(*jumping, 0x80 + 24 + 16, 4) - 0x1000 + 0x400;
  EXPECT_EQ(static_cast<std::uint8_t>((*jumping)[entry]), 0xE9);
  const std::uint32_t code = codeOffset(*jumping);
  EXPECT_EQ(static_cast<std::uint8_t>((*jumping)[code]), 0x48);
  EXPECT_EQ(std::memcmp(jumping->data() + entry + 6, record.probeBytes1, kProbeLength), 0);

  record.probeOffset1 = 2;  // the probe covers where the jump would go
  EXPECT_FALSE(samples::buildRunnableSample(record, {Machine::Amd64, 1}));
}

}  // namespace
}  // namespace vs::test
