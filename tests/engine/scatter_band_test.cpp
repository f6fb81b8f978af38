// The scatter (clipping, occlusion) and the band output (normalisation,
// byte order, band movement).
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/render_driver.h"
#include "src/engine/scatter.h"
#include "src/engine/tone_curve.h"

namespace ulvo::testing {
namespace {

// A square kernel of ones (colour) and twos (weight) with whole-row spans.
struct FlatKernel {
  explicit FlatKernel(int size)
      : colour(size * size, 1000), weight(size * size, 2), first(size, 0), last(size, size - 1) {
    level.width = level.height = size;
    level.diameter = static_cast<float>(size);
    level.span_first = first.data();
    level.span_last = last.data();
  }
  std::vector<uint32_t> colour, weight;
  std::vector<int32_t> first, last;
  ScatterLevel level;
};

struct SmallBand {
  SmallBand(int w, int h) : width(w), height(h), colour(w * h, 0), weight(w * h, 0) {
    target.colour = colour.data();
    target.weight = weight.data();
    target.image_width = w;
    target.image_height = h;
    target.band_rows = h;
  }
  uint64_t at(int x, int y) const { return colour[y * width + x]; }
  int width, height;
  std::vector<uint64_t> colour, weight;
  BandTarget target;
};

TEST(Scatter, CornerPixelAddsOnlyTheQuarterInsideTheImage) {
  FlatKernel k(5);
  SmallBand band(4, 4);
  ScatterPixel(k.level, k.colour.data(), k.weight.data(), band.target, DepthView{}, 0, 0);
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x) EXPECT_EQ(band.at(x, y), x <= 2 && y <= 2 ? 1000u : 0u) << x << y;
  }
  EXPECT_EQ(std::accumulate(band.weight.begin(), band.weight.end(), uint64_t{0}), 18u);
}

TEST(Scatter, WithoutDepthTheKernelIsAddedAsItIs) {
  FlatKernel k(3);
  for (size_t i = 0; i < k.colour.size(); ++i) k.colour[i] = 10 * static_cast<uint32_t>(i) + 1;
  SmallBand band(5, 5);
  ScatterPixel(k.level, k.colour.data(), k.weight.data(), band.target, DepthView{}, 2, 2);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      EXPECT_EQ(band.at(1 + c, 1 + r), k.colour[r * 3 + c]);
      EXPECT_EQ(band.weight[(1 + r) * 5 + 1 + c], 2u);
    }
  }
}

TEST(Scatter, OnePixelKernelAddsOneValue) {
  uint32_t colour = 77, weight = 5;
  int32_t span = 0;
  ScatterLevel level;
  level.span_first = level.span_last = &span;
  SmallBand band(3, 3);
  ScatterPixel(level, &colour, &weight, band.target, DepthView{}, 2, 1);
  EXPECT_EQ(band.at(2, 1), 77u);
  EXPECT_EQ(band.weight[1 * 3 + 2], 5u);
  EXPECT_EQ(std::accumulate(band.colour.begin(), band.colour.end(), uint64_t{0}), 77u);
}

TEST(Scatter, SpansSkipTheApertureCorners) {
  FlatKernel k(3);
  k.first = {1, 0, 1};
  k.last = {1, 2, 1};
  SmallBand band(3, 3);
  ScatterPixel(k.level, k.colour.data(), k.weight.data(), band.target, DepthView{}, 1, 1);
  EXPECT_EQ(band.at(0, 0), 0u);
  EXPECT_EQ(band.at(1, 0), 1000u);
  EXPECT_EQ(band.at(0, 1), 1000u);
  EXPECT_EQ(band.at(2, 2), 0u);
}

