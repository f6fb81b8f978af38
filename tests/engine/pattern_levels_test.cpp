// Pattern trimming and the depth-level table.
#include <gtest/gtest.h>

#include <vector>

#include "src/engine/depth_levels.h"
#include "src/engine/pattern_trim.h"
#include "tests/engine/engine_test_support.h"

namespace ulvo::testing {
namespace {

PatternCopy CopyOf(const std::vector<uint8_t>& pixels, int width, int height, int planes = 3,
                   int order_flag = 0) {
  PatternSource source;
  source.order_flag = order_flag;
  source.planes = planes;
  source.width = width;
  source.height = height;
  source.pixels = pixels.data();
  source.row_stride = width * planes;
  BufferAllocator allocator;
  PatternCopy copy;
  EXPECT_TRUE(CopyPattern(source, allocator, &copy));
  return copy;
}

TEST(PatternTrim, DiscIsCutToItsBoundingBoxAndCollapsedToGrey) {
  PatternCopy copy = CopyOf(DiscPattern(64, 41), 64, 64);
  ASSERT_TRUE(TrimPattern(&copy));
  EXPECT_EQ(copy.width, 41);
  EXPECT_EQ(copy.height, 41);
  EXPECT_EQ(copy.planes, 1);
  // The disc touches every edge of the box in its middle and leaves the corners.
  EXPECT_EQ(copy.at(20, 0, 0), 255);
  EXPECT_EQ(copy.at(0, 20, 0), 255);
  EXPECT_EQ(copy.at(40, 20, 0), 255);
  EXPECT_EQ(copy.at(0, 0, 0), 0);
}

TEST(PatternTrim, OneColouredPixelKeepsThreePlanes) {
  std::vector<uint8_t> pixels = DiscPattern(16, 9);
  pixels[(8 * 16 + 8) * 3 + 1] = 7;
  PatternCopy copy = CopyOf(pixels, 16, 16);
  ASSERT_TRUE(TrimPattern(&copy));
  EXPECT_EQ(copy.planes, 3);
  EXPECT_EQ(copy.width, 9);
  EXPECT_EQ(copy.at(4, 4, 1), 7);
  EXPECT_EQ(copy.at(4, 4, 0), 255);
}

TEST(PatternTrim, SingleChannelContentIsTrimmedToThatChannel) {
  std::vector<uint8_t> pixels(10 * 8 * 3, 0);
  // Stored byte 0 is engine channel 2.
  pixels[(2 * 10 + 3) * 3 + 0] = 50;
  pixels[(5 * 10 + 6) * 3 + 0] = 60;
  PatternCopy copy = CopyOf(pixels, 10, 8);
  ASSERT_TRUE(TrimPattern(&copy));
  EXPECT_EQ(copy.width, 4);
  EXPECT_EQ(copy.height, 4);
  EXPECT_EQ(copy.planes, 3);
  EXPECT_EQ(copy.at(0, 0, 2), 50);
  EXPECT_EQ(copy.at(3, 3, 2), 60);
  EXPECT_EQ(copy.at(3, 3, 0), 0);
}

TEST(PatternTrim, ChannelOrderFollowsTheOrderFlag) {
  const std::vector<uint8_t> pixel = {10, 20, 30};
  PatternCopy reversed = CopyOf(pixel, 1, 1);
  EXPECT_EQ(reversed.at(0, 0, 0), 30);
  EXPECT_EQ(reversed.at(0, 0, 1), 20);
  EXPECT_EQ(reversed.at(0, 0, 2), 10);
  // Four planes with the flag set: the last three bytes in stored order.
  const std::vector<uint8_t> wide = {99, 10, 20, 30};
  PatternCopy stored = CopyOf(wide, 1, 1, 4, 1);
  EXPECT_EQ(stored.planes, 3);
  EXPECT_EQ(stored.at(0, 0, 0), 10);
  EXPECT_EQ(stored.at(0, 0, 2), 30);
}

TEST(PatternTrim, AllZeroPatternIsRefusedAndLeftAlone) {
  PatternCopy copy = CopyOf(std::vector<uint8_t>(12 * 12 * 3, 0), 12, 12);
  EXPECT_FALSE(TrimPattern(&copy));
  EXPECT_EQ(copy.width, 12);
  EXPECT_EQ(copy.height, 12);
}

DepthLevels Levels(int large, int max_blur, int focus, int pw = 100, int ph = 100) {
  DepthLevels levels;
  EXPECT_TRUE(PrepareLevels(large, max_blur, 1, focus, pw, ph, &levels));
  return levels;
}

TEST(DepthLevels, TenLargeLevelsForBlur24) {
  const DepthLevels levels = Levels(10, 24, 128);
  ASSERT_EQ(levels.levels.size(), 20u);
  const int widths[] = {2, 4, 6, 9, 11, 14, 16, 19, 21, 24};
  const double diameters[] = {2, 4.444, 6.889, 9.333, 11.778, 14.222, 16.667, 19.111, 21.556, 24};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(levels.levels[10 + i].width, widths[i]) << i;
    EXPECT_EQ(levels.levels[10 + i].height, widths[i]) << i;
    EXPECT_NEAR(levels.levels[10 + i].diameter, diameters[i], 0.001) << i;
  }
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(levels.levels[i].width, 1);
    EXPECT_DOUBLE_EQ(levels.levels[i].diameter, 0.09375 * i);
  }

