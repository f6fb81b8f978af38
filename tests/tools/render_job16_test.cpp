// Renders of 16-bit images: handed to the render library as 16-bit pictures
// in display order, written back at 16 bits, depth taken at 8 bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "src/render/render_regions.h"
#include "tests/support/test_images.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/render_job.h"

namespace ulvo {
namespace {

constexpr int kFar = 200;
constexpr int kNear = 50;

RenderRequest Focused(int maxBlur) {
  RenderRequest r;
  r.values.focus_depth = kNear;
  r.values.max_blur = maxBlur;
  return r;
}

bool Render(Image& image, const RenderRequest& request, const DepthPlane* plane = nullptr,
            const PatternBitmap& pattern = DefaultPattern()) {
  RenderReport report;
  std::string error;
  const bool ok = RenderImage(image, plane, pattern, request, nullptr, report, error);
  EXPECT_TRUE(ok) << error;
  return ok;
}

// An 8-bit scene with lights, a near block in focus and a far background;
// 46 pixels wide, so the render pads two columns. 4 channels: RGB + depth;
// 1 and 3: grey or RGB without depth; 2: grey + depth; 5: RGB, depth and a
// channel the render leaves alone.
Image Scene8(int channels = 4) {
  const int colours = channels >= 3 ? 3 : 1;
  return FilledImage(46, 34, channels, [colours](int x, int y, int c) {
    const bool light = (x * 7 + y * 3) % 13 == 0;
    const bool block = x > 10 && x < 24 && y > 8 && y < 22;
    if (c == colours) return static_cast<uint8_t>(block ? kNear : kFar - y);
    if (c > colours) return static_cast<uint8_t>(x * 5 + y);
    if (light) return static_cast<uint8_t>(250 - c * 10);
    return static_cast<uint8_t>(30 + x * 3 + c * 20);
  });
}

// The same scene at 16 bits with samples that are not multiples of 257.
Image Scene16() {
  Image image = Widened(Scene8());
  for (size_t i = 0; i < image.sampleCount(); ++i) {
    if (i % 4 != 3) image.setSample(i, static_cast<uint16_t>(image.sample(i) + (i * 37) % 200));
  }
  return image;
}

uint16_t Load16(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void Store16(uint8_t* p, uint16_t v) {
  std::memcpy(p, &v, 2);
}

// The render library's own 16-bit render of an RGB + depth image, its
// picture laid out as agreed: rows bottom-up, the width padded to a multiple
// of 4 pixels, each pixel depth, blue, green, red as native 16-bit samples,
// strides in bytes; the result in a 16-bit blue, green, red display that
// starts as a copy of the colours. Returns the top-down RGB result.
std::vector<uint16_t> LibraryRender(const Image& image, const RenderRequest& request) {
  const int W = image.width, H = image.height, padded = (W + 3) & ~3;
  const int rowBytes = padded * 4 * 2, displayStride = padded * 3 * 2;
  std::vector<uint8_t> pixels(static_cast<size_t>(rowBytes) * H, 0);
  std::vector<uint8_t> display(static_cast<size_t>(displayStride) * H, 0);
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const size_t s = (static_cast<size_t>(y) * W + x) * 4;
      uint8_t* p = pixels.data() + static_cast<size_t>(H - 1 - y) * rowBytes + x * 8;
      uint8_t* d = display.data() + static_cast<size_t>(H - 1 - y) * displayStride + x * 6;
      Store16(p, image.sample(s + 3));
      for (int c = 0; c < 3; ++c) {
        Store16(p + 2 + 2 * c, image.sample(s + 2 - c));
        Store16(d + 2 * c, image.sample(s + 2 - c));
      }
    }
  }
  const PatternBitmap pattern = DefaultPattern();
  RenderValues values = EditorValues(request.values, pattern);
  values.sample_bits = 16;
  const RenderSource source{pixels.data(), 4, rowBytes, padded, H, nullptr, 0};
  const RenderOutcome outcome = RenderJobRegion(
      source,
      RenderPattern{pattern.pixels.data(), pattern.width, pattern.height, pattern.rowStride},
      values, request.region.value_or(WholePicture(source)),
      RenderTarget{display.data(), displayStride}, nullptr);
  EXPECT_EQ(outcome.status, RenderStatus::kDone);
  std::vector<uint16_t> rgb;
  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const uint8_t* d = display.data() + static_cast<size_t>(H - 1 - y) * displayStride + x * 6;
      rgb.insert(rgb.end(), {Load16(d + 4), Load16(d + 2), Load16(d)});
    }
  }
  return rgb;
}