TEST(Scatter, OcclusionDimsOnlyClearlyNearerTargetsAwayFromTheCentre) {
  FlatKernel k(7);
  SmallBand band(7, 7);
  std::vector<uint8_t> depth(49, 6);  // the source at (3, 3) has depth 6
  auto set_depth = [&](int x, int y, uint8_t d) { depth[y * 7 + x] = d; };
  set_depth(0, 3, 1);  // exactly 5 nearer, squared distance 9: kept
  set_depth(0, 0, 0);  // 6 nearer, squared distance 18: dimmed
  set_depth(2, 1, 0);  // 6 nearer, squared distance 5: dimmed
  set_depth(1, 3, 0);  // squared distance 4: kept
  set_depth(4, 4, 0);  // squared distance 2: kept
  DepthView view{depth.data(), 1, 7};
  ScatterPixel(k.level, k.colour.data(), k.weight.data(), band.target, view, 3, 3);
  EXPECT_EQ(band.at(0, 3), 1000u);
  EXPECT_EQ(band.at(1, 3), 1000u);
  EXPECT_EQ(band.at(4, 4), 1000u);
  EXPECT_EQ(band.at(3, 3), 1000u);
  // ((1 − distance / diameter) × (t + 5) / (source − t))²
  auto dimmed = [](float distance2) {
    const float f = (1.0f - std::sqrt(distance2) / 7.0f) * 5.0f / 6.0f;
    return static_cast<uint64_t>(1000.0 * (f * f));
  };
  EXPECT_EQ(band.at(0, 0), dimmed(18.0f));
  EXPECT_EQ(band.at(2, 1), dimmed(5.0f));
  EXPECT_LT(band.at(0, 0), band.at(2, 1));
  EXPECT_LT(band.at(2, 1), 1000u);
  // The weight is never dimmed.
  for (uint64_t w : band.weight) EXPECT_EQ(w, 2u);
}

TEST(Scatter, RowsOutsideTheBandAreReportedAndDropped) {
  FlatKernel k(3);
  SmallBand band(4, 2);
  band.target.image_height = 10;
  band.target.out_y = 5;  // band holds image rows 5 and 6
  ::testing::internal::CaptureStdout();
  ScatterPixel(k.level, k.colour.data(), k.weight.data(), band.target, DepthView{}, 1, 5);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Internal Error");
  EXPECT_EQ(band.at(1, 0), 1000u);  // row 5
  EXPECT_EQ(band.at(1, 1), 1000u);  // row 6
}

TEST(SkipRule, SmallDiametersAlwaysLargeOnesOnTheGrid) {
  EXPECT_TRUE(ScatteredUnderSkip(1, 2, 3, 4.5));
  EXPECT_FALSE(ScatteredUnderSkip(1, 3, 3, 4.6));
  EXPECT_FALSE(ScatteredUnderSkip(3, 1, 3, 4.6));
  EXPECT_TRUE(ScatteredUnderSkip(3, 6, 3, 4.6));
  EXPECT_TRUE(ScatteredUnderSkip(1, 1, 1, 200.0));
}

TEST(BandRows, WholeRegionUpTo512ThenTwicePatternAtLeast256) {
  EXPECT_EQ(BandRows(512, 100), 512);
  EXPECT_EQ(BandRows(513, 100), 256);
  EXPECT_EQ(BandRows(513, 200), 400);
  EXPECT_EQ(BandRows(5, 100), 5);
}

struct FlushFixture : ::testing::Test {
  void SetUp() override {
    BufferAllocator allocator;
    ASSERT_TRUE(AllocateBand(3, 2, false, allocator, &band));
    output.assign(4 * 2 * 3, 9);
    target.base = output.data();
    target.row_stride = 2 * 3;
    settings.hardness = 1.0;
    settings.image_width = 2;
    settings.image_height = 4;
  }
  void Set(int plane, int row, int x, uint64_t v) { band.plane(plane)[row * 2 + x] = v; }
  Band band;
  std::vector<uint8_t> output;
  OutputTarget target;
  FlushSettings settings;
};

