// The preview rectangle around a clicked pixel and the fit of the widest blur
// to the aperture pattern before a full run.
#include "src/render/render_regions.h"

#include <gtest/gtest.h>

#include <optional>

namespace ulvo {
namespace {

struct Rectangle {
  int left, bottom, width, height;
};

void ExpectRegion(const std::optional<DisplayRegion>& region, Rectangle want) {
  ASSERT_TRUE(region.has_value());
  EXPECT_EQ(region->left, want.left);
  EXPECT_EQ(region->bottom, want.bottom);
  EXPECT_EQ(region->width, want.width);
  EXPECT_EQ(region->height, want.height);
}

TEST(PreviewRegion, HalfTheSizeToEachSideCutAtThePictureEdges) {
  // Inside, on the left edge: columns 0..59, rows 250..349.
  ExpectRegion(PreviewRegion(10, 300, 100, 100, 640, 480), {0, 250, 60, 100});
  // Top-right corner pixel: columns 589..639, rows 429..479.
  ExpectRegion(PreviewRegion(639, 479, 100, 100, 640, 480), {589, 429, 51, 51});
  // Bottom edge; width and height are halved independently.
  ExpectRegion(PreviewRegion(320, 0, 40, 200, 640, 480), {300, 0, 40, 100});
  // Fully inside: exactly the preview size, the clicked pixel at its middle.
  ExpectRegion(PreviewRegion(320, 240, 100, 60, 640, 480), {270, 210, 100, 60});
  // An odd size is truncated to the even size below it.
  ExpectRegion(PreviewRegion(320, 240, 101, 101, 640, 480), {270, 190, 100, 100});
  // A preview larger than the picture covers all of it.
  ExpectRegion(PreviewRegion(5, 5, 1000, 1000, 20, 10), {0, 0, 20, 10});
  // Nothing when a half size comes out 0.
  EXPECT_FALSE(PreviewRegion(320, 240, 1, 100, 640, 480).has_value());
  EXPECT_FALSE(PreviewRegion(320, 240, 100, 1, 640, 480).has_value());
  EXPECT_FALSE(PreviewRegion(320, 240, 0, 0, 640, 480).has_value());
}

TEST(FitFullRunBlur, AboveThePatternsWidthThenItsHeightItShrinks) {
  EXPECT_EQ(FitFullRunBlur(63, 64, 40), 38);  // only the height bites
  EXPECT_EQ(FitFullRunBlur(63, 40, 64), 38);  // only the width bites
  EXPECT_EQ(FitFullRunBlur(200, 101, 101), 99);
  EXPECT_EQ(FitFullRunBlur(50, 30, 20), 18);  // width 28 first, then above 20 → 18
  EXPECT_EQ(FitFullRunBlur(26, 25, 30), 23);  // width - 2 is within the height
  EXPECT_EQ(FitFullRunBlur(24, 24, 24), 24);  // equal sides are not above
  EXPECT_EQ(FitFullRunBlur(8, 9, 9), 8);
}

}  // namespace
}  // namespace ulvo
