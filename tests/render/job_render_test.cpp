// Renders of the filter's picture with 16-bit samples: the depth in a
// four-plane picture's extra plane, rounded to 8 bits, and a region of the
// picture rendered into the same rectangle of the result.
#include "src/render/job_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "tests/support/apertures.h"

namespace ulvo {
namespace {

constexpr int kWidth = 40;
constexpr int kHeight = 30;

// 16-bit colour noise and depth in blocks: depth 10 + 8 b for block b, as
// 16-bit samples that round to it but whose high byte is one less
// (257 d − 120), so that taking the high byte would render other depths.
struct Picture16 {
  std::vector<uint16_t> colour;  // 3 samples a pixel, blue, green, red
  std::vector<uint8_t> depth;    // the depth each pixel's sample stands for
  std::vector<uint16_t> depthSamples;
};

Picture16 MakePicture() {
  Picture16 p;
  std::mt19937 random(17);
  p.colour.resize(static_cast<size_t>(kWidth) * kHeight * 3);
  for (auto& sample : p.colour) sample = static_cast<uint16_t>(random() & 0xffff);
  p.depth.resize(static_cast<size_t>(kWidth) * kHeight);
  p.depthSamples.resize(p.depth.size());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const size_t at = static_cast<size_t>(y) * kWidth + x;
      const int d = 10 + 8 * ((x / 7 + y / 6) % 14);
      p.depth[at] = static_cast<uint8_t>(d);
      p.depthSamples[at] = static_cast<uint16_t>(257 * d - 120);
    }
  }
  return p;
}

std::vector<uint8_t> Bytes(const std::vector<uint16_t>& samples, int perPixel, int rowBytes) {
  std::vector<uint8_t> bytes(static_cast<size_t>(rowBytes) * kHeight, 0);
  for (int y = 0; y < kHeight; ++y) {
    std::memcpy(bytes.data() + static_cast<size_t>(y) * rowBytes,
                samples.data() + static_cast<size_t>(y) * kWidth * perPixel,
                static_cast<size_t>(kWidth) * perPixel * 2);
  }
  return bytes;
}

struct Rendered {
  RenderOutcome outcome;
  std::vector<uint8_t> target;
};

Rendered Render(const RenderSource& source, const DisplayRegion& region) {
  static const std::vector<uint8_t> pattern = DiscPattern(15, 13);
  RenderValues values;
  values.max_blur = 13;
  values.focus_depth = 128;
  values.sample_bits = 16;
  Rendered r;
  const int stride = kWidth * 6 + 4;
  r.target.assign(static_cast<size_t>(stride) * kHeight, 9);
  r.outcome = RenderJobRegion(source, RenderPattern{pattern.data(), 15, 15, 45}, values, region,
                              RenderTarget{r.target.data(), stride}, nullptr);
  return r;
}

// A four-plane picture (depth, blue, green, red) renders as the colour
// alone with its depth, rounded to 8 bits, given as a plane of its own.
TEST(JobRender16, ExtraPlaneDepthIsTheSampleRoundedToEightBits) {
  const Picture16 p = MakePicture();
  std::vector<uint16_t> four(static_cast<size_t>(kWidth) * kHeight * 4);
  for (size_t i = 0; i < p.depth.size(); ++i) {
    four[i * 4] = p.depthSamples[i];
    std::copy_n(&p.colour[i * 3], 3, &four[i * 4 + 1]);
  }
  const std::vector<uint8_t> fourBytes = Bytes(four, 4, kWidth * 8 + 2);
  const std::vector<uint8_t> threeBytes = Bytes(p.colour, 3, kWidth * 6);
  const RenderSource withPlane{fourBytes.data(), 4, kWidth * 8 + 2, kWidth, kHeight, nullptr, 0};
  const RenderSource separate{threeBytes.data(), 3,     kWidth * 6, kWidth, kHeight,
                              p.depth.data(),    kWidth};
  const DisplayRegion whole{0, 0, kWidth, kHeight};
  const Rendered a = Render(withPlane, whole);
  const Rendered b = Render(separate, whole);
  ASSERT_EQ(a.outcome.status, RenderStatus::kDone);
  ASSERT_EQ(b.outcome.status, RenderStatus::kDone);
  EXPECT_EQ(a.target, b.target);

  // The high bytes are other depths and another picture.
  std::vector<uint8_t> highBytes(p.depth.size());
  for (size_t i = 0; i < p.depth.size(); ++i) highBytes[i] = p.depthSamples[i] >> 8;
  const RenderSource truncated{threeBytes.data(), 3,     kWidth * 6, kWidth, kHeight,
                               highBytes.data(),  kWidth};
  EXPECT_NE(Render(truncated, whole).target, a.target);
}

// A region renders into the same rectangle of the result, from the same
// 16-bit samples as a picture of the region alone, and nothing else of the
// result is touched.
TEST(JobRender16, RegionRendersIntoItsRectangleOnly) {
  const Picture16 p = MakePicture();
  std::vector<uint16_t> four(static_cast<size_t>(kWidth) * kHeight * 4);
  for (size_t i = 0; i < p.depth.size(); ++i) {
    four[i * 4] = p.depthSamples[i];
    std::copy_n(&p.colour[i * 3], 3, &four[i * 4 + 1]);
  }
  const int rowBytes = kWidth * 8;
  const std::vector<uint8_t> bytes = Bytes(four, 4, rowBytes);
  const RenderSource source{bytes.data(), 4, rowBytes, kWidth, kHeight, nullptr, 0};
  const DisplayRegion region{5, 7, 21, 16};
  const Rendered part = Render(source, region);
  ASSERT_EQ(part.outcome.status, RenderStatus::kDone);

  // The region's own pixels as a picture of their own, at the origin.
  const RenderSource cut{bytes.data() + static_cast<size_t>(rowBytes) * region.bottom +
                             static_cast<size_t>(8) * region.left,
                         4,
                         rowBytes,
                         region.width,
                         region.height,
                         nullptr,
                         0};
  const Rendered alone = Render(cut, DisplayRegion{0, 0, region.width, region.height});
  const int stride = kWidth * 6 + 4;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < stride; ++x) {
      const size_t at = static_cast<size_t>(y) * stride + x;
      const int column = x / 6;
      const bool inside = y >= region.bottom && y < region.bottom + region.height &&
                          column >= region.left && column < region.left + region.width &&
                          x < kWidth * 6;
      if (!inside) {
        ASSERT_EQ(part.target[at], 9) << "row " << y << " byte " << x;
        continue;
      }
      const size_t fromAlone = static_cast<size_t>(y - region.bottom) * stride +
                               static_cast<size_t>(x - region.left * 6);
      ASSERT_EQ(part.target[at], alone.target[fromAlone]) << "row " << y << " byte " << x;
    }
  }
}

}  // namespace
}  // namespace ulvo
