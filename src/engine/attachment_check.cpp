#include "engine/attachment_check.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>

#include "engine/status_channel.h"
#include "remediation/registry_cleanup.h"

namespace vs {
namespace {

constexpr char kUuencodeHeader[] = "begin";
constexpr std::uint32_t kUuencodeHeaderLength = sizeof kUuencodeHeader - 1;

// The length that lengthMode 16 and 17 compare with: nothing ever gives it another value.
constexpr std::int64_t kComparedLength = 0;
constexpr std::int64_t kNearDistance = 4096;

void restorePatterns(ScanSession& s) {
  std::memcpy(s.attachmentTable, kAttachmentTable, sizeof s.attachmentTable);
  for (AttachmentRecord& record : s.attachmentTable) {
    const int length = std::min<int>(record.patternLength, kAttachmentPatternCapacity);
    for (int i = 0; i < length; ++i) record.pattern[i] ^= kAttachmentScrambleByte;
  }
  s.attachmentPatternRestored = 1;
}

bool isWhiteSpace(std::uint8_t byte) {
  return (byte >= 9 && byte <= 13) || byte == 32;
}

bool readExactly(ReadableFile& file, std::int64_t offset, std::uint8_t* buffer,
                 std::uint32_t count) {
  return file.seek(offset) && file.read(buffer, count) == static_cast<std::int32_t>(count);
}

// Reads count bytes at offset into text, leaving out every white-space byte; the length kept.
bool readStripped(ReadableFile& file, std::int64_t offset, std::uint32_t count, std::uint8_t* text,
                  std::int32_t& length) {
  std::uint8_t raw[kAttachmentTextSize];
  if (!readExactly(file, offset, raw, count)) return false;
  length = 0;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!isWhiteSpace(raw[i])) text[length++] = raw[i];
  }
  return true;
}

// A file of 4096 bytes or more gives its first and its last 4096 bytes; a shorter one gives
// itself as both texts.
bool fillTexts(ReadableFile& file, std::int64_t length, AttachmentTexts& texts) {
  if (length >= kAttachmentTextSize) {
    return readStripped(file, 0, kAttachmentTextSize, texts.headText, texts.headLength) &&
           readStripped(file, length - kAttachmentTextSize, kAttachmentTextSize, texts.tailText,
                        texts.tailLength);
  }
  if (!readStripped(file, 0, static_cast<std::uint32_t>(length), texts.headText,
                    texts.headLength)) {
    return false;
  }
  std::memcpy(texts.tailText, texts.headText, static_cast<std::size_t>(texts.headLength));
  texts.tailLength = texts.headLength;
  return true;
}

bool beginsUuencoded(ReadableFile& file) {
  std::uint8_t header[kUuencodeHeaderLength];
  if (!readExactly(file, 0, header, kUuencodeHeaderLength)) return false;
  for (std::uint32_t i = 0; i < kUuencodeHeaderLength; ++i) {
    if (std::tolower(header[i]) != kUuencodeHeader[i]) return false;
  }
  return true;
}

bool lengthTestPasses(const AttachmentRecord& record) {
  if (record.lengthMode == kLengthModeEqual) return kComparedLength == record.lengthValue;
  if (record.lengthMode == kLengthModeNear) {
    const std::int64_t distance = kComparedLength - record.lengthValue;
    return distance >= -kNearDistance && distance <= kNearDistance;
  }
  return true;
}

}  // namespace

bool attachmentRecordMatches(const AttachmentRecord& record, const AttachmentTexts& texts,
                             std::int64_t fileLength) {
  // A length beyond the pattern field would compare bytes the record does not hold.
  const int patternLength = record.patternLength;
  if (patternLength == 0 || patternLength > kAttachmentPatternCapacity) return false;
  if (patternLength > fileLength || !lengthTestPasses(record)) return false;
  const bool tail = record.textPart == kTextPartTail;
  const std::uint8_t* text = tail ? texts.tailText : texts.headText;
  const std::int32_t textLength = tail ? texts.tailLength : texts.headLength;

  if (record.searchAnywhere == 1) {
    // Zeros past the text, and room for a whole pattern after the last position searched, so that
    // no comparison leaves the buffer.
    std::uint8_t work[kAttachmentTextSize + kAttachmentPatternCapacity] = {};
    std::memcpy(work, text, static_cast<std::size_t>(textLength));
    const std::int64_t range = std::min<std::int64_t>(fileLength, kAttachmentTextSize);
    for (std::int64_t at = 0; at < range; ++at) {
      if (work[at] == record.pattern[0] &&
          std::memcmp(work + at, record.pattern, static_cast<std::size_t>(patternLength)) == 0) {
        return true;
      }
    }
    return false;
  }

  // The compare at a fixed place takes only bytes of the text; the rest of the work buffer,
  // and all of it when the place lies before the text, stays zero.
  std::uint8_t work[kAttachmentPatternCapacity] = {};
  const std::int64_t start =
      tail ? std::int64_t{textLength} - record.textPosition : std::int64_t{record.textPosition};
  if (start >= 0 && start < textLength) {
    const std::int64_t available = std::min<std::int64_t>(textLength - start, sizeof work);
    std::memcpy(work, text + start, static_cast<std::size_t>(available));
  }
  return std::memcmp(work, record.pattern, static_cast<std::size_t>(patternLength)) == 0;
}

int checkEncodedAttachment(ScanContext& ctx, const char*, const char* path) {
  ScanSession& s = ctx.session;
  if (!s.attachmentPatternRestored) restorePatterns(s);

  std::unique_ptr<ReadableFile> file = ctx.os.openForReading(path);
  if (!file) return 0;
  const std::int64_t length = file->length();
  if (length < 0 || !beginsUuencoded(*file)) return 0;
  auto texts = std::make_unique<AttachmentTexts>();
  if (!fillTexts(*file, length, *texts)) return 0;

  const AttachmentRecord* matched = nullptr;
  for (const AttachmentRecord& record : s.attachmentTable) {
    if (attachmentRecordMatches(record, *texts, length)) {
      matched = &record;
      break;
    }
  }
  file.reset();  // closed before it is deleted
  if (!matched) return 0;

  s.filesInfected += 1;
  const int nameLength = static_cast<int>(strnlen(matched->name, sizeof matched->name));
  if (ctx.os.deleteFile(path)) {
    s.filesRemoved += 1;
    removeUninstallEntry(ctx);
    sendReportLine(ctx, "%s     %.*s removed", path, nameLength, matched->name);
  } else {
    sendReportLine(ctx, "%s     %.*s Remove failed", path, nameLength, matched->name);
  }
  return 1;
}

}  // namespace vs
