// Tone curve, kernel sets (area splat, Gaussian small levels, row spans) and
// the common kernel scale.
#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <vector>

#include "src/engine/kernel_set.h"
#include "src/engine/tone_curve.h"

namespace ulvo::testing {
namespace {

// A trimmed, packed grey pattern.
PatternCopy GreyPattern(int width, int height, const std::vector<uint8_t>& bytes) {
  PatternCopy p;
  p.planes = 1;
  p.width = width;
  p.height = height;
  p.bytes = std::make_unique<uint8_t[]>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), p.bytes.get());
  return p;
}

KernelSet Build(const PatternCopy& pattern, const KernelTone& tone, int width, int height,
                int level, double diameter = 0.0) {
  LevelGeometry geometry;
  geometry.width = width;
  geometry.height = height;
  geometry.diameter = diameter;
  BufferAllocator allocator;
  KernelSet set;
  EXPECT_TRUE(BuildLevelKernels(pattern, tone, geometry, level, allocator, &set));
  return set;
}

uint64_t CopyTotal(const KernelSet& set, int intensity, int plane = 0) {
  const uint32_t* copy = set.Copy(intensity, plane);
  return std::accumulate(copy, copy + static_cast<size_t>(set.width) * set.height, uint64_t{0});
}

TEST(ToneCurve, CurveFamiliesAndWhiteLight) {
  EXPECT_FALSE(UsesExponentialCurve(static_cast<float>(1.5)));
  EXPECT_TRUE(UsesExponentialCurve(static_cast<float>(1.6)));
  EXPECT_NEAR(ToneLight(255, 1.0), 30.56, 0.01);
  EXPECT_NEAR(ToneLight(255, 0.5), 4.93, 0.01);
  EXPECT_NEAR(ToneLight(255, 1.5), 189.3, 0.1);
  EXPECT_NEAR(ToneLight(255, 1.6), 631.0, 0.5);
  EXPECT_NEAR(ToneLight(135, 0.7), 0.796, 0.001);
  EXPECT_NEAR(ToneLight(0, 3.0), 0.01, 1e-12);
}

TEST(ToneCurve, InverseCurveValues) {
  EXPECT_EQ(InverseTone(10000000, 1.0), 79);
  EXPECT_EQ(InverseTone(100000000, 1.0), 173);
  EXPECT_EQ(InverseTone(500000, 1.7), 0);
  EXPECT_EQ(InverseTone(5000000, 1.7), 50);
  EXPECT_EQ(InverseTone(0, 1.0), 0);
  EXPECT_EQ(InverseTone(1e30, 1.0), 255);
  // The inverse of every intensity's light is that intensity (or one below).
  for (double a : {0.5, 1.0, 1.5, 1.6, 3.0, 6.0}) {
    for (int i = 1; i < 256; ++i) {
      const int back = InverseTone(ToneLight(i, a) * kLightUnit, a);
      EXPECT_TRUE(back == i || back == i - 1) << "a " << a << " i " << i << " -> " << back;
    }
  }
}

TEST(KernelSet, SinglePixelLevelCarriesTheWholeLight) {
  const PatternCopy pattern = GreyPattern(3, 3, {0, 200, 0, 200, 255, 200, 0, 200, 0});
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  EXPECT_EQ(tone.colour_shift, 0);
  EXPECT_NEAR(static_cast<double>(tone.reference_weight), 1.0122e8, 0.0001e8);
  const KernelSet set = Build(pattern, tone, 1, 1, 0);
  EXPECT_NEAR(set.Copy(255, 0)[0], 1.5278e9, 0.0001e9);
  EXPECT_NEAR(set.Copy(128, 0)[0], 3.3741e7, 0.0001e7);
  EXPECT_EQ(set.Weight(0), set.Copy(128, 0));
}

