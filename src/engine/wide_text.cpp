#include "engine/wide_text.h"

#include <vector>

namespace vs {

std::string ansiRendering(Platform& os, std::u16string_view text) {
  if (text.empty()) return {};
  // A UTF-16 unit takes at most three bytes in any code page (UTF-8 stands for one on Linux).
  std::vector<char> buffer(text.size() * 3);
  const int written = os.wideToAnsi(text.data(), static_cast<int>(text.size()), buffer.data(),
                                    static_cast<int>(buffer.size()));
  if (written > 0) return std::string(buffer.data(), static_cast<std::size_t>(written));
  std::string fallback;
  for (const char16_t unit : text) fallback += unit < 0x80 ? static_cast<char>(unit) : '?';
  return fallback;
}

std::u16string widened(Platform& os, std::string_view ansi) {
  if (ansi.empty()) return {};
  // A byte of ANSI text never makes more than one UTF-16 unit.
  std::u16string wide(ansi.size(), u'\0');
  const int units = os.ansiToWide(ansi.data(), static_cast<int>(ansi.size()), wide.data(),
                                  static_cast<int>(wide.size()));
  if (units > 0) {
    wide.resize(static_cast<std::size_t>(units));
    return wide;
  }
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    wide[i] = static_cast<unsigned char>(ansi[i]);
  }
  return wide;
}

std::u16string shortenedForDisplay(std::u16string_view path, std::size_t width) {
  if (path.size() <= width) return std::u16string(path);
  const std::size_t keep = width / 2 - 1;
  return std::u16string(path.substr(0, keep)) + std::u16string(width - 2 * keep, u'.') +
         std::u16string(path.substr(path.size() - keep));
}

}  // namespace vs
