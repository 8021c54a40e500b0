// The check of the hosts file for the worm's uuencoded attachment, run after every detection.
#pragma once

#include <cstdint>

#include "engine/scan_session.h"

namespace vs {

constexpr int kAttachmentTextSize = 4096;

// The whitespace-free copies of the start and the end of the file under the check.
struct AttachmentTexts {
  std::uint8_t headText[kAttachmentTextSize];
  std::int32_t headLength;
  std::uint8_t tailText[kAttachmentTextSize];
  std::int32_t tailLength;
};

// Returns 1 when the file is an attachment that the table recognises, whether or not it could be
// deleted (a deletion is reported either way), and 0 otherwise.
int checkEncodedAttachment(ScanContext& ctx, const char* familyName, const char* path);

// Whether a record finds its pattern in the texts of a file of the given length.
bool attachmentRecordMatches(const AttachmentRecord& record, const AttachmentTexts& texts,
                             std::int64_t fileLength);

}  // namespace vs
