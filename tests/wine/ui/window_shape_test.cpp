// The window's shape from a picture and the rescaling of controls, on the real system's regions
// and windows.
#include "ui/window_shape.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <vector>

#include "resource_ids.h"
#include "ui/gdi.h"

namespace vs::ui::test {
namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);

// A 32-bit picture whose pixels the test sets, row 0 at the top.
class Picture {
 public:
  Picture(int width, int height, COLORREF fill) : width_(width), height_(height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_),
                                   nullptr, 0));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) set(x, y, fill);
    }
  }
  void set(int x, int y, COLORREF colour) {
    bits_[y * width_ + x] =
        (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
  }
  HBITMAP get() const { return bitmap_.get(); }

 private:
  int width_;
  int height_;
  std::uint32_t* bits_ = nullptr;
  Bitmap bitmap_;
};

Region unionOf(const std::vector<RECT>& rects) {
  Region region(CreateRectRgn(0, 0, 0, 0));
  for (const RECT& r : rects) {
    Region part(CreateRectRgnIndirect(&r));
    CombineRgn(region.get(), region.get(), part.get(), RGN_OR);
  }
  return region;
}

TEST(RegionFromBitmapUnderWine, KeepsEveryPixelButTheExactKeyColour) {
  Picture picture(10, 3, kMagenta);
  for (int x = 2; x <= 6; ++x) picture.set(x, 0, RGB(0, 0, 128));
  picture.set(4, 1, RGB(255, 1, 255));
  picture.set(0, 2, RGB(1, 2, 3));
  picture.set(9, 2, RGB(1, 2, 3));
  Region region(CreateRegionFromBitmap(picture.get(), kMagenta, TRUE));
  ASSERT_TRUE(region);
  const Region expected = unionOf({{2, 0, 7, 1}, {4, 1, 5, 2}, {0, 2, 1, 3}, {9, 2, 10, 3}});
  EXPECT_TRUE(EqualRgn(region.get(), expected.get()));
}

TEST(RegionFromBitmapUnderWine, ClearModeKeepsOnlyTheKeyColour) {
  Picture picture(6, 2, RGB(10, 10, 10));
  picture.set(3, 1, kMagenta);
  Region region(CreateRegionFromBitmap(picture.get(), kMagenta, FALSE));
  ASSERT_TRUE(region);
  const Region expected = unionOf({{3, 1, 4, 2}});
  EXPECT_TRUE(EqualRgn(region.get(), expected.get()));
}

TEST(RegionFromBitmapUnderWine, AnAllMagentaPictureGivesAnEmptyRegion) {
  Picture picture(20, 20, kMagenta);
  Region region(CreateRegionFromBitmap(picture.get(), kMagenta, TRUE));
  ASSERT_TRUE(region);
  RECT box{};
  EXPECT_EQ(GetRgnBox(region.get(), &box), NULLREGION);
}

TEST(RegionFromBitmapUnderWine, BatchesOfManyRunsMergeIntoTheWholeShape) {
  // A checkerboard: 50 runs per row, 5000 in all, three batches.
  Picture picture(100, 100, kMagenta);
  std::vector<RECT> runs;
  for (int y = 0; y < 100; ++y) {
    for (int x = y % 2; x < 100; x += 2) {
      picture.set(x, y, RGB(0, 90, 200));
      runs.push_back({x, y, x + 1, y + 1});
    }
  }
  Region region(CreateRegionFromBitmap(picture.get(), kMagenta, TRUE));
  ASSERT_TRUE(region);
  const Region expected = unionOf(runs);
  EXPECT_TRUE(EqualRgn(region.get(), expected.get()));
}

TEST(RegionFromBitmapUnderWine, TheBackgroundPictureGivesItsFullRectangle) {
  Bitmap background = loadSkinBitmap(MAKEINTRESOURCEA(IDB_BACKGROUND));
  ASSERT_TRUE(background);
  Region region(CreateRegionFromBitmap(background.get(), kMagenta, TRUE));
  ASSERT_TRUE(region);
  Region full(CreateRectRgn(0, 0, 527, 338));
  EXPECT_TRUE(EqualRgn(region.get(), full.get()));
}

TEST(RegionFromBitmapUnderWine, NoPictureGivesNoRegion) {
  EXPECT_EQ(CreateRegionFromBitmap(nullptr, kMagenta, TRUE), nullptr);
}

TEST(ScaleChildWindowsUnderWine, DividesScreenRectanglesByTheClientToDesignRatio) {
  // A borderless window at the screen's origin: screen and client coordinates coincide.
  HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 523, 340, nullptr, nullptr,
                                nullptr, nullptr);
  ASSERT_TRUE(parent);
  HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 100, 50, 100, 30, parent,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(child);
  ScaleChildWindows(parent, 600, 337);
  RECT r{};
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 114);
  EXPECT_EQ(r.top, 49);
  EXPECT_EQ(r.right, 229);
  EXPECT_EQ(r.bottom, 79);
  DestroyWindow(parent);
}

}  // namespace
}  // namespace vs::ui::test
