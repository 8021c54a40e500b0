#include "platform/volumes/host_names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/utf16_text.h"

namespace vs::volumes {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeBase = 0xDC00;

}  // namespace

std::u16string wideFromHostName(std::string_view name) {
  std::u16string wide;
  wide.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    char32_t c = 0;
    const std::size_t length = decodeUtf8(name, at, c);
    if (length == 0) {
      wide += static_cast<char16_t>(kEscapeBase + static_cast<std::uint8_t>(name[at]));
      ++at;
    } else {
      appendUtf16(wide, c);
      at += length;
    }
  }
  return wide;
}

std::string hostNameFromWide(std::u16string_view name) {
  std::string host;
  host.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t unit = name[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
      appendUtf8(host, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                           (static_cast<char32_t>(name[i + 1]) - 0xDC00));
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      host += static_cast<char>(unit - kEscapeBase);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      appendUtf8(host, kReplacement);
    } else {
      appendUtf8(host, unit);
    }
  }
  return host;
}

void nameEntry(DirectoryEntry& entry, const std::string& hostName, bool wideListing) {
  const bool fits = hostName.size() < sizeof entry.name;
  const std::size_t kept = fits ? hostName.size() : sizeof entry.name - 1;
  std::memcpy(entry.name, hostName.data(), kept);
  entry.name[kept] = '\0';
  entry.ansiNameLost = !fits;
  entry.wideName[0] = u'\0';
  if (fits && !wideListing) return;
  const std::u16string wide = wideFromHostName(hostName);
  const std::size_t units = std::min(wide.size(), sizeof entry.wideName / 2 - 1);
  std::copy(wide.begin(), wide.begin() + static_cast<std::ptrdiff_t>(units), entry.wideName);
  entry.wideName[units] = u'\0';
}

}  // namespace vs::volumes
