// Writes the compiled-in signature table as a ClamAV logical-signature database and as YARA rules,
// so that users of those engines can detect the family too.
//   export_signatures --ldb FILE --yara FILE
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/signature_record.h"

namespace {

using vs::kSignatureCount;
using vs::kSignatureTable;
using vs::SignatureRecord;

// What neither format can say about the matcher; written at the head of each file.
const char* const kLimits =
    "Generated from Vantosweeper's built-in table (%d records). Each record is a file of an exact\n"
    "length whose two 20-byte probes lie at fixed distances from the entry point's address.\n"
    "Where this file differs from the tool's own matcher:\n"
    "%s"
    "- the tool reads the PE header offset as the 16-bit value at 60 (the low half of e_lfanew),\n"
    "  takes the section table at 248 bytes past the PE signature whatever SizeOfOptionalHeader\n"
    "  says, and does not require \"MZ\"; here the usual header rules apply;\n"
    "- the tool maps an address below the first section, past the last section or past the end\n"
    "  of the file by its own rules (the first section whose end lies beyond it, else the last;\n"
    "  an offset past the file becomes the address itself, an offset of 0 becomes SizeOfHeaders);\n"
    "  a file without sections has its probes read at the addresses themselves.\n"
    "So the two agree on ordinary PE files, where both probes lie inside sections.\n";

const char* const kLdbLimits =
    "- EP+n/EP-n count in file space from the entry point's file offset, so a probe matches here\n"
    "  only when it lies in the entry point's section (same displacement in file and memory);\n";

const char* const kYaraLimits =
    "- addresses that lie outside every section have no file offset here and never match;\n";

std::string hex(const std::uint8_t* bytes, bool spaced) {
  std::string text;
  char two[4];
  for (int i = 0; i < vs::kProbeLength; ++i) {
    std::snprintf(two, sizeof two, spaced && i ? " %02x" : "%02x", bytes[i]);
    text += two;
  }
  return text;
}

// "W32/Talvorn.Dzy.Trojan" at position 79 -> "Talvorn.Dzy.Trojan-79": names repeat in the table.
std::string uniqueName(const SignatureRecord& record, int position) {
  std::string name = record.name;
  const std::size_t slash = name.find('/');
  if (slash != std::string::npos) name = name.substr(slash + 1);
  return name + "-" + std::to_string(position);
}

std::string epOffset(std::int32_t offset) {
  return offset < 0 ? "EP-" + std::to_string(-static_cast<std::int64_t>(offset))
                    : "EP+" + std::to_string(offset);
}

void writeComment(std::FILE* out, const char* prefix, const char* limits) {
  char text[4096];
  std::snprintf(text, sizeof text, kLimits, kSignatureCount, limits);
  for (char* line = std::strtok(text, "\n"); line; line = std::strtok(nullptr, "\n")) {
    std::fprintf(out, "%s%s\n", prefix, line);
  }
}

bool writeLdb(const char* path) {
  std::FILE* out = std::fopen(path, "w");
  if (!out) return false;
  // ClamAV databases take no comments, so the notes go to a file beside it.
  std::string notesPath = std::string(path) + ".txt";
  if (std::FILE* notes = std::fopen(notesPath.c_str(), "w")) {
    writeComment(notes, "", kLdbLimits);
    std::fclose(notes);
  }
  for (int i = 0; i < kSignatureCount; ++i) {
    const SignatureRecord& r = kSignatureTable[i];
    const std::int32_t size = r.fileSize;
    // A single FileSize value is rejected as malformed; a range of one value is accepted.
    std::fprintf(out, "%s;Engine:51-255,Target:1,FileSize:%d-%d;0&1;%s:%s;%s:%s\n",
                 uniqueName(r, i + 1).c_str(), size, size, epOffset(r.probeOffset1).c_str(),
                 hex(r.probeBytes1, false).c_str(), epOffset(r.probeOffset2).c_str(),
                 hex(r.probeBytes2, false).c_str());
  }
  return std::fclose(out) == 0;
}

bool writeYara(const char* path) {
  std::FILE* out = std::fopen(path, "w");
  if (!out) return false;
  std::fprintf(out, "/*\n");
  writeComment(out, " * ", kYaraLimits);
  std::fprintf(out, " */\nimport \"pe\"\n\n");
  for (int i = 0; i < kSignatureCount; ++i) {
    const SignatureRecord& r = kSignatureTable[i];
    std::string name = uniqueName(r, i + 1);
    for (char& c : name) {
      if (c == '.' || c == '-') c = '_';
    }
    const std::int32_t size = r.fileSize;
    const std::int32_t offset1 = r.probeOffset1;
    const std::int32_t offset2 = r.probeOffset2;
    std::fprintf(out,
                 "rule %s\n{\n  meta:\n    detection = \"%s\"\n  strings:\n"
                 "    $p1 = { %s }\n    $p2 = { %s }\n  condition:\n"
                 "    filesize == %d and pe.is_pe and\n"
                 "    $p1 at pe.rva_to_offset(pe.entry_point_raw + (%d)) and\n"
                 "    $p2 at pe.rva_to_offset(pe.entry_point_raw + (%d))\n}\n\n",
                 name.c_str(), r.name, hex(r.probeBytes1, true).c_str(),
                 hex(r.probeBytes2, true).c_str(), size, offset1, offset2);
  }
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const char* ldb = nullptr;
  const char* yara = nullptr;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--ldb") == 0) ldb = argv[i + 1];
    if (std::strcmp(argv[i], "--yara") == 0) yara = argv[i + 1];
  }
  if (!ldb && !yara) {
    std::fprintf(stderr, "usage: export_signatures [--ldb FILE] [--yara FILE]\n");
    return 2;
  }
  if (ldb && !writeLdb(ldb)) return 1;
  if (yara && !writeYara(yara)) return 1;
  return 0;
}
