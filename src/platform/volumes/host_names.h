// This host's names as the wide calls take them, both ways without loss: a Linux name is bytes,
// UTF-8 as a rule, but any byte may stand in it. Valid UTF-8 becomes its UTF-16; every other byte
// (0x80 to 0xFF) is carried as the lone surrogate U+DC80 + (byte - 0x80), which no valid text
// holds, and turns back into that byte.
#pragma once

#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace vs::volumes {

std::u16string wideFromHostName(std::string_view name);
// Other lone surrogates, which name nothing here, become U+FFFD.
std::string hostNameFromWide(std::u16string_view name);

// Fills an entry's names from a host name: the name itself as its ANSI name where it fits the
// ANSI buffer, and otherwise cut, marked lost and given whole as its wide name. A wide listing
// gives every entry its wide name.
void nameEntry(DirectoryEntry& entry, const std::string& hostName, bool wideListing);

}  // namespace vs::volumes
