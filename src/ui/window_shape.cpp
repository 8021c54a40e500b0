#include "ui/window_shape.h"

#include "ui/gdi.h"
#include "ui/window_shape_rules.h"

namespace vs::ui {

HRGN CreateRegionFromBitmap(HBITMAP bitmap, COLORREF keyColour, BOOL keepNonKey) {
  if (!bitmap) return nullptr;
  MemoryDc copyDc(CreateCompatibleDC(nullptr));
  if (!copyDc) return nullptr;
  BITMAP source{};
  if (GetObjectA(bitmap, sizeof source, &source) == 0 || source.bmWidth <= 0 ||
      source.bmHeight <= 0) {
    return nullptr;
  }

  // A 32-bit bottom-up copy, so that every pixel reads the same way whatever the source's depth.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = source.bmWidth;
  info.bmiHeader.biHeight = source.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  Bitmap copy(CreateDIBSection(copyDc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!copy || !bits) return nullptr;
  SelectedObject copySelected(copyDc.get(), copy.get());
  MemoryDc sourceDc(CreateCompatibleDC(copyDc.get()));
  if (!sourceDc) return nullptr;
  {
    SelectedObject sourceSelected(sourceDc.get(), bitmap);
    BitBlt(copyDc.get(), 0, 0, source.bmWidth, source.bmHeight, sourceDc.get(), 0, 0, SRCCOPY);
  }
  GdiFlush();

  DIBSECTION section{};
  if (GetObjectA(copy.get(), sizeof section, &section) == 0) return nullptr;
  const PixelView picture{static_cast<const std::uint8_t*>(bits), source.bmWidth, source.bmHeight,
                          section.dsBm.bmWidthBytes};
  Region result;
  collectRegionRuns(picture, keyColour, keepNonKey != FALSE, [&](RegionBlock& block) {
    const DWORD size = static_cast<DWORD>(block.sizeInBytes());
    Region part(ExtCreateRegion(nullptr, size, static_cast<const RGNDATA*>(block.data())));
    // A batch the system refuses is lost; the rest of the picture still counts.
    if (!part) return;
    if (!result) {
      result = std::move(part);
    } else {
      CombineRgn(result.get(), result.get(), part.get(), RGN_OR);
    }
  });
  return result.release();
}

BOOL ScaleChildWindows(HWND window, int designWidth, int designHeight) {
  RECT client{};
  GetClientRect(window, &client);
  ScaleFactors factors = scaleFactorsFor(client.right, client.bottom, designWidth, designHeight);
  return EnumChildWindows(window, &ScaleChildWindowProc, reinterpret_cast<LPARAM>(&factors));
}

BOOL CALLBACK ScaleChildWindowProc(HWND child, LPARAM factors) {
  RECT screen{};
  if (!GetWindowRect(child, &screen)) return TRUE;
  const auto scaled = scaledScreenRect({screen.left, screen.top, screen.right, screen.bottom},
                                       *reinterpret_cast<const ScaleFactors*>(factors));
  // A child whose new place cannot be computed keeps its place.
  if (!scaled) return TRUE;
  POINT topLeft = {scaled->left, scaled->top};
  ScreenToClient(GetParent(child), &topLeft);
  MoveWindow(child, topLeft.x, topLeft.y, scaled->right - scaled->left,
             scaled->bottom - scaled->top, TRUE);
  return TRUE;
}

}  // namespace vs::ui
