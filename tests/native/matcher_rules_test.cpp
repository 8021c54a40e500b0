// The matcher's reading of PE headers and its address mapping, case by case over hand-made files.
#include <gtest/gtest.h>

#include "engine/matcher.h"
#include "pe_builder.h"
#include "platform/sim/sim_machine.h"

namespace vs::test {
namespace {

constexpr std::uint8_t kProbe1[kProbeLength] = {0x3a, 0x91, 0x5e, 0xc7, 0x08, 0xf2, 0x6d,
                                                0xb4, 0x21, 0x9f, 0xe3, 0x47, 0x7c, 0x12,
                                                0xd8, 0x65, 0xaa, 0x3f, 0x81, 0x5b};
constexpr std::uint8_t kProbe2[kProbeLength] = {0xc2, 0x17, 0x84, 0x6b, 0xf9, 0x30, 0xde,
                                                0x45, 0x9a, 0x0e, 0x73, 0xb1, 0x2c, 0xe8,
                                                0x56, 0x1d, 0xa4, 0x6f, 0x93, 0xcb};
constexpr std::int32_t kOffset1 = -0x100;
constexpr std::int32_t kOffset2 = 0x300;

SignatureRecord testRecord(std::int32_t fileSize, std::int32_t sizeMode = kSizeExact,
                           const char* name = "W32/Talvorn.Test.Trojan") {
  SignatureRecord record{};
  std::snprintf(record.name, sizeof record.name, "%s", name);
  record.probeOffset1 = kOffset1;
  std::memcpy(record.probeBytes1, kProbe1, kProbeLength);
  record.probeOffset2 = kOffset2;
  std::memcpy(record.probeBytes2, kProbe2, kProbeLength);
  record.fileSize = fileSize;
  record.sizeMode = sizeMode;
  return record;
}

// A file with the two probes at the given file offsets.
std::string withProbes(const RawPe& pe, std::uint32_t at1, std::uint32_t at2) {
  std::string file = pe.bytes();
  writeBytes(file, at1, kProbe1, kProbeLength);
  writeBytes(file, at2, kProbe2, kProbeLength);
  return file;
}

RawPe oneSection() {
  RawPe pe;
  pe.sections = {{0x3000, 0x1000, 0x400}};
  pe.entryPoint = 0x1800;  // file offset 0xC00
  return pe;
}

// -1 when nothing matched, else the index of the record.
int matchIndex(const std::string& file, const std::vector<SignatureRecord>& records) {
  sim::SimMachine os;
  os.addFile("C:\\f.exe", file);
  std::vector<SignatureRecord> table = records;
  table.push_back(SignatureRecord{});
  auto handle = os.openForReading("C:\\f.exe");
  PeImageInfo info;
  if (!readPeHeaders(*handle, info)) return -1;
  return findMatchingRecord(table.data(), *handle, info, static_cast<std::uint32_t>(file.size()));
}

struct Case {
  const char* what;
  std::string file;
  bool matches;
};

std::vector<Case> cases() {
  std::vector<Case> all;
  const RawPe base = oneSection();
  all.push_back({"probes in the entry point's section", withProbes(base, 0xB00, 0xF00), true});

  RawPe noMz = base;
  noMz.writeMz = false;
  all.push_back({"no MZ signature is needed", withProbes(noMz, 0xB00, 0xF00), true});

  RawPe highOffset = base;
  highOffset.newHeaderOffset = 0x10080;
  all.push_back({"only the low 16 bits of the header offset count",
                 withProbes(highOffset, 0xB00, 0xF00), true});

  RawPe noSignature = base;
  noSignature.newHeaderOffset = 0x90;
  all.push_back(
      {"no PE signature at the header offset", withProbes(noSignature, 0xB00, 0xF00), false});

  RawPe twentySections = base;
  for (int i = 1; i < 20; ++i) twentySections.sections.push_back({0x10, 0x9000u + i * 0x100, 0});
  all.push_back({"20 sections are read", withProbes(twentySections, 0xB00, 0xF00), true});

  RawPe tooManySections = twentySections;
  tooManySections.sections.push_back({0x10, 0xA000, 0});
  all.push_back({"21 sections never match", withProbes(tooManySections, 0xB00, 0xF00), false});

  RawPe noSections;
  noSections.entryPoint = 0x1800;
  all.push_back({"without sections the addresses are the offsets",
                 withProbes(noSections, 0x1700, 0x1B00), true});

  RawPe belowFirst;
  belowFirst.sections = {{0x1000, 0x2000, 0x400}};
  belowFirst.entryPoint = 0x1800;  // below the section: maps past the file, so taken as is
  all.push_back({"an address below the first section selects it",
                 withProbes(belowFirst, 0x1700, 0x1B00), true});

  RawPe beyondLast;
  beyondLast.sections = {{0x200, 0x1000, 0x400}};
  beyondLast.entryPoint = 0x2000;  // past the section's end: same displacement
  all.push_back({"an address past the last section keeps its displacement",
                 withProbes(beyondLast, 0x1300, 0x1700), true});

  RawPe pastEnd;
  pastEnd.sections = {{0x200, 0x1000, 0x3000}};
  pastEnd.entryPoint = 0x3000;  // displacement would land at 0x4000 and beyond
  all.push_back({"a mapped offset past the file's end falls back to the address",
                 withProbes(pastEnd, 0x2F00, 0x3300), true});

  RawPe zeroOffset;
  zeroOffset.sections = {{0x3000, 0x1100, 0}};
  zeroOffset.entryPoint = 0x1200;  // probe 1 at address 0x1100 maps to offset 0
  zeroOffset.sizeOfHeaders = 0x600;
  all.push_back(
      {"a mapped offset of 0 becomes SizeOfHeaders", withProbes(zeroOffset, 0x600, 0x400), true});

  RawPe farAway;
  farAway.entryPoint = 0x80001000;  // no sections: the offset is 2^31 and more
  all.push_back({"offsets of 2^31 and more cannot be sought", farAway.bytes(), false});

  RawPe shortTable = base;
  shortTable.numberOfSections = 3;  // the table runs past a file cut after the headers
  shortTable.size = 0x80 + 248 + 60;
  all.push_back({"a section table cut short", shortTable.bytes(), false});

  std::string changed = withProbes(base, 0xB00, 0xF00);
  changed[0xF13] ^= 0x40;
  all.push_back({"the last byte of a probe differs", changed, false});

  all.push_back({"a file shorter than 62 bytes", std::string(61, 'x'), false});
  all.push_back({"an empty file", std::string(), false});
  return all;
}

TEST(MatcherRules, PeHeadersAndAddressMapping) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.what);
    const SignatureRecord record = testRecord(static_cast<std::int32_t>(c.file.size()));
    EXPECT_EQ(matchIndex(c.file, {record}), c.matches ? 0 : -1);
  }
}

