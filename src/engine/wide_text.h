// Wide text beside the ANSI code page: wide paths rendered for the texts that take no wide
// characters, ANSI paths widened for the wide calls, and the status line's short form of a wide
// path.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace vs {

// The text in the ANSI code page, as the system converts it ("?" or a look-alike for what the code
// page cannot spell); when the system cannot convert it, its ASCII characters with "?" for the
// others.
std::string ansiRendering(Platform& os, std::u16string_view text);

// An ANSI text in UTF-16, as the system converts it; byte for byte when it cannot.
std::u16string widened(Platform& os, std::string_view ansi);

// shortenForDisplay on wide text: the path, or its first width/2 - 1 and last width/2 - 1 units
// with dots between.
std::u16string shortenedForDisplay(std::u16string_view path, std::size_t width);

}  // namespace vs