  // depth → level, symmetric around the focus.
  auto expect_range = [&](int lo, int hi, int level) {
    for (int d = lo; d <= hi; ++d) {
      EXPECT_EQ(levels.depth_to_level[d], level) << "depth " << d;
      EXPECT_EQ(levels.depth_to_level[256 - d], level) << "depth " << 256 - d;
    }
  };
  EXPECT_EQ(levels.depth_to_level[128], 0);
  for (int k = 1; k <= 8; ++k) expect_range(128 - k, 128 - k, k);
  expect_range(113, 119, 9);
  expect_range(94, 112, 10);
  expect_range(68, 93, 11);
  expect_range(42, 67, 12);
  expect_range(16, 41, 13);
  expect_range(1, 15, 14);
  EXPECT_EQ(levels.depth_to_level[0], 14);
  for (int level : levels.depth_to_level) EXPECT_LT(level, 15);
}

TEST(DepthLevels, FocusZeroUsesEveryLevel) {
  const DepthLevels levels = Levels(10, 24, 0);
  for (int d = 243; d <= 255; ++d) EXPECT_EQ(levels.depth_to_level[d], 19) << d;
  EXPECT_EQ(levels.depth_to_level[0], 0);
}

TEST(DepthLevels, WidePatternKeepsItsAspect) {
  const DepthLevels levels = Levels(10, 24, 128, 100, 50);
  const int heights[] = {2, 2, 3, 4, 5, 7, 8, 9, 10, 12};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(levels.levels[10 + i].height, heights[i]) << i;
}

TEST(DepthLevels, TwoLargeLevelsAreFullSizeAndNeverNearEnough) {
  const DepthLevels levels = Levels(2, 24, 128);
  EXPECT_EQ(levels.levels[10].width, 24);
  EXPECT_EQ(levels.levels[11].diameter, 24.0);
  for (int level : levels.depth_to_level) EXPECT_LE(level, 9);
}

TEST(DepthLevels, SmallLevelsCanHideTheFirstLargeLevel) {
  const DepthLevels levels = Levels(10, 100, 128);
  for (int level : levels.depth_to_level) EXPECT_NE(level, 10);
  EXPECT_EQ(levels.depth_to_level[128 - 5], 5);
  EXPECT_EQ(levels.depth_to_level[128 + 6], 6);
}

TEST(DepthLevels, TiesPickTheLowerLevel) {
  // Blur 256, 3 large levels: diameters 0, 1, .., 9 then 2, 129, 256. Depth
  // distance 2 wants exactly 2, which small level 2 and large level 10 share.
  const DepthLevels levels = Levels(3, 256, 128, 256, 256);
  EXPECT_DOUBLE_EQ(levels.levels[10].diameter, 2.0);
  EXPECT_EQ(levels.depth_to_level[130], 2);
  EXPECT_EQ(levels.depth_to_level[126], 2);
}

TEST(DepthLevels, RefusesDegenerateSizes) {
  DepthLevels levels;
  EXPECT_FALSE(PrepareLevels(10, 1, 1, 128, 100, 100, &levels));
  EXPECT_FALSE(PrepareLevels(10, 0, 1, 128, 100, 100, &levels));
  EXPECT_FALSE(PrepareLevels(0, 24, 1, 128, 100, 100, &levels));
  EXPECT_FALSE(PrepareLevels(10, -5, 1, 128, 100, 100, &levels));
  EXPECT_TRUE(levels.levels.empty());
}

TEST(DepthLevels, ManyLargeLevelsStayInsideTheirArrays) {
  const DepthLevels levels = Levels(128, 200, 128, 200, 200);
  ASSERT_EQ(levels.levels.size(), 138u);
  EXPECT_EQ(levels.levels.back().width, 200);
  for (int level : levels.depth_to_level) EXPECT_LT(level, 138);
  const DepthLevels huge = Levels(1 << 30, 50, 0, 50, 50);
  EXPECT_EQ(huge.levels.size(), static_cast<size_t>(kSmallLevels + kMaxLargeLevels));
}

}  // namespace
}  // namespace ulvo::testing