TEST(MatcherRules, SizeModes) {
  struct Row {
    std::uint32_t size;
    std::int32_t mode;
    bool matches;
  };
  const Row rows[] = {
      {72704, kSizeExact, true}, {72705, kSizeExact, false}, {72703, kSizeExact, false},
      {68609, kSizeNear, true},  {76799, kSizeNear, true},   {68608, kSizeNear, false},
      {76800, kSizeNear, false}, {4096, kSizeAny, true},     {72704, 4, false},
      {72704, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "size " << row.size << " mode " << row.mode);
    RawPe pe = oneSection();
    pe.size = row.size;
    EXPECT_EQ(matchIndex(withProbes(pe, 0xB00, 0xF00), {testRecord(72704, row.mode)}) == 0,
              row.matches);
  }
}

TEST(MatcherRules, GatheredSizesAnswerAsTheRecordsDo) {
  const std::vector<std::vector<SignatureRecord>> tables = {
      {kSignatureTable, kSignatureTable + kSignatureCount},
      // Overlapping and touching ranges, an unknown mode, a record ending the table early.
      {testRecord(1000), testRecord(20000, kSizeNear), testRecord(24095),
       testRecord(28191, kSizeNear), testRecord(50000, 4), testRecord(60000, kSizeNear)},
      {testRecord(1000), testRecord(5, kSizeAny)},
      {},
  };
  for (std::vector<SignatureRecord> table : tables) {
    table.push_back(SignatureRecord{});
    const AcceptedSizes accepted(table.data());
    std::vector<std::int64_t> lengths = {0, -1, 0x7FFFFFFF, std::int64_t{1} << 40};
    for (const SignatureRecord& record : table) {
      for (const std::int64_t delta : {-4097, -4096, -4095, -1, 0, 1, 4095, 4096, 4097}) {
        lengths.push_back(std::int64_t{record.fileSize} + delta);
      }
    }
    for (const std::int64_t length : lengths) {
      EXPECT_EQ(accepted.accepts(length), anyRecordAcceptsSize(table.data(), length))
          << "length " << length << " in a table of " << table.size() - 1;
    }
  }
}

TEST(MatcherRules, FirstMatchingRecordWins) {
  const std::string file = withProbes(oneSection(), 0xB00, 0xF00);
  const auto size = static_cast<std::int32_t>(file.size());
  SignatureRecord other = testRecord(size);
  other.probeBytes2[0] ^= 0xFF;
  EXPECT_EQ(matchIndex(file, {testRecord(size, kSizeExact, "first"), testRecord(size)}), 0);
  EXPECT_EQ(matchIndex(file, {other, testRecord(size)}), 1);
}

}  // namespace
}  // namespace vs::test
