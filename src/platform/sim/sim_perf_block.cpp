#include "platform/sim/sim_perf_block.h"

namespace vs::sim {
namespace {

// Another counter of the process object, defined before the id counter so that a reader must
// look the id counter up by its index.
constexpr std::uint32_t kOtherCounterIndex = 6;
constexpr std::uint32_t kInstanceNameOffset = 24;
constexpr std::uint32_t kCounterBlockLength = 16;

}  // namespace

PerfBlock::PerfBlock(const std::vector<PerfInstance>& instances, std::uint32_t idCounterIndex) {
  put16s(0, u"PERF");
  put32(24, kDataHeader);
  const std::uint32_t object = kDataHeader;
  put32(object + 8, kObjectHeader);
  put32(object + 32, 2);                                             // NumCounters
  put32(object + 40, static_cast<std::uint32_t>(instances.size()));  // NumInstances
  put32(object + kObjectHeader + 4, kOtherCounterIndex);             // CounterNameTitleIndex
  put32(object + kObjectHeader + 36, 4);                             // CounterOffset
  put32(object + kObjectHeader + kDefinitionStride + 4, idCounterIndex);
  put32(object + kObjectHeader + kDefinitionStride + 36, 8);
  const std::uint32_t definitionLength = kObjectHeader + 2 * kDefinitionStride;
  put32(object + 4, definitionLength);
  std::uint32_t at = object + definitionLength;
  for (const PerfInstance& instance : instances) {
    const std::uint32_t length =
        kInstanceNameOffset + static_cast<std::uint32_t>(instance.name.size() + 1) * 2;
    const std::uint32_t padded = (length + 7) / 8 * 8;
    put32(at, padded);  // the instance's ByteLength
    put32(at + 16, kInstanceNameOffset);
    put16s(at + kInstanceNameOffset, instance.name);
    const std::uint32_t counters = at + padded;
    put32(counters, kCounterBlockLength);  // the counter block's ByteLength
    put32(counters + 8, instance.id);
    at = counters + kCounterBlockLength;
  }
  bytes.resize(at);
  put32(8, 1);                 // LittleEndian
  put32(12, 1);                // Version
  put32(20, at);               // TotalByteLength
  put32(28, 1);                // NumObjectTypes
  put32(object, at - object);  // the object's TotalByteLength
}

void PerfBlock::put32(std::uint32_t at, std::uint32_t value) {
  grow(at + 4);
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void PerfBlock::put16s(std::uint32_t at, const std::u16string& text) {
  grow(at + static_cast<std::uint32_t>(text.size() + 1) * 2);
  for (std::size_t i = 0; i <= text.size(); ++i) {
    const char16_t unit = i < text.size() ? text[i] : u'\0';
    bytes[at + 2 * i] = static_cast<std::uint8_t>(unit & 0xFF);
    bytes[at + 2 * i + 1] = static_cast<std::uint8_t>(unit >> 8);
  }
}

void PerfBlock::grow(std::size_t size) {
  if (bytes.size() < size) bytes.resize(size);
}

}  // namespace vs::sim
