#include "tools/ulvofilter/render_job.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>

#include "src/render/render_regions.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/progress_bar.h"

namespace ulvo {
namespace {

constexpr int kFar = 200;
constexpr int kNear = 50;

// An RGB + depth image filled with one colour and depth.
Image Flat(int width, int height, uint8_t value, uint8_t depth) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < image.pixels.size(); i += 4) {
    image.pixels[i] = image.pixels[i + 1] = image.pixels[i + 2] = value;
    image.pixels[i + 3] = depth;
  }
  return image;
}

void Set(Image& image, int x, int y, uint8_t value, uint8_t depth) {
  uint8_t* p = image.row(y) + x * image.channels;
  p[0] = p[1] = p[2] = value;
  p[3] = depth;
}

uint8_t Red(const Image& image, int x, int y) {
  return image.row(y)[x * image.channels];
}

RenderRequest Focused(int maxBlur) {
  RenderRequest r;
  r.values.focus_depth = kNear;
  r.values.max_blur = maxBlur;
  return r;
}

bool Render(Image& image, const PatternBitmap& pattern, const RenderRequest& request,
            const DepthPlane* plane = nullptr) {
  RenderReport report;
  std::string error;
  const bool ok = RenderImage(image, plane, pattern, request, nullptr, report, error);
  EXPECT_TRUE(ok) << error;
  return ok;
}

TEST(RenderJob, InFocusDetailFarFromBlurComesBackUnchanged) {
  // A fine checkerboard in focus in the middle of a blurred background.
  Image image = Flat(120, 90, 60, kFar);
  for (int y = 20; y < 70; ++y)
    for (int x = 30; x < 90; ++x) Set(image, x, y, ((x + y) % 2) ? 230 : 20, kNear);
  const Image source = image;
  ASSERT_TRUE(Render(image, DefaultPattern(), Focused(16)));
  for (int y = 30; y < 60; ++y)
    for (int x = 40; x < 80; ++x)
      ASSERT_NEAR(Red(image, x, y), Red(source, x, y), 1) << x << "," << y;
  // The depth channel is carried through unchanged.
  for (size_t i = 3; i < image.pixels.size(); i += 4) ASSERT_EQ(image.pixels[i], source.pixels[i]);
}

// Pixels clearly brighter than the background after rendering one light.
std::vector<std::pair<int, int>> LitPixels(const Image& image, int threshold) {
  std::vector<std::pair<int, int>> lit;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      if (Red(image, x, y) > threshold) lit.emplace_back(x, y);
  return lit;
}

TEST(RenderJob, LightBehindTheFocusPlaneBecomesADisc) {
  Image image = Flat(101, 101, 10, kFar);
  Set(image, 50, 50, 255, kFar);
  ASSERT_TRUE(Render(image, DefaultPattern(), Focused(24)));
  const auto lit = LitPixels(image, 14);
  ASSERT_GT(lit.size(), 50u);
  int minX = 1000, maxX = -1, minY = 1000, maxY = -1;
  for (auto [x, y] : lit) {
    minX = std::min(minX, x), maxX = std::max(maxX, x);
    minY = std::min(minY, y), maxY = std::max(maxY, y);
  }
  const int w = maxX - minX + 1, h = maxY - minY + 1;
  EXPECT_NEAR(w, h, 2);
  EXPECT_NEAR((minX + maxX) / 2.0, 50, 1.0);
  EXPECT_NEAR((minY + maxY) / 2.0, 50, 1.0);
  EXPECT_GE(w, 10);
  // Round, not square: the middles of the bounding box's sides are lit, its
  // corners are not.
  const auto lit_at = [&](int x, int y) { return Red(image, x, y) > 14; };
  const int cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
  EXPECT_TRUE(lit_at(cx, minY) && lit_at(cx, maxY) && lit_at(minX, cy) && lit_at(maxX, cy));
  EXPECT_FALSE(lit_at(minX, minY) || lit_at(maxX, minY) || lit_at(minX, maxY) ||
               lit_at(maxX, maxY));
}

