#include "runnable_sample.h"

#include <cstring>
#include <vector>

#include "sample_builder.h"

namespace vs::samples {
namespace {

constexpr std::uint32_t kHeadersSize = 0x400;
constexpr std::uint32_t kPeOffset = 0x80;
constexpr std::uint32_t kSectionAddress = 0x1000;
constexpr std::uint32_t kFileAlignment = 0x200;
// The matcher finds the section table 248 bytes after the PE signature: 4 for the signature, 20
// for the file header and 224 for the optional header. A PE32 header with its 16 data directories
// is 224 bytes; a PE32+ one is 112 bytes and 8 per directory, so it keeps 14 directories (the
// loader needs fewer than 16 and reads only as many as the header says).
constexpr std::uint32_t kOptionalHeaderSize = 224;
constexpr std::uint32_t kSectionTable = kPeOffset + 24 + kOptionalHeaderSize;
constexpr std::uint32_t kJumpLength = 5;
// The code comes first in the blob, the import table after it.
constexpr std::uint32_t kImportsAt = 32;
constexpr std::uint32_t kBlobLength = 128;

void put16(std::string& file, std::uint32_t at, std::uint32_t value) {
  file[at] = static_cast<char>(value & 0xFF);
  file[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void put32(std::string& file, std::uint32_t at, std::uint32_t value) {
  put16(file, at, value & 0xFFFF);
  put16(file, at + 2, value >> 16);
}

void put64(std::string& file, std::uint32_t at, std::uint64_t value) {
  put32(file, at, static_cast<std::uint32_t>(value));
  put32(file, at + 4, static_cast<std::uint32_t>(value >> 32));
}

void putBytes(std::string& file, std::uint32_t at, const std::vector<std::uint8_t>& bytes) {
  std::memcpy(file.data() + at, bytes.data(), bytes.size());
}

std::uint32_t addressOf(std::uint32_t fileOffset) {
  return fileOffset - kHeadersSize + kSectionAddress;
}

bool overlaps(std::int64_t start, std::int64_t length, std::int64_t otherStart,
              std::int64_t otherLength) {
  return start < otherStart + otherLength && otherStart < start + length;
}

// Where the entry point, the code and the probes go, as file offsets.
struct Layout {
  std::uint32_t entry;
  std::uint32_t blob;  // equal to entry when no jump is needed
  std::int64_t probe1;
  std::int64_t probe2;
};

// The blob must lie in the part of the section that the loader maps (whole file-alignment units)
// and keep clear of both probes; so must the jump at the entry point when there is one.
std::optional<Layout> place(const SignatureRecord& record, std::uint32_t size) {
  const std::uint32_t mappedEnd =
      kHeadersSize + (size - kHeadersSize) / kFileAlignment * kFileAlignment;
  if (mappedEnd < kHeadersSize + kBlobLength) return std::nullopt;
  const auto clear = [&](std::int64_t at, std::int64_t length, const Layout& l) {
    return !overlaps(at, length, l.probe1, kProbeLength) &&
           !overlaps(at, length, l.probe2, kProbeLength);
  };
  for (bool jump : {false, true}) {
    for (std::uint32_t entry = kHeadersSize; entry + kJumpLength <= mappedEnd; ++entry) {
      Layout l{entry, entry, std::int64_t{entry} + record.probeOffset1,
               std::int64_t{entry} + record.probeOffset2};
      if (l.probe1 < kHeadersSize || l.probe2 < kHeadersSize || l.probe1 + kProbeLength > size ||
          l.probe2 + kProbeLength > size) {
        continue;
      }
      if (!jump) {
        if (entry + kBlobLength <= mappedEnd && clear(entry, kBlobLength, l)) return l;
        continue;
      }
      if (!clear(entry, kJumpLength, l)) continue;
      for (std::uint32_t blob = kHeadersSize; blob + kBlobLength <= mappedEnd; blob += 16) {
        if (clear(blob, kBlobLength, l) && !overlaps(blob, kBlobLength, entry, kJumpLength)) {
          l.blob = blob;
          return l;
        }
      }
    }
  }
  return std::nullopt;
}

// The code at the blob's start: call Sleep(INFINITE) through the import address table, for ever.
std::vector<std::uint8_t> sleepLoop(Machine machine, std::uint32_t codeAddress,
                                    std::uint64_t sleepSlot) {
  if (machine == Machine::Amd64) {
    // sub rsp, 0x28 (shadow space, stack aligned); loop: mov ecx, -1; call [rip+slot]; jmp loop
    const auto disp = static_cast<std::uint32_t>(sleepSlot - (codeAddress + 15));
    return {0x48,
            0x83,
            0xEC,
            0x28,
            0xB9,
            0xFF,
            0xFF,
            0xFF,
            0xFF,
            0xFF,
            0x15,
            static_cast<std::uint8_t>(disp),
            static_cast<std::uint8_t>(disp >> 8),
            static_cast<std::uint8_t>(disp >> 16),
            static_cast<std::uint8_t>(disp >> 24),
            0xEB,
            0xF3};
  }
  // loop: push -1; call [slot]; jmp loop
  const auto slot = static_cast<std::uint32_t>(sleepSlot);
  return {0x6A,
          0xFF,
          0xFF,
          0x15,
          static_cast<std::uint8_t>(slot),
          static_cast<std::uint8_t>(slot >> 8),
          static_cast<std::uint8_t>(slot >> 16),
          static_cast<std::uint8_t>(slot >> 24),
          0xEB,
          0xF6};
}

struct Imports {
  std::uint32_t directory;  // address of the import descriptors
  std::uint32_t table;      // address of the import address table
  std::uint32_t tableSize;
};

// One descriptor for kernel32 and the null one, the lookup and address tables with Sleep, the
// name entry and the library's name.
Imports writeImports(std::string& file, std::uint32_t at, std::uint32_t pointerSize) {
  std::memset(file.data() + at, 0, kBlobLength - kImportsAt);
  const std::uint32_t lookup = at + 40;
  const std::uint32_t table = lookup + 2 * pointerSize;
  const std::uint32_t hintName = table + 2 * pointerSize;
  const std::uint32_t library = hintName + 8;
  put32(file, at + 0, addressOf(lookup));
  put32(file, at + 12, addressOf(library));
  put32(file, at + 16, addressOf(table));
  put32(file, lookup, addressOf(hintName));
  put32(file, table, addressOf(hintName));
  std::memcpy(file.data() + hintName + 2, "Sleep", 6);
  std::memcpy(file.data() + library, "KERNEL32.dll", 13);
  return {addressOf(at), addressOf(table), 2 * pointerSize};
}

void writeHeaders(std::string& file, Machine machine, std::uint32_t size, std::uint32_t entry,
                  const Imports& imports) {
  std::memset(file.data(), 0, kHeadersSize);
  file[0] = 'M';
  file[1] = 'Z';
  put32(file, 0x3C, kPeOffset);
  std::memcpy(file.data() + kPeOffset, "PE\0\0", 4);
  const bool wide = machine == Machine::Amd64;
  const std::uint32_t header = kPeOffset + 4;
  put16(file, header + 0, wide ? 0x8664 : 0x014C);
  put16(file, header + 2, 1);  // one section
  put16(file, header + 16, kOptionalHeaderSize);
  // An executable without relocations; the 64-bit one may lie above 2 GB, the 32-bit one is
  // 32-bit.
  put16(file, header + 18, wide ? 0x0023 : 0x0103);

  const std::uint32_t virtualSize = size - kHeadersSize;
  const std::uint32_t rawSize = virtualSize / kFileAlignment * kFileAlignment;
  const std::uint32_t imageSize = (kSectionAddress + virtualSize + 0xFFF) / 0x1000 * 0x1000;
  const std::uint32_t optional = header + 20;
  put16(file, optional + 0, wide ? 0x020B : 0x010B);
  put32(file, optional + 4, rawSize);  // SizeOfCode
  put32(file, optional + 16, addressOf(entry));
  put32(file, optional + 20, kSectionAddress);  // BaseOfCode
  if (wide) {
    put64(file, optional + 24, 0x140000000ull);
  } else {
    put32(file, optional + 28, 0x00400000);
  }
  put32(file, optional + 32, 0x1000);  // SectionAlignment
  put32(file, optional + 36, kFileAlignment);
  put16(file, optional + 40, wide ? 5 : 4);  // operating system version
  put16(file, optional + 42, wide ? 2 : 0);
  put16(file, optional + 48, wide ? 5 : 4);  // subsystem version
  put16(file, optional + 50, wide ? 2 : 0);
  put32(file, optional + 56, imageSize);
  put32(file, optional + 60, kHeadersSize);
  put16(file, optional + 68, 2);  // GUI subsystem: no console window
  // The stack and heap sizes are pointer-sized: 8 bytes each in PE32+.
  const std::uint32_t stack = optional + 72;
  const std::uint32_t step = wide ? 8 : 4;
  put32(file, stack, 0x100000);             // stack reserve
  put32(file, stack + step, 0x1000);        // stack commit
  put32(file, stack + 2 * step, 0x100000);  // heap reserve
  put32(file, stack + 3 * step, 0x1000);    // heap commit
  const std::uint32_t directoryCount = wide ? 14 : 16;
  const std::uint32_t countAt = wide ? optional + 108 : optional + 92;
  put32(file, countAt, directoryCount);
  const std::uint32_t directories = countAt + 4;
  put32(file, directories + 1 * 8, imports.directory);
  put32(file, directories + 1 * 8 + 4, 40);
  put32(file, directories + 12 * 8, imports.table);
  put32(file, directories + 12 * 8 + 4, imports.tableSize);

  std::memcpy(file.data() + kSectionTable, ".text", 5);
  put32(file, kSectionTable + 8, virtualSize);
  put32(file, kSectionTable + 12, kSectionAddress);
  put32(file, kSectionTable + 16, rawSize);
  put32(file, kSectionTable + 20, kHeadersSize);
  put32(file, kSectionTable + 36, 0xE0000060);  // code and data; readable, writable, executable
}

}  // namespace

std::optional<std::string> buildRunnableSample(const SignatureRecord& record,
                                               const RunnableOptions& options) {
  const auto size = static_cast<std::uint32_t>(record.fileSize);
  if (record.fileSize <= 0 || size < kHeadersSize + kFileAlignment) return std::nullopt;
  const std::optional<Layout> layout = place(record, size);
  if (!layout) return std::nullopt;

  // The look-alike gives the noise; its headers are written over.
  std::string file = buildLookAlike(size, options.seed);
  const std::uint32_t pointerSize = options.machine == Machine::Amd64 ? 8 : 4;
  const Imports imports = writeImports(file, layout->blob + kImportsAt, pointerSize);
  const std::uint64_t imageBase = options.machine == Machine::Amd64 ? 0 : std::uint64_t{0x00400000};
  const std::uint32_t code = addressOf(layout->blob);
  std::memset(file.data() + layout->blob, 0xCC, kImportsAt);  // int3 around the code
  putBytes(file, layout->blob, sleepLoop(options.machine, code, imageBase + imports.table));
  if (layout->entry != layout->blob) {
    const std::uint32_t relative = code - (addressOf(layout->entry) + kJumpLength);
    putBytes(
        file, layout->entry,
        {0xE9, static_cast<std::uint8_t>(relative), static_cast<std::uint8_t>(relative >> 8),
         static_cast<std::uint8_t>(relative >> 16), static_cast<std::uint8_t>(relative >> 24)});
  }
  writeHeaders(file, options.machine, size, layout->entry, imports);
  std::memcpy(file.data() + layout->probe1, record.probeBytes1, kProbeLength);
  std::memcpy(file.data() + layout->probe2, record.probeBytes2, kProbeLength);
  return file;
}

}  // namespace vs::samples
