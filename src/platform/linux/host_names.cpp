#include "platform/linux/host_names.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vs::linux_host {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char16_t kEscapeBase = 0xDC00;

// The code point of a valid UTF-8 sequence at text[at], and its length; 0 when none starts there.
std::size_t decode(std::string_view text, std::size_t at, char32_t& c) {
  const auto lead = static_cast<std::uint8_t>(text[at]);
  std::size_t count = 0;
  char32_t smallest = 0;
  if (lead < 0x80) {
    c = lead;
    return 1;
  } else if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
    c = lead & 0x1F;
    smallest = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    c = lead & 0x0F;
    smallest = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    c = lead & 0x07;
    smallest = 0x10000;
  } else {
    return 0;
  }
  if (at + count > text.size()) return 0;
  for (std::size_t k = 1; k < count; ++k) {
    const auto next = static_cast<std::uint8_t>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    c = (c << 6) | (next & 0x3F);
  }
  if (c < smallest || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return count;
}

void encode(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string wideFromHostName(std::string_view name) {
  std::u16string wide;
  wide.reserve(name.size());
  for (std::size_t at = 0; at < name.size();) {
    char32_t c = 0;
    const std::size_t length = decode(name, at, c);
    if (length == 0) {
      wide += static_cast<char16_t>(kEscapeBase + static_cast<std::uint8_t>(name[at]));
      ++at;
    } else if (c >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      at += length;
    } else {
      wide += static_cast<char16_t>(c);
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
      encode(host, 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) +
                       (static_cast<char32_t>(name[i + 1]) - 0xDC00));
      ++i;
    } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
      host += static_cast<char>(unit - kEscapeBase);
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      encode(host, kReplacement);
    } else {
      encode(host, unit);
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

}  // namespace vs::linux_host