TEST(RenderJob, ApertureIsUprightInTheResult) {
  // A pattern whose opening is only in its upper half (file rows on top).
  Image half = DrawAperture(ApertureShape::kDisc, 64);
  for (int y = 32; y < 64; ++y)
    for (int x = 0; x < 64; ++x) half.row(y)[x] = 0;
  Image image = Flat(101, 101, 10, kFar);
  Set(image, 50, 50, 255, kFar);
  ASSERT_TRUE(Render(image, ToPatternBitmap(half), Focused(30)));
  // The highlight is the half disc centred on the light: its round side on
  // top, its straight edge at the bottom.
  std::vector<int> widths(101, 0);
  for (auto [x, y] : LitPixels(image, 14)) ++widths[static_cast<size_t>(y)];
  int top = 0, bottom = 100;
  while (top < 100 && widths[static_cast<size_t>(top)] == 0) ++top;
  while (bottom > 0 && widths[static_cast<size_t>(bottom)] == 0) --bottom;
  ASSERT_GT(bottom - top, 5);
  EXPECT_LT(widths[static_cast<size_t>(top)] + 4, widths[static_cast<size_t>(bottom)]);
}

TEST(RenderJob, BackgroundLightDoesNotSpillOverANearerObject) {
  // A near grey object in focus with bright far lights just beside its edge.
  Image image = Flat(120, 80, 10, kFar);
  for (int y = 10; y < 70; ++y)
    for (int x = 40; x < 120; ++x) Set(image, x, y, 100, kNear);
  for (int y = 20; y < 60; y += 4) Set(image, 36, y, 255, kFar);
  ASSERT_TRUE(Render(image, DefaultPattern(), Focused(24)));
  // The lights bloom to the left ...
  EXPECT_GT(Red(image, 30, 40), 20);
  // ... but inside the object, a few pixels from its edge, it stays as it was.
  int worst = 0;
  for (int y = 15; y < 65; ++y)
    for (int x = 41; x < 60; ++x) worst = std::max(worst, std::abs(Red(image, x, y) - 100));
  EXPECT_LE(worst, 3);
}

TEST(RenderJob, EveryDepthSourceGivesTheSameResult) {
  // The same scene with its depth in a fourth channel, in a separate plane,
  // and in a grey image: the renders must agree exactly.
  Image withDepth = Flat(90, 70, 30, kFar);
  for (int y = 0; y < 70; ++y)
    for (int x = 0; x < 90; ++x)
      Set(withDepth, x, y, static_cast<uint8_t>(x * 2 + y),
          static_cast<uint8_t>(x < 45 ? kNear : kFar - y));
  Set(withDepth, 70, 20, 255, kFar);

  Image rgb;
  rgb.width = 90;
  rgb.height = 70;
  rgb.channels = 3;
  Image grey = rgb;
  grey.channels = 1;
  for (size_t i = 0; i < 90 * 70; ++i) {
    rgb.pixels.insert(rgb.pixels.end(), withDepth.pixels.begin() + 4 * i,
                      withDepth.pixels.begin() + 4 * i + 3);
    grey.pixels.push_back(withDepth.pixels[4 * i + 3]);
  }
  DepthPlane plane;
  std::string error;
  ASSERT_TRUE(DepthPlaneFromImage(grey, plane, error));

  const RenderRequest request = Focused(20);
  ASSERT_TRUE(Render(withDepth, DefaultPattern(), request));
  ASSERT_TRUE(Render(rgb, DefaultPattern(), request, &plane));
  for (size_t i = 0; i < 90 * 70; ++i)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(rgb.pixels[3 * i + c], withDepth.pixels[4 * i + c]) << i;
}

TEST(RenderJob, RegionRendersOnlyThatRectangle) {
  Image image = Flat(80, 60, 10, kFar);
  for (int y = 0; y < 60; y += 6)
    for (int x = 0; x < 80; x += 6) Set(image, x, y, 250, kFar);
  const Image source = image;
  RenderRequest request = Focused(12);
  DisplayRegion region;
  std::string error;
  ASSERT_TRUE(RegionFromTop({20, 10, 30, 25}, 80, 60, region, error)) << error;
  request.region = region;
  ASSERT_TRUE(Render(image, DefaultPattern(), request));
  int changedInside = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 80; ++x) {
      const bool inside = x >= 20 && x < 50 && y >= 10 && y < 35;
      if (!inside) {
        ASSERT_EQ(Red(image, x, y), Red(source, x, y)) << x << "," << y;
      } else if (Red(image, x, y) != Red(source, x, y)) {
        ++changedInside;
      }
    }
  }
  EXPECT_GT(changedInside, 300);
}

// The tool renders what the editor would: its single-precision hardness and
// brightness (checked at values a float cannot hold, which a miscompiled
// round trip would pass on unchanged) and its full run's fitted blur.
TEST(RenderJob, EditorValuesAreTheEditorsPrecisionAndFit) {
  RenderValues values;
  values.hardness = 1.3;
  values.brightness = 0.7;
  values.max_blur = 1000;
  values.focus_depth = 77;
  const PatternBitmap pattern = DefaultPattern();
  const RenderValues editor = EditorValues(values, pattern);
  EXPECT_EQ(editor.hardness, static_cast<double>(1.3f));
  EXPECT_NE(editor.hardness, 1.3);
  EXPECT_EQ(editor.brightness, static_cast<double>(0.7f));
  EXPECT_EQ(editor.max_blur, FitFullRunBlur(1000, pattern.width, pattern.height));
  EXPECT_LT(editor.max_blur, 1000);
  EXPECT_EQ(editor.focus_depth, 77);
}

