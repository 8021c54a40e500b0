#include "ui/window_shape_rules.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace vs::ui {
namespace {

constexpr std::uint32_t kRdhRectangles = 1;

void putWord(unsigned char* at, std::uint32_t value) {
  std::memcpy(at, &value, sizeof value);
}

bool isKeyColour(const std::uint8_t* pixel, std::uint32_t key) {
  return pixel[2] == (key & 0xFF) && pixel[1] == ((key >> 8) & 0xFF) &&
         pixel[0] == ((key >> 16) & 0xFF);
}

std::optional<std::int32_t> dividedSide(std::int32_t side, double factor) {
  const double quotient = std::trunc(side / factor);
  if (!(quotient >= std::numeric_limits<std::int32_t>::min() &&
        quotient <= std::numeric_limits<std::int32_t>::max())) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(quotient);
}

}  // namespace

RegionBlock::RegionBlock() {
  rects_.reserve(kGrowth);
}

void RegionBlock::add(const PixelRect& rect) {
  if (count_ == capacity_) capacity_ += kGrowth;
  rects_.push_back(rect);
  ++count_;
  if (rect.left < bound_.left) bound_.left = rect.left;
  if (rect.top < bound_.top) bound_.top = rect.top;
  if (rect.right > bound_.right) bound_.right = rect.right;
  if (rect.bottom > bound_.bottom) bound_.bottom = rect.bottom;
}

void RegionBlock::clear() {
  rects_.clear();
  count_ = 0;
  bound_ = kEmptyBound;
}

PixelRect RegionBlock::rect(std::uint32_t index) const {
  return rects_.at(index);
}

const void* RegionBlock::data() {
  bytes_.assign(sizeInBytes(), 0);
  unsigned char* header = bytes_.data();
  putWord(header, kHeaderSize);
  putWord(header + 4, kRdhRectangles);
  putWord(header + 8, count_);
  putWord(header + 12, 0);
  std::memcpy(header + 16, &bound_, sizeof bound_);
  if (count_ > 0) std::memcpy(header + kHeaderSize, rects_.data(), count_ * sizeof(PixelRect));
  return bytes_.data();
}

void collectRegionRuns(const PixelView& picture, std::uint32_t keyColour, bool keepNonKey,
                       const std::function<void(RegionBlock&)>& makeRegion) {
  RegionBlock block;
  for (int y = 0; y < picture.height; ++y) {
    const std::uint8_t* row =
        picture.bits + static_cast<std::ptrdiff_t>(picture.height - 1 - y) * picture.stride;
    int x = 0;
    while (x < picture.width) {
      const int start = x;
      while (x < picture.width && isKeyColour(row + 4 * x, keyColour) != keepNonKey) ++x;
      if (x > start) {
        block.add({start, y, x, y + 1});
        if (block.count() == kRegionBatchLimit) {
          makeRegion(block);
          block.clear();
        }
      }
      // The pixel that ended the run is outside the region.
      ++x;
    }
  }
  makeRegion(block);
}

ScaleFactors scaleFactorsFor(int clientWidth, int clientHeight, int designWidth, int designHeight) {
  return {static_cast<double>(clientWidth) / designWidth,
          static_cast<double>(clientHeight) / designHeight};
}

std::optional<PixelRect> scaledScreenRect(const PixelRect& screenRect,
                                          const ScaleFactors& factors) {
  if (!std::isfinite(factors.horizontal) || !std::isfinite(factors.vertical) ||
      factors.horizontal == 0 || factors.vertical == 0) {
    return std::nullopt;
  }
  const auto left = dividedSide(screenRect.left, factors.horizontal);
  const auto top = dividedSide(screenRect.top, factors.vertical);
  const auto right = dividedSide(screenRect.right, factors.horizontal);
  const auto bottom = dividedSide(screenRect.bottom, factors.vertical);
  if (!left || !top || !right || !bottom) return std::nullopt;
  return PixelRect{*left, *top, *right, *bottom};
}

}  // namespace vs::ui
