// The product's name as its window and its questions show it. The main window's title is also the
// mark by which a second copy of the program finds the first.
#pragma once

namespace vs {

inline constexpr const char* kProductTitle = "Vantosweeper Ver 1.0";

}  // namespace vs