// The tool's users count rows from the top, renders from the bottom; a
// rectangle reaching outside is named as the user gave it, however far out
// it lies.
TEST(RenderJob, RegionFromTopCountsRowsFromTheBottom) {
  DisplayRegion region;
  std::string error;
  ASSERT_TRUE(RegionFromTop({20, 10, 30, 25}, 80, 60, region, error)) << error;
  EXPECT_EQ(region.left, 20);
  EXPECT_EQ(region.bottom, 25);
  EXPECT_EQ(region.width, 30);
  EXPECT_EQ(region.height, 25);
  ASSERT_TRUE(RegionFromTop({0, 0, 80, 60}, 80, 60, region, error)) << error;
  EXPECT_EQ(region.bottom, 0);
  ASSERT_TRUE(RegionFromTop({79, 59, 1, 1}, 80, 60, region, error)) << error;
  EXPECT_EQ(region.bottom, 0);

  EXPECT_FALSE(RegionFromTop({0, 0, 0, 10}, 80, 60, region, error));
  EXPECT_EQ(error, "the region is empty");
  EXPECT_FALSE(RegionFromTop({70, 50, 20, 20}, 80, 60, region, error));
  EXPECT_EQ(error, "the region 70,50,20,20 does not lie inside the 80 x 60 image");
  EXPECT_FALSE(RegionFromTop({0, 2147483647, 10, 2147483647}, 80, 60, region, error));
  EXPECT_NE(error.find("0,2147483647,10,2147483647"), std::string::npos) << error;
  EXPECT_FALSE(RegionFromTop({-1, 0, 10, 10}, 80, 60, region, error));
}

TEST(RenderJob, BadInputsAndCancellationLeaveTheImageAlone) {
  Image image = Flat(200, 150, 90, kFar);
  Set(image, 100, 75, 255, kFar);
  const Image source = image;
  RenderReport report;
  std::string error;

  DepthPlane wrongSize;
  wrongSize.width = wrongSize.rowBytes = 10;
  wrongSize.height = 10;
  wrongSize.bottomUp.assign(100, 0);
  EXPECT_FALSE(
      RenderImage(image, &wrongSize, DefaultPattern(), Focused(20), nullptr, report, error));
  EXPECT_NE(error.find("depth map"), std::string::npos);

  PatternBitmap black = DefaultPattern();
  std::fill(black.pixels.begin(), black.pixels.end(), 0);
  EXPECT_FALSE(RenderImage(image, nullptr, black, Focused(20), nullptr, report, error));
  EXPECT_EQ(report.status, RenderStatus::kEmptyPattern);

  RenderRequest outside = Focused(20);
  outside.region = DisplayRegion{190, 0, 20, 20};
  EXPECT_FALSE(RenderImage(image, nullptr, DefaultPattern(), outside, nullptr, report, error));
  EXPECT_NE(error.find("190,130,20,20"), std::string::npos) << "named counted from the top";

  // A render large enough to report progress, cancelled as Ctrl-C does.
  std::atomic<bool> cancel{true};
  ProgressBar bar(stderr, false, &cancel);
  EXPECT_FALSE(RenderImage(image, nullptr, DefaultPattern(), Focused(20), &bar, report, error));
  EXPECT_EQ(report.status, RenderStatus::kCancelled);

  EXPECT_EQ(image.pixels, source.pixels);
}

TEST(RenderJob, PatternTooSmallToBlurLeavesTheImageAsItWas) {
  Image image = Flat(40, 30, 70, kFar);
  Set(image, 20, 15, 255, kFar);
  const Image source = image;
  Image dot;
  dot.width = dot.height = 2;
  dot.channels = 1;
  dot.pixels.assign(4, 255);
  RenderReport report;
  std::string error;
  ASSERT_TRUE(
      RenderImage(image, nullptr, ToPatternBitmap(dot), Focused(24), nullptr, report, error))
      << error;
  EXPECT_EQ(report.status, RenderStatus::kNoLevels);
  EXPECT_EQ(report.maxBlurUsed, 0);
  EXPECT_EQ(image.pixels, source.pixels);
}

}  // namespace
}  // namespace ulvo
