// The encoded-attachment table: records that recognise a uuencoded attachment by a pattern in the
// whitespace-free text at its start or end. The hosts file is checked against it.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

namespace vs {

constexpr int kAttachmentPatternCapacity = 100;

#pragma pack(push, 1)
struct AttachmentRecord {
  char name[25];
  std::int32_t lengthValue;                          // compared by lengthMode 16 and 17
  std::int16_t textPosition;                         // where the fixed-position compare looks
  std::uint16_t patternLength;                       // 0 disables the record
  std::int16_t textPart;                             // 0 headText, 1 tailText
  std::uint8_t pattern[kAttachmentPatternCapacity];  // scrambled in the built-in table
  std::int16_t searchAnywhere;  // 1 searches the whole text, else compares at textPosition
  std::int16_t unused1;
  std::int16_t lengthMode;  // 16 and 17 restrict the length, any other value accepts any
  std::int16_t unused2;
  std::uint8_t reserved[27];
};
#pragma pack(pop)

// The record keeps the layout it was designed with: 170 bytes, no padding, little-endian.
static_assert(std::endian::native == std::endian::little);
static_assert(sizeof(AttachmentRecord) == 170);
static_assert(offsetof(AttachmentRecord, lengthValue) == 25);
static_assert(offsetof(AttachmentRecord, textPosition) == 29);
static_assert(offsetof(AttachmentRecord, patternLength) == 31);
static_assert(offsetof(AttachmentRecord, textPart) == 33);
static_assert(offsetof(AttachmentRecord, pattern) == 35);
static_assert(offsetof(AttachmentRecord, searchAnywhere) == 135);
static_assert(offsetof(AttachmentRecord, unused1) == 137);
static_assert(offsetof(AttachmentRecord, lengthMode) == 139);
static_assert(offsetof(AttachmentRecord, unused2) == 141);
static_assert(offsetof(AttachmentRecord, reserved) == 143);

constexpr std::int16_t kTextPartHead = 0;
constexpr std::int16_t kTextPartTail = 1;
constexpr std::int16_t kLengthModeEqual = 16;
constexpr std::int16_t kLengthModeNear = 17;

constexpr int kAttachmentCount = 1;

// The built-in table, its patterns scrambled: each byte XORed with kAttachmentScrambleByte, so the
// program's file does not carry the plain pattern.
extern const AttachmentRecord kAttachmentTable[kAttachmentCount];
constexpr std::uint8_t kAttachmentScrambleByte = 0xA5;

}  // namespace vs
