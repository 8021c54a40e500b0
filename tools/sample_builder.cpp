#include "sample_builder.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace vs::samples {
namespace {

constexpr std::uint32_t kHeadersSize = 0x400;
constexpr std::uint32_t kPeOffset = 0x80;
constexpr std::uint32_t kFirstSectionAddress = 0x1000;
constexpr std::uint32_t kSectionGap = 0x2000;

struct Section {
  const char* name;
  std::uint32_t virtualAddress;
  std::uint32_t virtualSize;
  std::uint32_t rawOffset;
  std::uint32_t rawSize;
};

void put16(std::string& file, std::uint32_t at, std::uint32_t value) {
  file[at] = static_cast<char>(value & 0xFF);
  file[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& file, std::uint32_t at, std::uint32_t value) {
  put16(file, at, value & 0xFFFF);
  put16(file, at + 2, value >> 16);
}

std::uint32_t alignUp(std::uint32_t value, std::uint32_t alignment) {
  return (value + alignment - 1) / alignment * alignment;
}

std::vector<Section> sectionsFor(SampleLayout layout, std::uint32_t size) {
  std::vector<Section> sections;
  if (layout == SampleLayout::OneSection) {
    sections.push_back(
        {".text", kFirstSectionAddress, size - kHeadersSize, kHeadersSize, size - kHeadersSize});
  } else if (layout == SampleLayout::ThreeSections) {
    const char* names[] = {".text", ".rdata", ".data"};
    const std::uint32_t body = size - kHeadersSize;
    std::uint32_t starts[4] = {kHeadersSize, alignUp(kHeadersSize + body / 3, 0x200),
                               alignUp(kHeadersSize + 2 * body / 3, 0x200), size};
    for (int i = 0; i < 3; ++i) {
      const std::uint32_t raw = starts[i + 1] - starts[i];
      sections.push_back({names[i],
                          kFirstSectionAddress + (starts[i] - kHeadersSize) + i * kSectionGap, raw,
                          starts[i], raw});
    }
  }
  return sections;
}

// Where the loader would find an address: inside a section, or (without sections) the address
// itself. Nothing when the 20 bytes at the address do not lie in the file's body.
std::optional<std::uint32_t> fileOffsetOf(const std::vector<Section>& sections,
                                          std::int64_t address, std::uint32_t size) {
  if (sections.empty()) {
    if (address < kHeadersSize || address + kProbeLength > size) return std::nullopt;
    return static_cast<std::uint32_t>(address);
  }
  for (const Section& s : sections) {
    if (address >= s.virtualAddress && address + kProbeLength <= s.virtualAddress + s.virtualSize) {
      return static_cast<std::uint32_t>(address - s.virtualAddress + s.rawOffset);
    }
  }
  return std::nullopt;
}

std::optional<std::int64_t> addressOf(const std::vector<Section>& sections, std::uint32_t offset) {
  if (sections.empty()) return offset;
  for (const Section& s : sections) {
    if (offset >= s.rawOffset && offset < s.rawOffset + s.rawSize) {
      return std::int64_t{offset} - s.rawOffset + s.virtualAddress;
    }
  }
  return std::nullopt;
}

struct Placement {
  std::uint32_t entryPoint;  // address
  std::uint32_t probe1;      // file offsets
  std::uint32_t probe2;
};

std::optional<Placement> place(const SignatureRecord& record, const std::vector<Section>& sections,
                               std::uint32_t size) {
  // A probe that lies before the entry point needs at least that much file before the entry
  // point, less the gaps between sections; earlier positions are not tried.
  const std::int64_t before = -std::min({record.probeOffset1, record.probeOffset2, 0});
  const std::int64_t first =
      std::max<std::int64_t>(kHeadersSize, kHeadersSize + before - 2 * kSectionGap);
  for (std::uint32_t e = static_cast<std::uint32_t>(first); e < size; ++e) {
    const std::optional<std::int64_t> entry = addressOf(sections, e);
    if (!entry) continue;
    const auto p1 = fileOffsetOf(sections, *entry + record.probeOffset1, size);
    const auto p2 = fileOffsetOf(sections, *entry + record.probeOffset2, size);
    if (!p1 || !p2 || *p2 + kProbeLength + 1 > size) continue;
    const std::uint32_t gap = *p1 > *p2 ? *p1 - *p2 : *p2 - *p1;
    if (gap < kProbeLength + 1) continue;  // room for the moved probe of a near miss
    return Placement{static_cast<std::uint32_t>(*entry), *p1, *p2};
  }
  return std::nullopt;
}

// Reproducible noise from a splitmix64 sequence, eight bytes per step.
std::string noise(std::uint32_t size, std::uint32_t seed) {
  std::string bytes(size, '\0');
  std::uint64_t state = seed;
  for (std::uint32_t at = 0; at < size; at += 8) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    std::memcpy(bytes.data() + at, &z, std::min<std::uint32_t>(8, size - at));
  }
  return bytes;
}

void writeHeaders(std::string& file, const std::vector<Section>& sections, std::uint32_t entry,
                  std::uint32_t size) {
  std::memset(file.data(), 0, kHeadersSize);
  file[0] = 'M';
  file[1] = 'Z';
  put32(file, 0x3C, kPeOffset);
  std::memcpy(file.data() + kPeOffset, "PE\0\0", 4);
  const std::uint32_t header = kPeOffset + 4;
  put16(file, header + 0, 0x014C);  // i386
  put16(file, header + 2, static_cast<std::uint32_t>(sections.size()));
  put16(file, header + 16, 224);     // SizeOfOptionalHeader
  put16(file, header + 18, 0x0102);  // executable, 32-bit
  const std::uint32_t optional = header + 20;
  std::uint32_t imageSize = kFirstSectionAddress;
  for (const Section& s : sections) imageSize = alignUp(s.virtualAddress + s.virtualSize, 0x1000);
  if (sections.empty()) imageSize = alignUp(size, 0x1000);
  put16(file, optional + 0, 0x010B);
  put32(file, optional + 16, entry);
  put32(file, optional + 28, 0x00400000);  // ImageBase
  put32(file, optional + 32, 0x1000);      // SectionAlignment
  put32(file, optional + 36, 0x200);       // FileAlignment
  put16(file, optional + 40, 4);           // MajorOperatingSystemVersion
  put16(file, optional + 48, 4);           // MajorSubsystemVersion
  put32(file, optional + 56, imageSize);
  put32(file, optional + 60, kHeadersSize);
  put16(file, optional + 68, 2);  // GUI subsystem
  put32(file, optional + 92, 16);
  std::uint32_t at = kPeOffset + 248;
  for (const Section& s : sections) {
    std::memcpy(file.data() + at, s.name, std::strlen(s.name));
    put32(file, at + 8, s.virtualSize);
    put32(file, at + 12, s.virtualAddress);
    put32(file, at + 16, s.rawSize);
    put32(file, at + 20, s.rawOffset);
    put32(file, at + 36, 0x60000020);  // code, readable, executable
    at += 40;
  }
}

}  // namespace