std::vector<uint16_t> Colours(const Image& image) {
  std::vector<uint16_t> rgb;
  for (size_t i = 0; i < image.sampleCount(); i += static_cast<size_t>(image.channels)) {
    for (int c = 0; c < 3; ++c) rgb.push_back(image.sample(i + static_cast<size_t>(c)));
  }
  return rgb;
}

TEST(RenderJob16, TheToolHandsTheRenderLibraryTheAgreedSixteenBitPicture) {
  RenderRequest whole = Focused(12);
  RenderRequest region = whole;
  DisplayRegion rectangle;
  std::string error;
  ASSERT_TRUE(RegionFromTop({5, 4, 30, 20}, 46, 34, rectangle, error)) << error;
  region.region = rectangle;
  for (const RenderRequest& request : {whole, region}) {
    SCOPED_TRACE(request.region ? "region" : "whole");
    Image image = Scene16();
    const std::vector<uint16_t> expected = LibraryRender(image, request);
    ASSERT_TRUE(Render(image, request));
    EXPECT_EQ(image.bits, 16);
    EXPECT_EQ(Colours(image), expected);
  }
}

TEST(RenderJob16, ResultAndKeptDepthStaySixteenBitsWhereNothingIsBlurred) {
  // A pattern too small to blur anything at any depth: the picture goes to
  // the render library and back unchanged, for every layout with a depth
  // channel. (Without depth the whole pattern is the one kernel, and even a
  // 2 x 2 one blurs.)
  Image dot;
  dot.width = dot.height = 2;
  dot.channels = 1;
  dot.pixels.assign(4, 255);
  const PatternBitmap tiny = ToPatternBitmap(dot);
  for (const int channels : {2, 4, 5}) {
    SCOPED_TRACE(channels);
    Image image = MakeImage16(23, 9, channels);
    const Image source = image;
    RenderReport report;
    std::string error;
    ASSERT_TRUE(RenderImage(image, nullptr, tiny, Focused(24), nullptr, report, error)) << error;
    EXPECT_EQ(report.status, RenderStatus::kNoLevels);
    EXPECT_EQ(image.bits, 16);
    EXPECT_EQ(image.pixels, source.pixels);
  }
}

TEST(RenderJob16, InvertedSixteenBitDepthRendersAsAnInvertedChannelDoes) {
  const Image scene = Scene16();
  Image flagged = scene;
  Image inverted = scene;
  for (size_t i = 3; i < inverted.sampleCount(); i += 4) {
    inverted.setSample(i, static_cast<uint16_t>(65535 - inverted.sample(i)));
  }
  RenderRequest request = Focused(10);
  request.values.focus_depth = 255 - kFar + 10;
  RenderRequest invert = request;
  invert.invertDepth = true;
  ASSERT_TRUE(Render(flagged, invert));
  ASSERT_TRUE(Render(inverted, request));
  EXPECT_EQ(Colours(flagged), Colours(inverted));
  // The depth channel is written back as the image holds it.
  for (size_t i = 3; i < flagged.sampleCount(); i += 4) {
    ASSERT_EQ(flagged.sample(i), scene.sample(i)) << i;
  }
}

