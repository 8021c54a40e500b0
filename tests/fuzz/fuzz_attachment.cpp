// The encoded-attachment check over arbitrary hosts files on the simulated machine, with the
// built-in record and with a record whose fields come from the input. Whatever the input, the
// check answers 0 or 1, says nothing and touches nothing without a match, deletes only a file
// that begins with the uuencode header, and reports a match in exactly one line.
//
// Input: one control byte (bit 0: prefix the file with "begin", bit 1: use the record that
// follows, bit 2: the deletion fails), then with bit 1 a record of 12 field bytes and 100
// pattern bytes, then the file.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/attachment_check.h"
#include "engine/matcher.h"
#include "platform/sim/sim_machine.h"

namespace {

constexpr const char* kHosts = "C:\\WINDOWS\\system32\\drivers\\etc\\hosts";
constexpr std::size_t kRecordFieldBytes = 12;

void require(bool condition) {
  if (!condition) std::abort();
}

template <typename T>
T take(const std::uint8_t*& data) {
  T value;
  std::memcpy(&value, data, sizeof value);
  data += sizeof value;
  return value;
}

// Field bytes chosen so that every mode and both text parts are reached often.
vs::AttachmentRecord recordFrom(const std::uint8_t* data) {
  vs::AttachmentRecord record{};
  std::strcpy(record.name, "W32/Fuzzed.Worm");
  record.lengthValue = take<std::int32_t>(data);
  record.textPosition = take<std::int16_t>(data);
  record.patternLength = take<std::uint16_t>(data);
  record.textPart = static_cast<std::int16_t>(take<std::uint8_t>(data) % 3);
  record.searchAnywhere = static_cast<std::int16_t>(take<std::uint8_t>(data) % 3);
  const std::uint8_t mode = take<std::uint8_t>(data);
  record.lengthMode = static_cast<std::int16_t>(mode % 3 == 0   ? vs::kLengthModeEqual
                                                : mode % 3 == 1 ? vs::kLengthModeNear
                                                                : mode);
  take<std::uint8_t>(data);
  std::memcpy(record.pattern, data, vs::kAttachmentPatternCapacity);
  return record;
}

bool beginsUuencoded(const std::string& content) {
  if (content.size() < 5) return false;
  for (int i = 0; i < 5; ++i) {
    if (std::tolower(static_cast<unsigned char>(content[i])) != "begin"[i]) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  const std::uint8_t* rest = data + 1;
  std::size_t restSize = size - 1;

  vs::sim::SimMachine os;
  os.logCalls = false;
  vs::ScanSession session;
  session.mainWindow = 1;
  vs::ScanContext ctx(os, session);
  int lines = 0;
  os.onSend = [&lines](std::uint32_t message) {
    if (message == vs::kStatusMsgAddLine) ++lines;
  };

  if (control & 2) {
    if (restSize < kRecordFieldBytes + vs::kAttachmentPatternCapacity) return 0;
    session.attachmentTable[0] = recordFrom(rest);
    session.attachmentPatternRestored = 1;
    rest += kRecordFieldBytes + vs::kAttachmentPatternCapacity;
    restSize -= kRecordFieldBytes + vs::kAttachmentPatternCapacity;
  }
  std::string content(reinterpret_cast<const char*>(rest), restSize);
  if (control & 1) content.insert(0, "begin");
  vs::sim::Node& hosts = os.addFile(kHosts, content);
  if (control & 4) hosts.deleteError = vs::kErrorAccessDenied;

  const int result = vs::checkEncodedAttachment(ctx, vs::kFamilyName, kHosts);
  const vs::sim::Node* after = os.find(kHosts);
  require(result == 0 || result == 1);
  if (result == 0) {
    require(after && after->content == content && lines == 0 && session.filesInfected == 0);
    return 0;
  }
  require(beginsUuencoded(content));
  require(session.filesInfected == 1 && lines == 1);
  require((after == nullptr) == (session.filesRemoved == 1));
  require(after == nullptr || after->content == content);
  return 0;
}