std::optional<std::string> buildSample(const SignatureRecord& record,
                                       const SampleOptions& options) {
  const std::uint32_t size = static_cast<std::uint32_t>(record.fileSize);
  if (size <= kHeadersSize + 2 * kProbeLength) return std::nullopt;
  const std::vector<Section> sections = sectionsFor(options.layout, size);
  const std::optional<Placement> placement = place(record, sections, size);
  if (!placement) return std::nullopt;

  std::string file = noise(size, options.seed);
  writeHeaders(file, sections, placement->entryPoint, size);
  std::memcpy(file.data() + placement->probe1, record.probeBytes1, kProbeLength);
  std::uint32_t second = placement->probe2;
  if (options.miss == NearMiss::ProbeMoved) second += 1;
  std::memcpy(file.data() + second, record.probeBytes2, kProbeLength);

  switch (options.miss) {
    case NearMiss::ProbeByteChanged:
      file[placement->probe2 + 7] = static_cast<char>(file[placement->probe2 + 7] ^ 0x01);
      break;
    case NearMiss::OneByteLonger:
      file.push_back('\x5A');
      break;
    case NearMiss::OneByteShorter:
      file.pop_back();
      break;
    case NearMiss::ProbeMoved:
    case NearMiss::None:
      break;
  }
  return file;
}

std::string buildLookAlike(std::uint32_t size, std::uint32_t seed) {
  std::string file = noise(size, seed);
  if (size < kHeadersSize + 0x200) return file;
  const std::vector<Section> sections = sectionsFor(SampleLayout::OneSection, size);
  writeHeaders(file, sections, kFirstSectionAddress, size);
  return file;
}

std::string sample(std::uint32_t seed) {
  SampleOptions options;
  options.seed = seed;
  return *buildSample(kSignatureTable[0], options);
}

std::string lookAlike(std::uint32_t seed) {
  return buildLookAlike(static_cast<std::uint32_t>(kSignatureTable[0].fileSize), seed);
}

}  // namespace vs::samples
