// The walk's one detector: tests a file against the signature table through its PE entry point.
#pragma once

#include <cstdint>

#include "engine/pe_image.h"
#include "engine/scan_session.h"
#include "engine/signature_record.h"
#include "engine/target_file.h"

namespace vs {

// The family name under which the walk's detector table lists the matcher. It ends in a blank on
// purpose: the lines that name a file by the family rather than by its record (the image of a
// program the memory scan killed, the hosts file) read "...W32/Talvorn.Trojan  removed", two
// blanks before the outcome, as the memory scan's own line does (kMemoryLine in disposal.h).
inline constexpr const char* kFamilyName = "W32/Talvorn.Trojan ";

// Returns 1 when the file matched a record (in either mode), 0 otherwise. In directory mode a
// match goes to the registry cleanup and the disposal; in single-file mode it is only recorded.
// A file that only the wide calls reach has its wide path in the context (ctx.widePath).
int matchSignatures(ScanContext& ctx, const char* familyName, const char* path);

// Tests one file without touching the scan state: the index of the record it matches, or -1 (it
// cannot be opened or read, is not a PE file the matcher accepts, or matches nothing). listedSize
// is the length its directory listing gave, or -1; the open file's length goes to *length.
int examineFile(Platform& os, const TargetFile& file, std::int64_t listedSize,
                std::int64_t* length);

// The index of the first record of the table whose size test and both probes pass for an open
// file with the given headers and length, or -1.
int findMatchingRecord(const SignatureRecord* table, ReadableFile& file, const PeImageInfo& info,
                       std::uint32_t fileLength);

}  // namespace vs
