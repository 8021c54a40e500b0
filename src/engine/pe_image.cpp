#include "engine/pe_image.h"

#include <cstring>

namespace vs {
namespace {

std::uint16_t le16(const std::uint8_t* p) {
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

std::uint32_t le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr int kFileHeaderSize = 20;
constexpr int kOptionalHeaderPrefix = 96;
constexpr std::uint32_t kSectionTableDistance = 248;

}  // namespace

bool readAt(ReadableFile& file, std::uint32_t offset, void* buffer, std::uint32_t count) {
  if (offset > 0x7FFFFFFFu) return false;
  if (!file.seek(offset)) return false;
  return file.read(buffer, count) == static_cast<std::int32_t>(count);
}

bool readPeHeaders(ReadableFile& file, PeImageInfo& info) {
  info = PeImageInfo{};
  std::uint8_t offsetBytes[2];
  if (!readAt(file, 60, offsetBytes, sizeof offsetBytes)) return false;
  info.headerOffset = le16(offsetBytes);
  const std::uint32_t base = info.headerOffset;

  std::uint8_t signature[4];
  if (!readAt(file, base, signature, sizeof signature) || le32(signature) != kPeSignature) {
    return false;
  }
  std::uint8_t fileHeader[kFileHeaderSize];
  if (!readAt(file, base + 4, fileHeader, sizeof fileHeader)) return false;
  info.numberOfSections = le16(fileHeader + 2);

  std::uint8_t optionalHeader[kOptionalHeaderPrefix];
  if (!readAt(file, base + 24, optionalHeader, sizeof optionalHeader)) return false;
  info.addressOfEntryPoint = le32(optionalHeader + 16);
  info.sizeOfHeaders = le32(optionalHeader + 60);

  if (info.numberOfSections > kMaxSections) return false;
  if (info.numberOfSections == 0) return true;

  std::uint8_t table[kMaxSections * kSectionHeaderSize];
  const std::uint32_t tableSize = info.numberOfSections * std::uint32_t{kSectionHeaderSize};
  if (!readAt(file, base + kSectionTableDistance, table, tableSize)) return false;
  for (int i = 0; i < info.numberOfSections; ++i) {
    const std::uint8_t* header = table + i * kSectionHeaderSize;
    info.sections[i].virtualSize = le32(header + 8);
    info.sections[i].virtualAddress = le32(header + 12);
    info.sections[i].pointerToRawData = le32(header + 20);
  }
  return true;
}

std::uint32_t rvaToFileOffset(std::uint32_t address, const PeImageInfo& info,
                              std::uint32_t fileLength) {
  // The first section whose end lies beyond the address; its start is not compared, so an address
  // below the first section still selects it. Past every section, the last one is used.
  PeSection chosen;
  for (int i = 0; i < info.numberOfSections; ++i) {
    const PeSection& section = info.sections[i];
    chosen = section;
    if (section.virtualAddress + section.virtualSize > address) break;
  }
  std::uint32_t offset = address - chosen.virtualAddress + chosen.pointerToRawData;
  if (offset >= fileLength) offset = address;
  return offset == 0 ? info.sizeOfHeaders : offset;
}

}  // namespace vs