TEST_F(FlushFixture, WritesToneMappedBytesInOutputOrderAndMovesTheBand) {
  Set(0, 0, 0, 10000000);          // channel 0 → 79, written to byte 2
  Set(2, 0, 0, 100000000);         // channel 2 → 173, written to byte 0
  Set(1, 0, 1, 4000000000000ull);  // far above white → 255
  Set(0, 1, 0, 123);               // row 1 moves up
  Set(3, 1, 0, 456);
  ASSERT_TRUE(FlushRows(band, target, settings, 1, 1));
  EXPECT_EQ(output[6 + 0], 173);
  EXPECT_EQ(output[6 + 1], 0);  // nothing reached it
  EXPECT_EQ(output[6 + 2], 79);
  EXPECT_EQ(output[6 + 4], 255);
  EXPECT_EQ(output[0], 9);  // other rows untouched
  EXPECT_EQ(output[12], 9);
  EXPECT_EQ(band.plane(0)[0], 123u);
  EXPECT_EQ(band.plane(3)[0], 456u);
  EXPECT_EQ(band.plane(0)[2 * 2], 0u);
}

TEST_F(FlushFixture, OrderFlagWritesTheLastThreeBytesInPlaneOrder) {
  std::vector<uint8_t> wide(4 * 2 * 4, 9);
  target.base = wide.data();
  target.pixel_stride = 4;
  target.row_stride = 8;
  target.order_flag = 1;
  Set(0, 0, 0, 10000000);
  ASSERT_TRUE(FlushRows(band, target, settings, 0, 1));
  EXPECT_EQ(wide[0], 9);
  EXPECT_EQ(wide[1], 79);
  EXPECT_EQ(wide[3], 0);
}

TEST_F(FlushFixture, NormalisesPartlyCoveredPositionsOnly) {
  settings.reference_weight = 1000;
  Set(0, 0, 0, 10000000);
  Set(3, 0, 0, 500);  // half covered: doubled
  Set(0, 0, 1, 10000000);
  Set(3, 0, 1, 1050);  // 5 % above full coverage: kept
  ASSERT_TRUE(FlushRows(band, target, settings, 0, 1));
  EXPECT_EQ(output[2], InverseTone(20000000, 1.0));
  EXPECT_EQ(output[5], 79);

  Set(0, 0, 0, 10000000);
  Set(3, 0, 0, 9);  // under 1 %: left as it is
  ASSERT_TRUE(FlushRows(band, target, settings, 0, 1));
  EXPECT_EQ(output[2], 79);
}

TEST_F(FlushFixture, MoreRowsThanTheBandWritesTheBandAndClearsIt) {
  for (int r = 0; r < 3; ++r) Set(1, r, 0, 10000000);
  ASSERT_TRUE(FlushRows(band, target, settings, 0, 10));
  for (int r = 0; r < 3; ++r) EXPECT_EQ(output[r * 6 + 1], 79) << r;
  EXPECT_EQ(output[3 * 6 + 1], 9);
  for (int p = 0; p < 4; ++p) {
    for (int i = 0; i < 6; ++i) EXPECT_EQ(band.plane(p)[i], 0u);
  }
}

TEST_F(FlushFixture, RefusesWhatCannotBeWritten) {
  Set(0, 0, 0, 5);
  EXPECT_FALSE(FlushRows(band, target, settings, 0, 0));
  target.pixel_stride = 2;
  EXPECT_FALSE(FlushRows(band, target, settings, 0, 1));
  target.pixel_stride = 3;
  EXPECT_FALSE(FlushRows(band, target, settings, 4, 1));  // past the last image row
  band.planes[2].reset();
  EXPECT_FALSE(FlushRows(band, target, settings, 0, 1));
  EXPECT_EQ(band.plane(0)[0], 5u);
  EXPECT_EQ(output, std::vector<uint8_t>(24, 9));
}

}  // namespace
}  // namespace ulvo::testing
