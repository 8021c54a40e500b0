// The performance-data reader over arbitrary blocks; the first four bytes choose the counter
// index, the rest is the block (and, split at its middle, a counter-name list).
#include <cstdint>
#include <cstring>

#include "remediation/perf_data_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  std::uint32_t counter;
  std::memcpy(&counter, data, 4);
  const std::uint8_t* block = data + 4;
  const std::size_t blockSize = size - 4;
  static vs::PerfProcessEntry table[vs::kPerfTableSize];
  const auto narrow = [](const char16_t* text, std::size_t length, char* out,
                         std::size_t capacity) {
    if (length + 1 > capacity) return 0;
    for (std::size_t i = 0; i < length; ++i) out[i] = static_cast<char>(text[i] & 0x7F);
    out[length] = '\0';
    return static_cast<int>(length + 1);
  };
  vs::readProcessInstances(block, blockSize, static_cast<long>(counter & 0xFFFF), narrow, table);
  vs::findProcessCounterIndexes(reinterpret_cast<const char*>(block), blockSize / 2);
  return 0;
}
