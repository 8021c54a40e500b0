// The runs of a picture collected into region data, and the scaling of a control's rectangle.
#include "ui/window_shape_rules.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace vs::ui::test {
namespace {

constexpr std::uint32_t kMagenta = 0x00FF00FF;

// A 32-bit bottom-up picture, filled with one colour, as a device-independent section holds it.
struct Picture {
  int width;
  int height;
  int stride;
  std::vector<std::uint8_t> bits;

  Picture(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b, int padding = 0)
      : width(w), height(h), stride(4 * w + padding), bits(static_cast<std::size_t>(stride) * h) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) set(x, y, r, g, b);
    }
  }
  // (x, y) with y counted from the top row, as the picture is seen.
  void set(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t unused = 0) {
    std::uint8_t* p = &bits[static_cast<std::size_t>(height - 1 - y) * stride + 4 * x];
    p[0] = b;
    p[1] = g;
    p[2] = r;
    p[3] = unused;
  }
  PixelView view() const { return {bits.data(), width, height, stride}; }
};

struct Batch {
  std::uint32_t count;
  std::uint32_t capacity;
  PixelRect bound;
  std::vector<PixelRect> rects;
};

std::vector<Batch> collect(const Picture& picture, std::uint32_t key = kMagenta,
                           bool keepNonKey = true) {
  std::vector<Batch> batches;
  collectRegionRuns(picture.view(), key, keepNonKey, [&](RegionBlock& block) {
    Batch batch{block.count(), block.capacity(), block.bound(), {}};
    for (std::uint32_t i = 0; i < block.count(); ++i) batch.rects.push_back(block.rect(i));
    batches.push_back(batch);
  });
  return batches;
}

TEST(RegionRuns, APictureWithoutMagentaGivesOneFullRowPerLineInOneBatch) {
  const auto batches = collect(Picture(527, 338, 20, 90, 200));
  ASSERT_EQ(batches.size(), 1u);
  ASSERT_EQ(batches[0].count, 338u);
  for (int y = 0; y < 338; ++y) EXPECT_EQ(batches[0].rects[y], (PixelRect{0, y, 527, y + 1}));
  EXPECT_EQ(batches[0].bound, (PixelRect{0, 0, 527, 338}));
  EXPECT_EQ(batches[0].capacity, 400u);
}

TEST(RegionRuns, RowRulesAndTheExactKeyColour) {
  Picture picture(8, 4, 255, 0, 255);
  // Row 0: magenta at both ends, opaque in the middle.
  for (int x = 2; x <= 5; ++x) picture.set(x, 0, 10, 10, 10);
  // Row 1: one pixel off the key by a single green step belongs to the region.
  picture.set(3, 1, 255, 1, 255);
  // Row 2: the fourth byte plays no part: still the key colour.
  picture.set(4, 2, 255, 0, 255, 0x7F);
  // Row 3: two runs.
  picture.set(0, 3, 1, 2, 3);
  picture.set(6, 3, 1, 2, 3);
  picture.set(7, 3, 1, 2, 3);
  const auto batches = collect(picture);
  ASSERT_EQ(batches.size(), 1u);
  const std::vector<PixelRect> expected = {{2, 0, 6, 1}, {3, 1, 4, 2}, {0, 3, 1, 4}, {6, 3, 8, 4}};
  EXPECT_EQ(batches[0].rects, expected);
  EXPECT_EQ(batches[0].bound, (PixelRect{0, 0, 8, 4}));
}

TEST(RegionRuns, ClearModeKeepsOnlyTheKeyColour) {
  Picture picture(6, 1, 0, 0, 0);
  picture.set(1, 0, 255, 0, 255);
  picture.set(2, 0, 255, 0, 255);
  const auto batches = collect(picture, kMagenta, false);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].rects, (std::vector<PixelRect>{{1, 0, 3, 1}}));
}

TEST(RegionRuns, AnAllMagentaPictureStillMakesTheFinalRegionOnceWithNothing) {
  const auto batches = collect(Picture(40, 30, 255, 0, 255));
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].count, 0u);
  EXPECT_EQ(batches[0].bound, kEmptyBound);
}

TEST(RegionRuns, RowsAreReadTopFirstFromABottomUpPictureWithPaddedRows) {
  Picture picture(5, 3, 255, 0, 255, 12);
  picture.set(4, 0, 9, 9, 9);  // top row as seen: stored last in memory
  const auto batches = collect(picture);
  ASSERT_EQ(batches.size(), 1u);
  EXPECT_EQ(batches[0].rects, (std::vector<PixelRect>{{4, 0, 5, 1}}));
}

