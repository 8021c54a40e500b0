// What the matcher reads of a PE file: the header offset, the file header, the start of the
// optional header and up to 20 section headers. Every field is read little-endian from a fixed
// offset of a bounded byte block; nothing is cast onto the file's bytes.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace vs {

constexpr int kMaxSections = 20;
constexpr int kSectionHeaderSize = 40;

struct PeSection {
  std::uint32_t virtualSize = 0;
  std::uint32_t virtualAddress = 0;
  std::uint32_t pointerToRawData = 0;
};

struct PeImageInfo {
  std::uint16_t headerOffset = 0;
  std::uint16_t numberOfSections = 0;
  std::uint32_t addressOfEntryPoint = 0;
  std::uint32_t sizeOfHeaders = 0;
  PeSection sections[kMaxSections];
};

// Reads the headers from the open file. The header offset is the 16-bit value at offset 60 (the
// low half of the DOS header's new-header offset); "MZ" is not tested; the section table is
// always taken at 248 bytes past the PE signature. Fails on a short read, a missing "PE\0\0" or
// more than 20 sections.
bool readPeHeaders(ReadableFile& file, PeImageInfo& info);

// Maps a relative virtual address to the file offset at which that byte is taken to lie, in
// unsigned 32-bit arithmetic, given the file's current length.
std::uint32_t rvaToFileOffset(std::uint32_t address, const PeImageInfo& info,
                              std::uint32_t fileLength);

// Reads exactly count bytes at a 32-bit file offset; an offset of 2^31 or more cannot be sought
// (the runtime's seek takes a signed 32-bit offset), which fails the read.
bool readAt(ReadableFile& file, std::uint32_t offset, void* buffer, std::uint32_t count);

}  // namespace vs
