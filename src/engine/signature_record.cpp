#include "engine/signature_record.h"

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

}  // namespace vs
