// Performance data laid out as the system publishes it: a PERF_DATA_BLOCK with one
// PERF_OBJECT_TYPE of two counters (the process-id counter second) and its instances, each a
// PERF_INSTANCE_DEFINITION followed by its PERF_COUNTER_BLOCK. The simulated machine answers with
// it, and tests damage it to stand for what an untrusted source might send.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vs::sim {

struct PerfInstance {
  std::u16string name;
  std::uint32_t id;
};

class PerfBlock {
 public:
  static constexpr std::uint32_t kDataHeader = 88;    // the data block's HeaderLength
  static constexpr std::uint32_t kObjectHeader = 64;  // the object's HeaderLength
  static constexpr std::uint32_t kDefinitionStride = 40;

  PerfBlock(const std::vector<PerfInstance>& instances, std::uint32_t idCounterIndex);

  void put32(std::uint32_t at, std::uint32_t value);
  // A UTF-16 string with its terminator.
  void put16s(std::uint32_t at, const std::u16string& text);

  std::vector<std::uint8_t> bytes;

 private:
  void grow(std::size_t size);
};

}  // namespace vs::sim
