// The system's rules for names and texts that every backend follows: names compared without regard
// to the letter case of ASCII letters, the listing's wildcards, paths taken apart at their
// separators, and texts handed over into a caller's buffer.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vs {

// Compares two names ignoring the letter case of ASCII letters, as Windows compares file, key and
// value names. Wide names are compared the same way: other letters must match exactly.
bool equalsIgnoringCase(std::string_view a, std::string_view b);
bool equalsIgnoringCase(std::u16string_view a, std::u16string_view b);

// Windows wildcard matching of a listing mask ("*.*", "*", "b.*", "x?.exe"), ignoring case. "*.*"
// matches every name, also names without a dot.
bool wildcardMatches(std::string_view mask, std::string_view name);
bool wildcardMatches(std::u16string_view mask, std::u16string_view name);

// The parts of a path between its separators (backslashes unless told otherwise), empty parts
// dropped: "SOFTWARE\\a\\\\b" gives "SOFTWARE", "a", "b".
std::vector<std::string> splitPath(std::string_view path, std::string_view separators = "\\");

// The system's answer for a text asked into a caller's buffer of size bytes: the length written
// (without the terminator), or the size needed (terminator included) when it does not fit, or 0
// when there is no text to give; the caller then sets the error it stands for.
std::uint32_t answerText(std::string_view text, char* buffer, std::uint32_t size);

}  // namespace vs
