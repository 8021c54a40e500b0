// Builds PE files for the records of the signature table: samples that a record must detect, and
// near misses that it must not. Used by the tests, the benchmarks and the demo machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/signature_record.h"

namespace vs::samples {

enum class SampleLayout {
  OneSection,     // one section over the whole body: file offset = address - 0x1000 + 0x400
  ThreeSections,  // three sections, each with its own displacement and gaps between them
  NoSections,     // no section table: probes are read at their addresses as file offsets
};

enum class NearMiss {
  None,
  ProbeByteChanged,  // one byte of the second probe differs
  OneByteLonger,     // a byte appended
  OneByteShorter,    // the last byte dropped
  ProbeMoved,        // the second probe written one byte further on
};

struct SampleOptions {
  SampleLayout layout = SampleLayout::OneSection;
  NearMiss miss = NearMiss::None;
  std::uint32_t seed = 1;  // fills the rest of the file with reproducible noise
};

// The file's bytes, or nothing when the record's probes cannot be placed in this layout.
std::optional<std::string> buildSample(const SignatureRecord& record, const SampleOptions& options);

// A PE file of the given size with valid headers and no probe of any record: a look-alike.
std::string buildLookAlike(std::uint32_t size, std::uint32_t seed);

// What the tests plant most: a sample of the table's first record, and a look-alike of its
// length, each varied by its seed.
std::string sample(std::uint32_t seed = 1);
std::string lookAlike(std::uint32_t seed = 1);

}  // namespace vs::samples
