#include "engine/signature_record.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

namespace vs {

bool sizeTestPasses(const SignatureRecord& record, std::int64_t fileLength) {
  switch (record.sizeMode) {
    case kSizeExact:
      return record.fileSize == fileLength;
    case kSizeNear: {
      std::int64_t difference = std::int64_t{record.fileSize} - fileLength;
      return difference > -4096 && difference < 4096;
    }
    case kSizeAny:
      return true;
    default:
      return false;
  }
}

bool anyRecordAcceptsSize(const SignatureRecord* table, std::int64_t fileLength) {
  for (const SignatureRecord* record = table; record->name[0] != '\0'; ++record) {
    if (sizeTestPasses(*record, fileLength)) return true;
  }
  return false;
}

AcceptedSizes::AcceptedSizes(const SignatureRecord* table) {
  std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
  for (const SignatureRecord* record = table; record->name[0] != '\0'; ++record) {
    const std::int64_t size = record->fileSize;
    switch (record->sizeMode) {
      case kSizeExact:
        ranges.emplace_back(size, size);
        break;
      case kSizeNear:
        ranges.emplace_back(size - 4095, size + 4095);
        break;
      case kSizeAny:
        ranges.emplace_back(INT64_MIN, INT64_MAX);
        break;
      default:
        break;
    }
  }
  std::sort(ranges.begin(), ranges.end());
  for (const auto& range : ranges) {
    if (!ranges_.empty() && range.first <= ranges_.back().second) {
      ranges_.back().second = std::max(ranges_.back().second, range.second);
    } else {
      ranges_.push_back(range);
    }
  }
}

bool AcceptedSizes::accepts(std::int64_t fileLength) const {
  // The last range that starts at or before the length holds it, if any does.
  auto after =
      std::upper_bound(ranges_.begin(), ranges_.end(), fileLength,
                       [](std::int64_t length, const auto& range) { return length < range.first; });
  return after != ranges_.begin() && fileLength <= std::prev(after)->second;
}

}  // namespace vs