TEST(KernelSet, AreaSplatOfFourByFourOntoTwoByTwo) {
  const PatternCopy pattern = GreyPattern(4, 4, std::vector<uint8_t>(16, 255));
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const KernelSet set = Build(pattern, tone, 2, 2, 10, 2.0);
  for (int p : {40, 128, 255}) {
    const double unit = 255 * tone.colour[0][p];
    const uint32_t* c = set.Copy(p, 0);
    EXPECT_NEAR(c[0], 2.25 * unit, 9.0) << p;
    EXPECT_NEAR(c[1], 3.0 * unit, 9.0) << p;
    EXPECT_NEAR(c[2], 3.0 * unit, 9.0) << p;
    EXPECT_NEAR(c[3], 4.0 * unit, 9.0) << p;
  }
}

TEST(KernelSet, LargerKernelsKeepTheLightTotal) {
  std::vector<uint8_t> disc(31 * 31);
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 31; ++x)
      disc[y * 31 + x] = (x - 15) * (x - 15) + (y - 15) * (y - 15) <= 225 ? 255 : 0;
  const PatternCopy pattern = GreyPattern(31, 31, disc);
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const double white = ToneLight(255, 1.0) * kLightUnit;
  for (int size : {5, 12, 31}) {
    const KernelSet set = Build(pattern, tone, size, size, 10, size);
    // Only the shares beyond the last column and row are lost.
    EXPECT_LE(CopyTotal(set, 255), white);
    EXPECT_GT(CopyTotal(set, 255), white * (1.0 - 2.0 / 31 * (1.0 - size / 31.0)) * 0.999) << size;
  }
}

TEST(KernelSet, GaussianSmallLevelSizes) {
  const PatternCopy pattern = GreyPattern(1, 1, {255});
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  for (int r = 1; r <= 9; ++r) {
    EXPECT_EQ(Build(pattern, tone, 1, 1, r, r * 24 / 256.0).width, 7) << r;
  }
  const int sizes[] = {9, 13, 15, 19, 21, 25, 27, 31, 33};
  for (int r = 1; r <= 9; ++r) {
    const KernelSet set = Build(pattern, tone, 1, 1, r, r * 256 / 256.0);
    EXPECT_EQ(set.width, sizes[r - 1]) << r;
    EXPECT_EQ(set.height, sizes[r - 1]) << r;
    EXPECT_EQ(set.span_first[0], 0);
    EXPECT_EQ(set.span_last[set.height - 1], set.width - 1);
  }
}

TEST(KernelSet, GaussianKeepsTheTotalAndConcentratesWithSmallDiameters) {
  const PatternCopy pattern = GreyPattern(1, 1, {255});
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const uint32_t single = Build(pattern, tone, 1, 1, 0).Copy(255, 0)[0];
  auto centre_share = [&](int level, double diameter) {
    const KernelSet set = Build(pattern, tone, 1, 1, level, diameter);
    const uint64_t total = CopyTotal(set, 255);
    EXPECT_NEAR(static_cast<double>(total), single, set.width * set.height) << level;
    const int c = set.width / 2;
    return static_cast<double>(set.Copy(255, 0)[c * set.width + c]) / total;
  };
  EXPECT_GT(centre_share(1, 24 / 256.0), 0.999);
  EXPECT_NEAR(centre_share(9, 9 * 24 / 256.0), 0.88, 0.01);
  EXPECT_LT(centre_share(9, 9.0), 0.02);
}

TEST(KernelSet, RowSpansFollowTheAperture) {
  // Row 0: columns 1..3; row 1: only column 0; row 2: empty; row 3: all.
  const PatternCopy pattern = GreyPattern(
      5, 4, {0, 9, 9, 9, 0, /**/ 9, 0, 0, 0, 0, /**/ 0, 0, 0, 0, 0, /**/ 9, 9, 9, 9, 9});
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const KernelSet set = Build(pattern, tone, 5, 4, 10, 5);
  EXPECT_EQ(set.span_first[0], 1);
  EXPECT_EQ(set.span_last[0], 3);
  EXPECT_EQ(set.span_first[1], 0);
  EXPECT_EQ(set.span_last[1], 4);  // column 0 is never tested from the right
  EXPECT_EQ(set.span_first[2], 0);
  EXPECT_EQ(set.span_last[2], 4);
}

