// The built-in table: its fixed records and ranges, and every record detected by a file built for
// it, and only by that file.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "engine/matcher.h"
#include "platform/sim/sim_machine.h"
#include "sample_builder.h"

namespace vs::test {
namespace {

using samples::NearMiss;
using samples::SampleLayout;
using samples::SampleOptions;

const char* const kVariantCodes =
    "Cgx Chg Cfc Cfn Cfx Cgw Cff Cfs E.Downloader Ciw Cfu Ckk Clg Cme Clr Chk Cjc Ckh Cls Clj Cnm "
    "Cnk Crv Ctz Cud Cux Ctp Ctw Csl Crg Cog Csj Csv Cuc Cub Cqx Cuq Cqj Csz Cfz Cyq Cxf Cvl Cyh "
    "Cws Cyy Cnq Coa Cuj Cwl Cvx Dem Dfl Del Den Dej Dgx Dfo Czx Dgj Deo Djp Dfk Dia Des Dff Djo "
    "Dqk Epp Dyh Dsl Drb Eef Efe Doy Dzq Dqn Egn Dzy Dic Efg Dqd Dyi Ebk Dzy Dzv Dzl Dyi Dzy Dhp "
    "Dne Dxg Dzm Ert Erc Ern Eqn Epr Dpn Erp Edh";

std::vector<std::uint8_t> hexBytes(const char* text) {
  std::vector<std::uint8_t> bytes;
  std::istringstream in(text);
  unsigned value;
  while (in >> std::hex >> value) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

struct GivenRecord {
  int position;
  const char* name;
  std::int32_t offset1;
  const char* bytes1;
  std::int32_t offset2;
  const char* bytes2;
  std::int32_t fileSize;
};

const GivenRecord kGiven[] = {
    {1, "W32/Talvorn.Cgx.Trojan", -1540,
     "83 e9 02 65 56 2e 81 f1 00 f1 74 fc 50 49 3d 74 00 f1 00 65", -183,
     "41 00 ff 15 dc 01 41 00 ff 15 d8 01 41 00 ff 15 7c 02 41 00", 72704},
    {9, "W32/Talvorn.E.Downloader.Trojan", 28048,
     "a7 f9 d1 61 6f cc d3 82 43 29 4f ae 1f e2 cf 9c c6 1d 77 45", 53664,
     "cc be ca 35 d4 bc 18 94 fb c5 e3 c8 5f a5 60 e1 e0 be 15 d6", 54784},
    {12, "W32/Talvorn.Ckk.Trojan", -146,
     "ff 25 8c 10 40 00 ff 25 6c 10 40 00 ff 25 24 10 40 00 ff 25", 50709,
     "00 4d 53 56 42 56 4d 36 30 2e 44 4c 4c 00 00 75 73 65 72 33", 490678},
    {93, "W32/Talvorn.Dzm.Trojan", -1735,
     "f6 90 c3 15 40 20 8b 15 15 cc 50 8b 40 ff 00 00 20 ff 15 8b", 9,
     "ff ff 5b c3 cc ff 25 5c 20 40 00 ff 25 4c 20 40 00 68 00 00", 20480},
};

TEST(SignatureTable, NamesOrderAndEndRecord) {
  std::istringstream codes(kVariantCodes);
  std::string code;
  int i = 0;
  while (codes >> code) {
    ASSERT_LT(i, kSignatureCount);
    EXPECT_EQ(std::string(kSignatureTable[i].name), "W32/Talvorn." + code + ".Trojan") << i + 1;
    ++i;
  }
  EXPECT_EQ(i, kSignatureCount);
  EXPECT_EQ(kSignatureTable[kSignatureCount].name[0], '\0');
}

TEST(SignatureTable, GivenRecordsExactly) {
  for (const GivenRecord& given : kGiven) {
    SCOPED_TRACE(given.name);
    const SignatureRecord& record = kSignatureTable[given.position - 1];
    EXPECT_STREQ(record.name, given.name);
    EXPECT_EQ(+record.probeOffset1, given.offset1);  // unary + copies the packed field
    EXPECT_EQ(+record.probeOffset2, given.offset2);
    EXPECT_EQ(+record.fileSize, given.fileSize);
    EXPECT_EQ(+record.sizeMode, kSizeExact);
    const auto bytes1 = hexBytes(given.bytes1);
    const auto bytes2 = hexBytes(given.bytes2);
    EXPECT_TRUE(std::equal(bytes1.begin(), bytes1.end(), record.probeBytes1));
    EXPECT_TRUE(std::equal(bytes2.begin(), bytes2.end(), record.probeBytes2));
  }
}

TEST(SignatureTable, RangesAndSizeModes) {
  std::int32_t min1 = INT32_MAX, max1 = INT32_MIN, min2 = INT32_MAX, max2 = INT32_MIN;
  std::int32_t minSize = INT32_MAX, maxSize = INT32_MIN;
  for (int i = 0; i < kSignatureCount; ++i) {
    const SignatureRecord& r = kSignatureTable[i];
    EXPECT_EQ(+r.sizeMode, kSizeExact) << r.name;
    EXPECT_EQ(r.probeBytes1[kProbeLength], 0);
    EXPECT_EQ(r.probeBytes2[kProbeLength], 0);
    min1 = std::min(min1, +r.probeOffset1);
    max1 = std::max(max1, +r.probeOffset1);
    min2 = std::min(min2, +r.probeOffset2);
    max2 = std::max(max2, +r.probeOffset2);
    minSize = std::min(minSize, +r.fileSize);
    maxSize = std::max(maxSize, +r.fileSize);
  }
  EXPECT_EQ(min1, -262052);
  EXPECT_EQ(max1, 28048);
  EXPECT_EQ(min2, -27737);
  EXPECT_EQ(max2, 451037);
  EXPECT_EQ(minSize, 20480);
  EXPECT_EQ(maxSize, 549888);
}

// The index of the record that the matcher picks for a file, or -1.
int detectedRecord(const std::string& file) {
  sim::SimMachine os;
  os.addFile("C:\\s.exe", file);
  auto handle = os.openForReading("C:\\s.exe");
  PeImageInfo info;
  if (!readPeHeaders(*handle, info)) return -1;
  return findMatchingRecord(kSignatureTable, *handle, info,
                            static_cast<std::uint32_t>(file.size()));
}

TEST(SignatureTable, EveryRecordDetectsItsSampleInEveryLayoutThatFits) {
  int built = 0;
  for (int i = 0; i < kSignatureCount; ++i) {
    SCOPED_TRACE(kSignatureTable[i].name + std::string(" at ") + std::to_string(i + 1));
    for (SampleLayout layout :
         {SampleLayout::OneSection, SampleLayout::ThreeSections, SampleLayout::NoSections}) {
      const auto sample = samples::buildSample(kSignatureTable[i], {layout, NearMiss::None, 7});
      if (!sample) {
        // Every record fits the usual one-section layout.
        EXPECT_NE(layout, SampleLayout::OneSection);
        continue;
      }
      ++built;
      EXPECT_EQ(detectedRecord(*sample), i) << "layout " << static_cast<int>(layout);
    }
  }
  EXPECT_GE(built, 2 * kSignatureCount);
}

TEST(SignatureTable, NearMissesAreNotDetected) {
  for (int i = 0; i < kSignatureCount; ++i) {
    for (NearMiss miss : {NearMiss::ProbeByteChanged, NearMiss::OneByteLonger,
                          NearMiss::OneByteShorter, NearMiss::ProbeMoved}) {
      const auto file =
          samples::buildSample(kSignatureTable[i], {SampleLayout::OneSection, miss, 3});
      ASSERT_TRUE(file);
      EXPECT_EQ(detectedRecord(*file), -1)
          << kSignatureTable[i].name << " near miss " << static_cast<int>(miss);
    }
  }
}

TEST(SignatureTable, LookAlikesOfEveryRecordSizeAreClean) {
  for (int i = 0; i < kSignatureCount; ++i) {
    const auto size = static_cast<std::uint32_t>(kSignatureTable[i].fileSize);
    EXPECT_EQ(detectedRecord(samples::buildLookAlike(size, 11 + i)), -1) << kSignatureTable[i].name;
  }
}

}  // namespace
}  // namespace vs::test
