// The arithmetic behind the main window's shape and the rescaling of its controls: the runs of a
// picture's rows collected into region data in batches, and the scale factors applied to a
// control's rectangle. No window code here, so both can be checked on plain pixel buffers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace vs::ui {

// A rectangle as the system lays it out: left, top, right, bottom, right and bottom exclusive.
struct PixelRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};
static_assert(sizeof(PixelRect) == 16);

// The bound written while a block holds no rectangle.
constexpr PixelRect kEmptyBound = {0x7FFFFFFF, 0x7FFFFFFF, 0, 0};

// Region data in the layout that ExtCreateRegion takes: a 32-byte header (size 32, type
// RDH_RECTANGLES, count, size 0, bound) followed by room for `capacity` rectangles. The room
// starts at 100 rectangles and grows by 100 whenever a rectangle does not fit.
class RegionBlock {
 public:
  static constexpr std::uint32_t kHeaderSize = 32;
  static constexpr std::uint32_t kGrowth = 100;

  RegionBlock();
  void add(const PixelRect& rect);
  // Empties the block; its room stays as grown.
  void clear();

  std::uint32_t count() const { return count_; }
  std::uint32_t capacity() const { return capacity_; }
  PixelRect bound() const { return bound_; }
  PixelRect rect(std::uint32_t index) const;
  // The whole block, header included, as it is handed to the system.
  const void* data();
  std::size_t sizeInBytes() const {
    return kHeaderSize + std::size_t{capacity_} * sizeof(PixelRect);
  }

 private:
  std::vector<PixelRect> rects_;
  std::vector<unsigned char> bytes_;
  std::uint32_t count_ = 0;
  std::uint32_t capacity_ = kGrowth;
  PixelRect bound_ = kEmptyBound;
};

// At most this many rectangles go into one partial region.
constexpr std::uint32_t kRegionBatchLimit = 2000;

// A 32-bit picture as a device-independent section holds it: 4 bytes per pixel (blue, green, red,
// unused), rows of `stride` bytes stored bottom-up, so the top row is the last one in memory.
struct PixelView {
  const std::uint8_t* bits;
  int width;
  int height;
  int stride;
};

// Collects one rectangle per horizontal run of region pixels, top row first. A pixel belongs to
// the region when it is not the key colour (keepNonKey) or when it is (!keepNonKey); the key
// colour is a COLORREF (0x00BBGGRR) and must match exactly. Every time the block holds 2000
// rectangles it is handed to makeRegion and emptied; after the last row it is handed over once
// more, whatever it holds.
void collectRegionRuns(const PixelView& picture, std::uint32_t keyColour, bool keepNonKey,
                       const std::function<void(RegionBlock&)>& makeRegion);

// Factors between a window's client size and the size its layout was designed for.
struct ScaleFactors {
  double horizontal;
  double vertical;
};

ScaleFactors scaleFactorsFor(int clientWidth, int clientHeight, int designWidth, int designHeight);

// A control's screen rectangle divided by the factors, each side truncated toward zero. Nothing
// when a factor is zero or not finite, or a side does not fit an int: that control stays put.
std::optional<PixelRect> scaledScreenRect(const PixelRect& screenRect, const ScaleFactors& factors);

}  // namespace vs::ui