TEST(KernelScale, ShiftOnlyWhereWhiteWouldNotFit) {
  EXPECT_EQ(KernelScaleShift(4294967295.0), 0);
  EXPECT_EQ(KernelScaleShift(4294967296.0), 1);
  EXPECT_EQ(KernelScaleShift(1e6), 0);
  const PatternCopy pattern = GreyPattern(1, 1, {255});
  EXPECT_EQ(PrepareKernelTone(pattern, 1.2, 1.0).colour_shift, 0);
  EXPECT_GT(PrepareKernelTone(pattern, 1.3, 1.0).colour_shift, 0);
  EXPECT_GT(PrepareKernelTone(pattern, 1.0, 3.0).colour_shift, 0);
}

TEST(KernelScale, ExtremeSettingsFitAndKeepTheWeightResolved) {
  const PatternCopy pattern = GreyPattern(2, 2, {255, 255, 255, 255});
  for (double a : {1.3, 1.6, 3.0, 6.0}) {
    for (double b : {1.0, 4.0}) {
      const KernelTone tone = PrepareKernelTone(pattern, a, b);
      const KernelSet single = Build(pattern, tone, 1, 1, 0);
      const double white = std::ldexp(b * ToneLight(255, a) * kLightUnit, -tone.colour_shift);
      EXPECT_LE(white, 4294967295.0);
      EXPECT_GT(white, 2147483647.0);
      EXPECT_NEAR(single.Copy(255, 0)[0], white, 1.0);
      // The weight kernel is intensity 128's light at its own scale, which
      // keeps it far from being rounded away; the reference weight matches it.
      EXPECT_GT(single.Weight(0)[0], 1u << 24) << a << " " << b;
      EXPECT_NEAR(static_cast<double>(tone.reference_weight), 3.0 * single.Weight(0)[0], 3.0);
    }
  }
}

TEST(KernelScale, EachCopyKeepsItsOwnResolution) {
  const PatternCopy pattern = GreyPattern(2, 2, {255, 255, 255, 255});
  for (int i = 0; i < 256; ++i) {
    EXPECT_EQ(PrepareKernelTone(pattern, 1.2, 1.0, 256).copy_shift[i], 0);
  }
  EXPECT_EQ(PrepareKernelTone(pattern, 1.2, 1.0, 256).band_shift, 0);
  EXPECT_FALSE(PrepareKernelTone(pattern, 1.2, 1.0, 256).has_fine);
  for (double a : {1.3, 3.0, 4.0, 5.0, 6.0}) {
    for (double b : {1e-6, 0.3, 1.0, 4.0, 1000.0}) {
      for (int levels : {1, 20, 256}) {
        const KernelTone tone = PrepareKernelTone(pattern, a, b, levels);
        const auto light = [&](int i) { return b * ToneLight(i, a) * kLightUnit; };
        // The band scale is the smallest that keeps levels × white's light
        // at or below 2^55.
        EXPECT_LE(std::ldexp(light(255) * levels, -tone.band_shift), std::ldexp(1.0, 55));
        if (tone.band_shift > 0) {
          EXPECT_GT(std::ldexp(light(255) * levels, -tone.band_shift), std::ldexp(1.0, 54));
        }
        EXPECT_EQ(tone.colour_shift, tone.band_shift + tone.copy_shift[255]);
        // Fine sums exactly where intensity 1 would be coarse in band units,
        // for exactly the copies that would be, in units that resolve every
        // intensity from 1 up and that keep the fine sums inside 63 bits.
        EXPECT_EQ(tone.has_fine, std::ldexp(light(1), -tone.band_shift) < kResolvedUnits);
        if (tone.has_fine) {
          EXPECT_LT(tone.fine_shift, tone.band_shift);
          EXPECT_LE(tone.band_shift - tone.fine_shift, kMaxFineGap);
        }
        const KernelSet single = Build(pattern, tone, 1, 1, 0);
        for (int i = 0; i < 256; ++i) {
          EXPECT_EQ(tone.fine[i],
                    tone.has_fine && std::ldexp(light(i), -tone.band_shift) < kResolvedUnits);
          const int unit = tone.fine[i] ? tone.fine_shift : tone.band_shift;
          if (i > 0) {
            EXPECT_GE(std::ldexp(light(i), -unit), kResolvedUnits) << a << " " << b << " " << i;
          }
          // The stored light is the light within half a unit of the copy's
          // storage scale (within one where unscaled kernels are truncated).
          const int shift = tone.StorageShift(i);
          const double stored = std::ldexp(single.Copy(i, 0)[0], shift);
          const double unit_error = tone.round_values() ? 0.5 : 1.0;
          ASSERT_NEAR(stored, light(i), std::ldexp(unit_error, shift) + light(i) * 1e-12)
              << a << " " << b << " " << i;
          // A copy is scaled only as far as it must be to fit.
          if (tone.copy_shift[i] > 0) {
            EXPECT_GT(std::ldexp(light(i), -unit),
                      std::ldexp(4294967295.0, tone.copy_shift[i] - 1));
          }
          if (i > 0 && tone.fine[i] == tone.fine[i - 1]) {
            EXPECT_GE(tone.copy_shift[i], tone.copy_shift[i - 1]);
          }
        }
      }
    }
  }
}

