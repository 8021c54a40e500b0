// The built-in signature table: 101 records of two 20-byte probes located relative to a PE
// file's entry point, and an end record whose name begins with a zero byte.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace vs {

constexpr std::int32_t kSizeExact = 1;
constexpr std::int32_t kSizeNear = 2;
constexpr std::int32_t kSizeAny = 3;

constexpr int kProbeLength = 20;

#pragma pack(push, 1)
struct SignatureRecord {
  char name[50];
  std::int32_t probeOffset1;
  std::uint8_t probeBytes1[kProbeLength + 1];
  std::int32_t probeOffset2;
  std::uint8_t probeBytes2[kProbeLength + 1];
  std::int32_t fileSize;
  std::int32_t sizeMode;
};
#pragma pack(pop)

// The record keeps the layout it was designed with: 108 bytes, no padding, little-endian.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(SignatureRecord) == 108);
static_assert(offsetof(SignatureRecord, probeOffset1) == 50);
static_assert(offsetof(SignatureRecord, probeBytes1) == 54);
static_assert(offsetof(SignatureRecord, probeOffset2) == 75);
static_assert(offsetof(SignatureRecord, probeBytes2) == 79);
static_assert(offsetof(SignatureRecord, fileSize) == 100);
static_assert(offsetof(SignatureRecord, sizeMode) == 104);

constexpr int kSignatureCount = 101;

// 101 records followed by the end record.
extern const SignatureRecord kSignatureTable[kSignatureCount + 1];

// Whether a record's size test passes for a file of the given length.
bool sizeTestPasses(const SignatureRecord& record, std::int64_t fileLength);

// Whether any record of a table (up to its end record) would probe a file of this length.
bool anyRecordAcceptsSize(const SignatureRecord* table, std::int64_t fileLength);

// The answer of anyRecordAcceptsSize from the lengths of a table gathered once into sorted ranges:
// the walk asks for every file it lists, and going through the 101 records each time costs a
// tenth of what listing the file costs.
class AcceptedSizes {
 public:
  explicit AcceptedSizes(const SignatureRecord* table);
  bool accepts(std::int64_t fileLength) const;

 private:
  std::vector<std::pair<std::int64_t, std::int64_t>> ranges_;  // first and last length, merged
};

}  // namespace vs
