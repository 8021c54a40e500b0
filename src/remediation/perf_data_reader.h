// Reads the process instances out of the system's performance data: the counter-name list that
// gives the indexes of the "process" object and its "id process" counter, and the data block of
// that object. Both come from the system but are treated as untrusted bytes: every offset, length
// and count is checked against the buffer, and whatever points outside it ends the reading.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace vs {

constexpr int kPerfTableSize = 255;
constexpr int kPerfMaxInstances = 254;
constexpr int kPerfNameLength = 16;

struct PerfProcessEntry {
  std::uint32_t processId = 0;
  char name[kPerfNameLength + 1] = {};  // 16 characters, and a terminator for our own use
  // The name as the block holds it, for names the code page cannot spell; empty when longer than
  // 16 units, as name is.
  char16_t wideName[kPerfNameLength + 1] = {};
};

struct PerfCounterIndexes {
  std::string objectIndexText;  // the value name under which the process object is queried
  long counterIndex = -1;       // the "id process" counter
};

// Finds "process" and "id process" in a "Counters" list (zero-terminated strings, alternately a
// decimal index and its name, ended by an empty string); a later equal name replaces an earlier.
PerfCounterIndexes findProcessCounterIndexes(const char* list, std::size_t size);

// Converts a UTF-16 string (without its terminator) to the ANSI code page into out, terminated;
// returns the number of bytes written including the terminator, or 0 when the conversion fails
// (also when the result does not fit).
using WideToAnsi =
    std::function<int(const char16_t* text, std::size_t length, char* out, std::size_t capacity)>;

// Fills table (255 entries, zeroed first) from a performance-data block; returns the number of
// entries filled. Names longer than 16 characters are left empty so that they never match; a
// process id of 0 is stored as 0xFFFFFFFE, an id that no process has. Each entry has its name in
// the code page and as the block holds it.
int readProcessInstances(const std::uint8_t* block, std::size_t size, long counterIndex,
                         const WideToAnsi& toAnsi, PerfProcessEntry (&table)[kPerfTableSize]);

}  // namespace vs