TEST(RegionRuns, ManyRunsAreSplitIntoBatchesOfTwoThousandThatTogetherHoldEveryRun) {
  // Every other pixel opaque: 5 runs per row, 2500 runs in all.
  Picture picture(10, 500, 255, 0, 255);
  std::vector<PixelRect> all;
  for (int y = 0; y < 500; ++y) {
    for (int x = 0; x < 10; x += 2) {
      picture.set(x, y, 0, 128, 0);
      all.push_back({x, y, x + 1, y + 1});
    }
  }
  const auto batches = collect(picture);
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0].count, 2000u);
  EXPECT_EQ(batches[1].count, 500u);
  // The room grew in steps of 100 and stays as grown for the second batch.
  EXPECT_EQ(batches[0].capacity, 2000u);
  EXPECT_EQ(batches[1].capacity, 2000u);
  EXPECT_EQ(batches[1].bound, (PixelRect{0, 400, 9, 500}));
  std::vector<PixelRect> merged = batches[0].rects;
  merged.insert(merged.end(), batches[1].rects.begin(), batches[1].rects.end());
  EXPECT_EQ(merged, all);
}

TEST(RegionBlock, HeaderAndRectanglesAreLaidOutForTheSystem) {
  RegionBlock block;
  EXPECT_EQ(block.sizeInBytes(), 1632u);
  for (int i = 0; i < 101; ++i) block.add({i, 7, i + 2, 8});
  EXPECT_EQ(block.capacity(), 200u);
  EXPECT_EQ(block.sizeInBytes(), 32u + 200u * 16u);
  const auto* bytes = static_cast<const unsigned char*>(block.data());
  std::uint32_t header[4];
  std::memcpy(header, bytes, sizeof header);
  EXPECT_EQ(header[0], 32u);
  EXPECT_EQ(header[1], 1u);
  EXPECT_EQ(header[2], 101u);
  EXPECT_EQ(header[3], 0u);
  PixelRect bound, last;
  std::memcpy(&bound, bytes + 16, sizeof bound);
  std::memcpy(&last, bytes + 32 + 100 * 16, sizeof last);
  EXPECT_EQ(bound, (PixelRect{0, 7, 102, 8}));
  EXPECT_EQ(last, (PixelRect{100, 7, 102, 8}));
  block.clear();
  EXPECT_EQ(block.count(), 0u);
  EXPECT_EQ(block.capacity(), 200u);
  EXPECT_EQ(block.bound(), kEmptyBound);
}

TEST(ScaleRules, TheWorkedExampleTruncatesEachQuotient) {
  const ScaleFactors factors = scaleFactorsFor(523, 340, 600, 337);
  EXPECT_DOUBLE_EQ(factors.horizontal, 523.0 / 600.0);
  EXPECT_DOUBLE_EQ(factors.vertical, 340.0 / 337.0);
  const auto scaled = scaledScreenRect({100, 50, 200, 80}, factors);
  ASSERT_TRUE(scaled);
  EXPECT_EQ(*scaled, (PixelRect{114, 49, 229, 79}));
  EXPECT_EQ(scaled->right - scaled->left, 115);
  EXPECT_EQ(scaled->bottom - scaled->top, 30);
}

TEST(ScaleRules, NegativeSidesTruncateTowardZero) {
  const auto scaled = scaledScreenRect({-100, -50, 0, 0}, scaleFactorsFor(523, 340, 600, 337));
  ASSERT_TRUE(scaled);
  EXPECT_EQ(*scaled, (PixelRect{-114, -49, 0, 0}));
}

TEST(ScaleRules, AnEmptyClientOrDesignSizeLeavesTheControlWhereItIs) {
  const PixelRect r{100, 50, 200, 80};
  EXPECT_FALSE(scaledScreenRect(r, scaleFactorsFor(0, 340, 600, 337)));
  EXPECT_FALSE(scaledScreenRect(r, scaleFactorsFor(523, 340, 0, 337)));
  EXPECT_FALSE(scaledScreenRect(r, scaleFactorsFor(523, 0, 600, 0)));
  // A tiny factor would push the sides beyond an int.
  EXPECT_FALSE(scaledScreenRect({2000000000, 0, 2000000001, 1}, {0.5, 1.0}));
}

}  // namespace
}  // namespace vs::ui::test
