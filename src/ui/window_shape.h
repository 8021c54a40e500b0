// The main window's outline taken from its background picture, and the rescaling of its controls
// to the size its layout was designed for.
#pragma once

#include <windows.h>

namespace vs::ui {

// A region of the bitmap's pixels that are not the key colour (keepNonKey) or that are; null when
// the bitmap cannot be copied. The caller owns the region.
HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF keyColour, BOOL keepNonKey);

// Moves and resizes every child of the window (and their children) by the ratio between the
// window's client size and the design size. Returns the enumeration's result.
BOOL ScaleChildWindows(HWND window, int designWidth, int designHeight);

// The enumeration callback of ScaleChildWindows; `factors` points at the two scale factors.
BOOL CALLBACK ScaleChildWindowProc(HWND child, LPARAM factors);

}  // namespace vs::ui