TEST(RenderJob16, SixteenBitDepthMapsAreRoundedToEightBits) {
  const std::vector<uint16_t> depths = {0, 128, 129, 100 * 257 + 129, 100 * 257 - 128, 65535};
  const std::vector<uint8_t> rounded = {0, 0, 1, 101, 100, 255};
  for (const int channels : {1, 2}) {
    SCOPED_TRACE(channels);
    Image grey;
    grey.width = 3;
    grey.height = 2;
    grey.channels = channels;
    grey.bits = 16;
    grey.pixels.assign(grey.sampleCount() * 2, 0xee);
    for (size_t i = 0; i < depths.size(); ++i) grey.setSample(i * channels, depths[i]);
    DepthPlane plane;
    std::string error;
    ASSERT_TRUE(DepthPlaneFromImage(grey, plane, error)) << error;
    ASSERT_EQ(plane.width, 3);
    ASSERT_EQ(plane.height, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(plane.at(x, y), rounded[y * 3 + x]) << x << "," << y;
  }
  Image colour = MakeImage16(3, 2, 3);
  DepthPlane plane;
  std::string error;
  EXPECT_FALSE(DepthPlaneFromImage(colour, plane, error));
}

TEST(RenderJob16, ATimes257ImageRendersAsItsEightBitImage) {
  RenderRequest whole = Focused(12);
  RenderRequest region = whole;
  DisplayRegion rectangle;
  std::string error;
  ASSERT_TRUE(RegionFromTop({5, 4, 30, 20}, 46, 34, rectangle, error)) << error;
  region.region = rectangle;
  for (const int channels : {1, 2, 3, 4, 5}) {
    const size_t colours = channels >= 3 ? 3 : 1;
    for (const RenderRequest& request : {whole, region}) {
      SCOPED_TRACE(std::to_string(channels) + (request.region ? " region" : " whole"));
      Image eight = Scene8(channels);
      Image wide = Widened(eight);
      ASSERT_TRUE(Render(eight, request));
      ASSERT_TRUE(Render(wide, request));
      ASSERT_EQ(wide.bits, 16);
      int worst = 0;
      for (size_t i = 0; i < eight.sampleCount(); ++i) {
        if (i % static_cast<size_t>(channels) >= colours) {
          ASSERT_EQ(wide.sample(i), eight.pixels[i] * 257) << "extra channel kept, " << i;
        } else {
          worst = std::max(worst, std::abs((wide.sample(i) >> 8) - eight.pixels[i]));
        }
      }
      EXPECT_LE(worst, 1);
      EXPECT_NE(eight.pixels, Scene8(channels).pixels) << "the scene was blurred";
    }
  }
}

TEST(RenderJob16, ASmoothRampKeepsItsFineSteps) {
  // A grey ramp over 640 columns, all of it far behind the focus: blurred,
  // it stays a ramp with far more than 256 values.
  Image ramp;
  ramp.width = 640;
  ramp.height = 12;
  ramp.channels = 2;
  ramp.bits = 16;
  ramp.pixels.resize(ramp.sampleCount() * 2);
  for (int y = 0; y < ramp.height; ++y) {
    for (int x = 0; x < ramp.width; ++x) {
      const size_t i = (static_cast<size_t>(y) * ramp.width + x) * 2;
      ramp.setSample(i, static_cast<uint16_t>(x * 65535 / 639));
      ramp.setSample(i + 1, static_cast<uint16_t>(kFar * 257));
    }
  }
  Image blurred = ramp;
  ASSERT_TRUE(Render(blurred, Focused(8)));
  std::set<uint16_t> values;
  const size_t row = static_cast<size_t>(6) * ramp.width * 2;
  uint16_t previous = 0;
  for (int x = 20; x < 620; ++x) {
    const uint16_t v = blurred.sample(row + static_cast<size_t>(x) * 2);
    values.insert(v);
    // Rising, give or take the last bits, and near the ramp itself.
    EXPECT_GE(v + 64, previous) << x;
    EXPECT_LE(std::abs((v >> 8) - (ramp.sample(row + static_cast<size_t>(x) * 2) >> 8)), 8) << x;
    previous = v;
  }
  EXPECT_GT(values.size(), 256u);
}

TEST(RenderJob16, DepthFromASixteenBitChannelIsItsRoundedEightBitPlane) {
  const Image scene = Scene16();
  Image withChannel = scene;
  for (size_t i = 3; i < withChannel.sampleCount(); i += 4) {
    const int offset = static_cast<int>((i * 53) % 500) - 250;
    withChannel.setSample(i, static_cast<uint16_t>(withChannel.sample(i) + offset));
  }
  Image colour;
  colour.width = scene.width;
  colour.height = scene.height;
  colour.channels = 3;
  colour.bits = 16;
  Image depth = colour;
  depth.channels = 1;
  colour.pixels.resize(colour.sampleCount() * 2);
  depth.pixels.resize(depth.sampleCount() * 2);
  for (size_t p = 0; p < depth.sampleCount(); ++p) {
    for (int c = 0; c < 3; ++c) colour.setSample(p * 3 + c, withChannel.sample(p * 4 + c));
    depth.setSample(p, withChannel.sample(p * 4 + 3));
  }
  DepthPlane plane;
  std::string error;
  ASSERT_TRUE(DepthPlaneFromImage(depth, plane, error)) << error;
  ASSERT_TRUE(Render(withChannel, Focused(12)));
  ASSERT_TRUE(Render(colour, Focused(12), &plane));
  EXPECT_EQ(Colours(withChannel), Colours(colour));
}

}  // namespace
}  // namespace ulvo
