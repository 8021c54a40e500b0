// Hand-made PE headers for the matcher's corner cases, where the sample builder's regular layouts
// cannot reach.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace vs::test {

struct RawSection {
  std::uint32_t virtualSize;
  std::uint32_t virtualAddress;
  std::uint32_t pointerToRawData;
};

struct RawPe {
  std::uint32_t size = 0x4000;
  std::uint32_t newHeaderOffset = 0x80;  // the 32-bit field at 60
  std::uint32_t peAt = 0x80;             // where "PE\0\0" is written
  bool writeMz = true;
  std::uint16_t numberOfSections = 0xFFFF;  // 0xFFFF: the number of sections given
  std::uint32_t entryPoint = 0x1000;
  std::uint32_t sizeOfHeaders = 0x400;
  std::vector<RawSection> sections;

  std::string bytes() const {
    std::string file(size, '\x11');
    auto put = [&file](std::uint32_t at, std::uint32_t value, int width) {
      for (int i = 0; i < width && at + i < file.size(); ++i) {
        file[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
      }
    };
    if (writeMz) put(0, 'M' | 'Z' << 8, 2);
    put(60, newHeaderOffset, 4);
    put(peAt, 0x00004550, 4);
    const std::uint16_t count =
        numberOfSections == 0xFFFF ? static_cast<std::uint16_t>(sections.size()) : numberOfSections;
    put(peAt + 6, count, 2);
    put(peAt + 24 + 16, entryPoint, 4);
    put(peAt + 24 + 60, sizeOfHeaders, 4);
    std::uint32_t at = peAt + 248;
    for (const RawSection& s : sections) {
      put(at + 8, s.virtualSize, 4);
      put(at + 12, s.virtualAddress, 4);
      put(at + 20, s.pointerToRawData, 4);
      at += 40;
    }
    return file;
  }
};

inline void writeBytes(std::string& file, std::uint32_t at, const std::uint8_t* bytes, int count) {
  std::memcpy(file.data() + at, bytes, static_cast<std::size_t>(count));
}

}  // namespace vs::test
