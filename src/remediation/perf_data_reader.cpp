#include "remediation/perf_data_reader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/windows_text.h"

namespace vs {
namespace {

// A bounded view of the returned block: every read says whether it lay inside.
class Block {
 public:
  Block(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool contains(std::uint64_t offset, std::uint64_t length) const {
    return offset <= size_ && length <= size_ - offset;
  }
  bool u32(std::uint64_t offset, std::uint32_t& value) const {
    if (!contains(offset, 4)) return false;
    const std::uint8_t* p = data_ + offset;
    value = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
            std::uint32_t{p[3]} << 24;
    return true;
  }
  // The UTF-16 string at offset up to its terminator, which must lie inside the block.
  bool wideString(std::uint64_t offset, std::u16string& text) const {
    text.clear();
    for (std::uint64_t at = offset;; at += 2) {
      if (!contains(at, 2)) return false;
      const auto unit = static_cast<char16_t>(data_[at] | data_[at + 1] << 8);
      if (unit == 0) return true;
      text.push_back(unit);
    }
  }
  bool startsWithPerf() const {
    static const std::uint8_t kPerf[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
    return contains(0, 8) && std::memcmp(data_, kPerf, 8) == 0;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

constexpr std::uint32_t kCounterDefinitionStride = 40;
constexpr std::size_t kConvertedNameSize = 260;

}  // namespace

PerfCounterIndexes findProcessCounterIndexes(const char* list, std::size_t size) {
  PerfCounterIndexes found;
  std::string previous;
  std::size_t at = 0;
  while (at < size) {
    const void* end = std::memchr(list + at, '\0', size - at);
    if (!end) break;  // an unterminated last string ends the list
    const std::string text(list + at, static_cast<const char*>(end));
    if (text.empty()) break;
    if (equalsIgnoringCase(text.c_str(), "process")) found.objectIndexText = previous;
    if (equalsIgnoringCase(text.c_str(), "id process"))
      found.counterIndex = std::atol(previous.c_str());
    previous = text;
    at += text.size() + 1;
  }
  return found;
}

int readProcessInstances(const std::uint8_t* data, std::size_t size, long counterIndex,
                         const WideToAnsi& toAnsi, PerfProcessEntry (&table)[kPerfTableSize]) {
  for (PerfProcessEntry& entry : table) entry = PerfProcessEntry{};
  const Block block(data, size);
  if (size == 0 || !block.startsWithPerf()) return 0;

  std::uint32_t headerLength, definitionLength, objectHeaderLength, numCounters, numInstances;
  if (!block.u32(24, headerLength)) return 0;
  const std::uint64_t object = headerLength;
  if (!block.u32(object + 4, definitionLength) || !block.u32(object + 8, objectHeaderLength) ||
      !block.u32(object + 32, numCounters) || !block.u32(object + 40, numInstances)) {
    return 0;
  }

  // The first definition of the wanted counter gives its offset in each instance's counters.
  bool haveCounter = false;
  std::uint32_t counterOffset = 0;
  for (std::uint32_t i = 0; i < numCounters; ++i) {
    const std::uint64_t definition =
        object + objectHeaderLength + std::uint64_t{i} * kCounterDefinitionStride;
    std::uint32_t titleIndex;
    if (!block.u32(definition + 4, titleIndex)) break;
    if (static_cast<long>(titleIndex) == counterIndex) {
      haveCounter = block.u32(definition + 36, counterOffset);
      break;
    }
  }
  if (!haveCounter) return 0;

  const std::uint32_t count = numInstances > kPerfMaxInstances ? kPerfMaxInstances : numInstances;
  std::uint64_t instance = object + definitionLength;
  int filled = 0;
  std::u16string wide;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t instanceLength, nameOffset, counterBlockLength, processId;
    if (!block.u32(instance, instanceLength) || !block.u32(instance + 16, nameOffset)) break;
    const std::uint64_t counters = instance + instanceLength;
    if (!block.u32(counters, counterBlockLength) ||
        !block.u32(counters + counterOffset, processId) ||
        !block.wideString(instance + nameOffset, wide)) {
      break;
    }
    PerfProcessEntry& entry = table[filled++];
    char converted[kConvertedNameSize];
    const int written = toAnsi(wide.data(), wide.size(), converted, sizeof converted);
    converted[sizeof converted - 1] = '\0';
    if (written <= 0) {
      std::strcpy(entry.name, "unknown");
    } else if (std::strlen(converted) <= kPerfNameLength) {
      std::strcpy(entry.name, converted);
    }
    if (wide.size() <= static_cast<std::size_t>(kPerfNameLength)) {
      std::copy(wide.begin(), wide.end(), entry.wideName);
    }
    entry.processId = processId == 0 ? 0xFFFFFFFEu : processId;
    instance = counters + counterBlockLength;
  }
  return filled;
}

}  // namespace vs