TEST(KernelScale, QuantisingKeepsTheTotalAndTheEmptyCells) {
  const std::vector<double> exact = {0.3, 0.0, 0.3, 0.3, 0.3, 0.0, 0.3, 0.3, 0.3, 0.3};
  std::vector<uint32_t> out(exact.size(), 7);
  QuantiseKernel(exact.data(), exact.size(), out.data());
  EXPECT_EQ(std::accumulate(out.begin(), out.end(), 0u), 2u);  // 2.4 to the nearest unit
  EXPECT_EQ(out[1], 0u);
  EXPECT_EQ(out[5], 0u);
  const std::vector<double> large = {1e9 + 0.4, 2.6, 4e9, 1e10};
  std::vector<uint32_t> big(large.size());
  QuantiseKernel(large.data(), large.size(), big.data());
  EXPECT_EQ(big[0], 1000000000u);
  EXPECT_EQ(big[1], 3u);
  EXPECT_EQ(big[2], 4000000000u);
  EXPECT_EQ(big[3], 0xFFFFFFFFu);  // held at the end of the range
}

// At a scale where each cell of a large kernel holds well under one unit,
// a copy still carries its light to the nearest unit, in aperture-shaped and
// in small Gaussian kernels alike: here the darkest copy summed in band units
// at hardness 6, under an 80 × 80 kernel.
TEST(KernelScale, DarkCopiesKeepTheirTotalInLargeKernels) {
  std::vector<uint8_t> bytes(80 * 80, 255);
  const PatternCopy pattern = GreyPattern(80, 80, bytes);
  const KernelTone tone = PrepareKernelTone(pattern, 6.0, 1.0, 256);
  ASSERT_TRUE(tone.has_fine);
  int dim = 0;
  while (tone.fine[dim]) ++dim;
  ASSERT_EQ(tone.copy_shift[dim], 0);
  const double light = std::ldexp(ToneLight(dim, 6.0) * kLightUnit, -tone.band_shift);
  ASSERT_LT(light, 80.0 * 80.0);  // below one unit per cell
  const KernelSet large = Build(pattern, tone, 80, 80, 12);
  EXPECT_NEAR(static_cast<double>(CopyTotal(large, dim)), light, 1.0);
  const KernelSet small = Build(pattern, tone, 1, 1, 9, 9 * 80 / 256.0);
  EXPECT_NEAR(static_cast<double>(CopyTotal(small, dim)), light, 1.5);
}

}  // namespace
}  // namespace ulvo::testing
