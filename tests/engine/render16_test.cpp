// Renders of 16-bit samples: every path and thread count against the plain
// 16-bit render, the 8-bit render of the same intensities (× 257), uniform
// regions at every toolbar setting, a smooth ramp that keeps its
// resolution, the tone scales and the inverse curve of 16-bit renders, and
// what a 16-bit render refuses, runs out of or is cancelled in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <set>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/kernel_set.h"
#include "src/engine/tone_curve.h"
#include "src/engine/tone_inverse16.h"
#include "src/engine/tone_table.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/reference_render16.h"

namespace ulvo::testing {
namespace {

// Noise over the whole 16-bit range; a quarter of the samples are whole
// intensities (multiples of 257), where a sample takes one copy only.
std::vector<uint16_t> Noise16(int width, int height, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<uint16_t> image(static_cast<size_t>(width) * height * 3);
  for (auto& sample : image) {
    const uint32_t r = random();
    sample = static_cast<uint16_t>((r & 3) == 0 ? ((r >> 2) % 256) * 257 : (r >> 8) & 0xffff);
  }
  return image;
}

struct Case16 {
  const char* name;
  int width, height;
  bool depth;
  bool tinted;
  int pattern_size;
  double disc;
  int max_blur;
  int levels;
  double hardness, brightness;
  int skip;
};

Scene16 MakeScene16(const Case16& c) {
  Scene16 s;
  ReferenceScene& scene = s.scene;
  scene.width = c.width;
  scene.height = c.height;
  if (c.depth) scene.depth = BlockDepth(c.width, c.height, 3);
  scene.pattern_width = scene.pattern_height = c.pattern_size;
  scene.pattern =
      c.tinted ? TintedDiscPattern(c.pattern_size, c.disc) : DiscPattern(c.pattern_size, c.disc);
  scene.max_blur = c.max_blur;
  scene.large_levels = c.levels;
  scene.focus = 120;
  scene.hardness = c.hardness;
  scene.brightness = c.brightness;
  scene.skip = c.skip;
  s.colour = Noise16(c.width, c.height, 11);
  return s;
}

size_t Mismatches(const std::vector<uint16_t>& a, const std::vector<uint16_t>& b, size_t* first) {
  size_t count = 0;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
    if (a[i] != b[i] && count++ == 0) *first = i;
  }
  return count + (a.size() != b.size());
}

class Reference16 : public ::testing::TestWithParam<Case16> {};

// The reference driver, both threaded paths on one, two and three threads,
// and their plain loops: all the very integers of the plain render.
TEST_P(Reference16, EveryPathAndThreadCountMatchesThePlainRender) {
  const Scene16 scene = MakeScene16(GetParam());
  const std::vector<uint16_t> expected = ReferenceRender16(scene);
  struct Run {
    ScatterPath path;
    int threads;
    bool simd;
  };
  std::vector<Run> runs = {{ScatterPath::kReference, 1, true}};
  for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
    for (int threads : {1, 2, 3}) runs.push_back({path, threads, true});
    runs.push_back({path, 2, false});
  }
  for (const Run& r : runs) {
    EngineOptions options;
    options.scatter_path = r.path;
    options.threads = r.threads;
    options.simd = r.simd;
    options.threaded_min_pixels = 0;
    const EngineRun16 run = RenderScene16(scene, nullptr, options);
    ASSERT_EQ(run.status, RenderStatus::kDone);
    size_t first = 0;
    const size_t mismatches = Mismatches(run.output, expected, &first);
    EXPECT_EQ(mismatches, 0u) << "path " << static_cast<int>(r.path) << ", " << r.threads
                              << " threads, simd " << r.simd << "; first at sample " << first
                              << ": engine " << run.output[first] << ", plain " << expected[first];
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, Reference16,
    ::testing::Values(Case16{"NoDepthGrey", 40, 30, false, false, 13, 11, 0, 10, 1.0, 1.0, 1},
                      // The level is the pattern's own size: rows of long runs.
                      Case16{"NoDepthRuns", 56, 40, false, false, 27, 25, 0, 10, 0.5, 1.0, 1},
                      Case16{"DepthTinted", 50, 40, true, true, 21, 17, 17, 6, 1.0, 1.0, 1},
                      Case16{"DepthGreySkip3", 64, 48, true, false, 21, 17, 15, 10, 0.5, 1.0, 3},
                      Case16{"Exponential", 48, 36, true, false, 17, 15, 13, 10, 1.6, 1.0, 1},
                      Case16{"Scaled", 48, 36, true, true, 17, 15, 13, 10, 3.0, 4.0, 1},
                      // Fine sums: the copies on either side of where they end add into
                      // different planes.
                      Case16{"FineSums", 48, 36, true, false, 17, 15, 13, 10, 6.0, 2.5, 1},
                      Case16{"FineSumsNoDepthTinted", 40, 30, false, true, 13, 11, 0, 10, 6.0, 1.0,
                             1},
                      Case16{"WideBlurGaussians", 48, 48, true, false, 41, 41, 40, 8, 1.0, 1.0, 1},
                      Case16{"TallBandMoves", 24, 600, true, false, 21, 19, 15, 10, 0.8, 1.0, 1},
                      Case16{"TallTintedSkip3", 32, 530, true, true, 31, 29, 25, 5, 1.0, 1.0, 3}),
    [](const ::testing::TestParamInfo<Case16>& info) { return std::string(info.param.name); });

// A photograph-like scene: smooth colour with texture, small bright lights,
// depth rising to the right with a nearer block in front.
ReferenceScene PhotoScene(int width, int height, bool depth) {
  ReferenceScene s;
  s.width = width;
  s.height = height;
  s.colour.resize(static_cast<size_t>(width) * height * 3);
  std::mt19937 random(5);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int texture = static_cast<int>(random() % 31) - 15;
      const bool light = x % 19 == 7 && y % 17 == 5;
      const int base[3] = {30 + 190 * x / width, 20 + 200 * y / height, 120};
      for (int c = 0; c < 3; ++c) {
        s.colour[(static_cast<size_t>(y) * width + x) * 3 + c] =
            static_cast<uint8_t>(light ? 255 : std::clamp(base[c] + texture, 0, 255));
      }
    }
  }
  if (depth) {
    s.depth.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const bool near_block = x > width / 4 && x < width / 2 && y > height / 3;
        s.depth[static_cast<size_t>(y) * width + x] =
            static_cast<uint8_t>(near_block ? 20 : 60 + 190 * x / width);
      }
    }
    s.max_blur = 15;
    s.focus = 128;
  }
  s.pattern_width = s.pattern_height = 17;
  s.pattern = TintedDiscPattern(17, 15);
  return s;
}

// An 8-bit image times 257 renders within one of the 8-bit render in its
// high byte (v >> 8), at the toolbar's ends and middle, with occlusion and
// without a depth map, on the fast and the outline scatter, with every
// pixel scattered and with skip 3.
TEST(Render16, HighByteOfTimes257WithinOneOfTheEightBitRender) {
  for (bool depth : {true, false}) {
    ReferenceScene scene = PhotoScene(72, 54, depth);
    for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
      EngineOptions options;
      options.scatter_path = path;
      options.threads = 2;
      options.threaded_min_pixels = 0;
      for (int skip : {1, 3}) {
        scene.skip = skip;
        for (double hardness : {0.5, 1.0, 1.6, 3.0, 6.0}) {
          for (double brightness : {0.3, 1.0, 4.0}) {
            scene.hardness = hardness;
            scene.brightness = brightness;
            const EngineRun eight = RenderScene(scene, nullptr, options);
            const EngineRun16 sixteen = RenderScene16(Times257(scene), nullptr, options);
            ASSERT_EQ(sixteen.status, RenderStatus::kDone);
            ASSERT_EQ(sixteen.output.size(), eight.output.size());
            int worst = 0;
            for (size_t i = 0; i < eight.output.size(); ++i) {
              worst = std::max(worst, std::abs((sixteen.output[i] >> 8) - eight.output[i]));
            }
            EXPECT_LE(worst, 1) << "hardness " << hardness << " brightness " << brightness
                                << (depth ? " with depth" : " without depth") << ", path "
                                << static_cast<int>(path) << ", skip " << skip;
          }
        }
      }
    }
  }
}

std::vector<double> ToolbarHardness() {
  std::vector<double> values;
  for (int i = 5; i <= 19; ++i) values.push_back(static_cast<double>(static_cast<float>(i / 10.0)));
  for (float v : {2.0f, 3.0f, 4.0f, 5.0f, 6.0f}) values.push_back(v);
  return values;
}

// The curve's light of a real intensity (kernels carry brightness times it).
double CurveLight(int i, double hardness) {
  if (hardness >= 1.55) return std::pow(10.0, hardness * i / 85.0 - 2.0) * 5e7;
  return 20.0 * std::pow(10.0, std::tan((i - 135) / 150.0) * hardness / 0.65 - 1.4) * 5e7;
}

// What a fully covered uniform region of 16-bit value v comes back as, from
// the curve formulas alone: its light drawn straight between whole
// intensities, times the brightness, and back the same way.
double ExpectedUniform16(int v, double hardness, double brightness) {
  const int i = v / 257, a = v % 257;
  const double light =
      brightness *
      ((257 - a) * CurveLight(i, hardness) + a * CurveLight(std::min(i + 1, 255), hardness)) /
      257.0;
  int k = 0;
  while (k < 254 && CurveLight(k + 1, hardness) <= light) ++k;
  const double value = 257.0 * k + 257.0 * (light - CurveLight(k, hardness)) /
                                       (CurveLight(k + 1, hardness) - CurveLight(k, hardness));
  return std::clamp(value, 0.0, 65535.0);
}

enum class Depth { kNone, kNearFocus, kFar, kLargeKernel };

// A uniform region; its depth never steps by more than 5 nearby, so nothing
// is dimmed. Near the focus the focus level and the small Gaussians are
// used, far away a large level, and without a depth map one large kernel of
// about 1 200 cells.
Scene16 Uniform16(uint16_t value, Depth depth) {
  Scene16 s;
  ReferenceScene& scene = s.scene;
  const bool large = depth == Depth::kLargeKernel;
  scene.width = large ? 56 : 40;
  scene.height = large ? 50 : 36;
  scene.pattern_width = scene.pattern_height = large ? 41 : 17;
  scene.pattern = large ? DiscPattern(41, 39) : DiscPattern(17, 15);
  if (depth == Depth::kNearFocus || depth == Depth::kFar) {
    scene.depth.resize(static_cast<size_t>(scene.width) * scene.height);
    for (int y = 0; y < scene.height; ++y) {
      for (int x = 0; x < scene.width; ++x) {
        scene.depth[static_cast<size_t>(y) * scene.width + x] =
            static_cast<uint8_t>(depth == Depth::kFar ? 230 : 128 + (x + y) / 16);
      }
    }
    scene.max_blur = 15;
    scene.focus = 128;
  }
  s.colour.assign(static_cast<size_t>(scene.width) * scene.height * 3, value);
  return s;
}

constexpr uint16_t kUniformValues[] = {0,     1,     200,   257 * 40 + 100, 257 * 128,
                                       40000, 65000, 65534, 65535};

// At every hardness of the toolbar a uniform region of any 16-bit value
// comes back as itself within one unit, whichever kernels cover it.
TEST(Render16, UniformRegionsComeBackWithinOneAtEveryToolbarHardness) {
  for (Depth depth : {Depth::kNone, Depth::kNearFocus, Depth::kFar, Depth::kLargeKernel}) {
    for (uint16_t value : kUniformValues) {
      Scene16 scene = Uniform16(value, depth);
      for (double hardness : ToolbarHardness()) {
        scene.scene.hardness = hardness;
        const EngineRun16 run = RenderScene16(scene);
        ASSERT_EQ(run.status, RenderStatus::kDone);
        const auto [lo, hi] = std::minmax_element(run.output.begin(), run.output.end());
        EXPECT_GE(*lo, value - 1) << "value " << value << " hardness " << hardness << " depth "
                                  << static_cast<int>(depth);
        EXPECT_LE(*hi, value + 1) << "value " << value << " hardness " << hardness << " depth "
                                  << static_cast<int>(depth);
      }
    }
  }
}

// Other brightness settings scale the light: the region comes back within
// one unit of what the curve makes of it.
TEST(Render16, UniformRegionsFollowTheCurveAtEveryToolbarBrightness) {
  for (Depth depth : {Depth::kNearFocus, Depth::kFar}) {
    for (uint16_t value : kUniformValues) {
      Scene16 scene = Uniform16(value, depth);
      for (double hardness : ToolbarHardness()) {
        for (float brightness : {0.3f, 1.5f, 4.0f}) {
          scene.scene.hardness = hardness;
          scene.scene.brightness = brightness;
          const EngineRun16 run = RenderScene16(scene);
          const double expected = ExpectedUniform16(value, hardness, brightness);
          const auto [lo, hi] = std::minmax_element(run.output.begin(), run.output.end());
          EXPECT_GE(*lo, expected - 1)
              << "value " << value << " hardness " << hardness << " brightness " << brightness;
          EXPECT_LE(*hi, expected + 1)
              << "value " << value << " hardness " << hardness << " brightness " << brightness;
        }
      }
    }
  }
}

// A ramp through every 16-bit value, one a column, blurred evenly (no depth
// map): the result keeps its resolution, steps by at most a few units and
// never turns back, where the same ramp at 8 bits has 256 values at most.
TEST(Render16, SmoothRampKeepsItsResolution) {
  constexpr int kWidth = 65536;
  constexpr int kHeight = 9;
  Scene16 ramp;
  ReferenceScene& scene = ramp.scene;
  scene.width = kWidth;
  scene.height = kHeight;
  scene.pattern_width = scene.pattern_height = 9;
  scene.pattern = DiscPattern(9, 7);
  ramp.colour.resize(static_cast<size_t>(kWidth) * kHeight * 3);
  scene.colour.resize(ramp.colour.size());
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        const size_t at = (static_cast<size_t>(y) * kWidth + x) * 3 + c;
        ramp.colour[at] = static_cast<uint16_t>(x);
        scene.colour[at] = static_cast<uint8_t>((x + 128) / 257);
      }
    }
  }
  for (double hardness : {1.0, 6.0}) {
    scene.hardness = hardness;
    const EngineRun16 run = RenderScene16(ramp);
    ASSERT_EQ(run.status, RenderStatus::kDone);
    const uint16_t* row = run.output.data() + static_cast<size_t>(kHeight / 2) * kWidth * 3;
    std::set<uint16_t> distinct;
    int largest_step = 0;
    int backwards = 0;
    for (int x = 0; x < kWidth; ++x) {
      distinct.insert(row[x * 3]);
      if (x == 0) continue;
      const int step = row[x * 3] - row[(x - 1) * 3];
      largest_step = std::max(largest_step, std::abs(step));
      backwards += step < 0;
    }
    EXPECT_GE(distinct.size(), 4096u) << "hardness " << hardness;
    EXPECT_LE(largest_step, 3) << "hardness " << hardness;
    EXPECT_EQ(backwards, 0) << "hardness " << hardness;

    const EngineRun eight = RenderScene(scene);
    const uint8_t* row8 = eight.output.data() + static_cast<size_t>(kHeight / 2) * kWidth * 3;
    std::set<uint8_t> distinct8;
    for (int x = 0; x < kWidth; ++x) distinct8.insert(row8[x * 3]);
    EXPECT_LE(distinct8.size(), 256u);
  }
}

// The scales of a 16-bit render: whatever the settings, 257 times any sum
// of up to `levels` kernels stays inside 64 bits and no copy is truncated;
// at the toolbar's settings every copy keeps kResolvedUnits16 units of its
// sums, and copies stored with full resolution round cell by cell.
TEST(Render16, ToneScalesKeepTheSumsInsideAndEveryCopyResolved) {
  const PatternCopy pattern = FringedDiscCopy(33, 1);
  std::vector<double> hardness_values = ToolbarHardness();
  hardness_values.insert(hardness_values.end(), {10.0, 40.0});
  for (double hardness : hardness_values) {
    for (double brightness : {0.001, 0.3, 1.0, 4.0, 1000.0}) {
      for (int levels : {1, 20, 256}) {
        const KernelTone tone = PrepareKernelTone(pattern, hardness, brightness, levels, 16);
        SCOPED_TRACE(::testing::Message() << "hardness " << hardness << " brightness " << brightness
                                          << " levels " << levels);
        const auto total = [&](int i) { return brightness * ToneLight(i, hardness) * kLightUnit; };
        const bool toolbar = hardness <= 6.0 && brightness >= 0.3 && brightness <= 4.0;
        EXPECT_LT(257.0 * levels * std::ldexp(total(255), -tone.band_shift), 0x1p64);
        for (int i = 0; i < 256; ++i) {
          const int unit = tone.fine[i] ? tone.fine_shift : tone.band_shift;
          const double units = std::ldexp(total(i), -unit);
          if (tone.fine[i]) {
            EXPECT_LT(257.0 * levels * units, 0x1p63) << i;
          }
          // The scales reckon from intensity 1; black lies a little below.
          if (toolbar && i > 0) {
            EXPECT_GE(units, kResolvedUnits16) << i;
          }
          EXPECT_NE(tone.rounding[i], KernelRounding::kTruncate) << i;
          if (std::ldexp(total(i), -tone.StorageShift(i)) >= 0x1p31) {
            EXPECT_EQ(tone.rounding[i], KernelRounding::kNearest) << i;
          }
        }
        EXPECT_GT(tone.reference_weight, 0);
      }
    }
  }
}

// At default settings every copy of a 16-bit render is stored with full
// resolution and rounded cell by cell, so that the rows of a kernel at the
// pattern's own size stay constant runs, as at 8 bits.
TEST(Render16, ConstantKernelRowsStayRunsOnTheOutlinePath) {
  ReferenceScene scene;
  scene.width = 60;
  scene.height = 50;
  scene.colour = NoiseImage(scene.width, scene.height, 3);
  scene.pattern_width = scene.pattern_height = 31;
  scene.pattern = DiscPattern(31, 29);
  EngineOptions options;
  options.scatter_path = ScatterPath::kOutline;
  const EngineRun eight = RenderScene(scene, nullptr, options);
  const EngineRun16 sixteen = RenderScene16(Times257(scene), nullptr, options);
  ASSERT_GT(eight.stats.run_levels, 0);
  EXPECT_EQ(sixteen.stats.run_levels, eight.stats.run_levels);
}

// The inverse undoes the straight lines the samples' light is drawn along:
// the light of every 16-bit value comes back as that value at every
// toolbar hardness, through the curve and through its table.
TEST(ToneInverse16, EveryValueComesBackFromItsLight) {
  for (double hardness : ToolbarHardness()) {
    const ToneInverse16 inverse(hardness);
    const ToneTable table(hardness);
    int last = 0;
    int wrong = 0;
    for (int v = 0; v < 65536; ++v) {
      const int i = v / 257, a = v % 257;
      const double light =
          ((257 - a) * inverse.knot(i) + a * inverse.knot(std::min(i + 1, 255))) / 257.0;
      wrong += inverse.Sample(light, InverseTone(light, hardness)) != v;
      wrong += inverse.Sample(light, table.Near(light, last)) != v;
    }
    EXPECT_EQ(wrong, 0) << "hardness " << hardness;
  }
}

TEST(ToneInverse16, DarknessAndLightBeyondWhiteStayInRange) {
  const ToneInverse16 inverse(1.0);
  EXPECT_EQ(inverse.Sample(0.0, 0), 0);
  EXPECT_EQ(inverse.Sample(inverse.knot(0) * 0.5, 0), 0);
  EXPECT_EQ(inverse.Sample(inverse.knot(255) * 3.0, 255), 65535);
  EXPECT_EQ(inverse.Sample(std::nan(""), 0), 0);
}

// The band output at 16 bits: sums of 257 times the light, samples in the
// target's order and stride, partly covered positions scaled up.
TEST(Render16, BandOutputWritesSamplesInOutputOrder) {
  BufferAllocator allocator;
  Band band;
  ASSERT_TRUE(AllocateBand(1, 2, false, allocator, &band));
  const ToneInverse16 inverse(1.0);
  // Pixel 0: intensities 10, 100 and 200 exactly; pixel 1 the light of
  // value 30 000 at half coverage.
  const int intensity[3] = {10, 100, 200};
  for (int c = 0; c < 3; ++c) {
    band.plane(c)[0] = static_cast<uint64_t>(std::llround(257.0 * inverse.knot(intensity[c])));
    band.plane(c)[1] = static_cast<uint64_t>(std::llround(
        (69 * inverse.knot(116) + 188 * inverse.knot(117)) / 2));  // 30000 = 257 × 116 + 188
  }
  band.plane(kWeightPlane)[0] = 1000;
  band.plane(kWeightPlane)[1] = 500;
  FlushSettings settings;
  settings.hardness = 1.0;
  settings.reference_weight = 1000;
  settings.image_width = 2;
  settings.image_height = 1;

  std::vector<uint16_t> packed(6, 7);
  OutputTarget target{reinterpret_cast<uint8_t*>(packed.data()), 0, 6, 12, 2};
  WriteBandRow(BandRowAt(band, 0), target, settings, 0, nullptr, &inverse);
  EXPECT_EQ(packed, (std::vector<uint16_t>{200 * 257, 100 * 257, 10 * 257, 30000, 30000, 30000}));

  // Order flag 1: the last three samples of each 8-byte pixel, in plane
  // order; the first sample stays.
  std::vector<uint16_t> padded(8, 7);
  OutputTarget last3{reinterpret_cast<uint8_t*>(padded.data()), 1, 8, 16, 2};
  WriteBandRow(BandRowAt(band, 0), last3, settings, 0);
  EXPECT_EQ(padded,
            (std::vector<uint16_t>{7, 10 * 257, 100 * 257, 200 * 257, 7, 30000, 30000, 30000}));
}

// A sample size other than 8 or 16 bits is refused before anything is
// allocated or written, and so is a 16-bit source or output narrower than
// three samples a pixel.
TEST(Render16, OtherSampleSizesAndNarrowPixelsAreRefused) {
  const ReferenceScene scene = PhotoScene(20, 16, true);
  const std::vector<uint16_t> colour = Times257(scene.colour);
  for (int bits : {0, 1, 12, 15, 24, 32, -16}) {
    std::vector<uint8_t> output(20 * 16 * 6, 7);
    DefocusEngine engine;
    engine.SetDepthMap(scene.depth.data(), 1, 20);
    engine.SetImage(0, 6, 20, 16, reinterpret_cast<const uint8_t*>(colour.data()), 120);
    engine.SetPattern(0, 3, scene.pattern_width, scene.pattern_height, scene.pattern.data(),
                      scene.pattern_width * 3);
    engine.SetOutput(0, 6, output.data(), 120);
    RenderValues values = SceneValues(scene);
    values.sample_bits = bits;
    EXPECT_EQ(engine.Run(values), RenderStatus::kDone) << bits;
    EXPECT_EQ(engine.allocation_count(), 0) << bits;
    EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](uint8_t b) { return b == 7; }))
        << bits;
  }
  // Output pixels, then source pixels, narrower than three 16-bit samples.
  for (int stride : {3, 5, -3, -5}) {
    std::vector<uint8_t> output(20 * 16 * 6, 7);
    DefocusEngine engine;
    const int source_stride = stride < 0 ? -stride : 6;
    engine.SetImage(0, source_stride, 20, 16, reinterpret_cast<const uint8_t*>(colour.data()), 120);
    engine.SetPattern(0, 3, scene.pattern_width, scene.pattern_height, scene.pattern.data(),
                      scene.pattern_width * 3);
    engine.SetOutput(0, stride < 0 ? 6 : stride, output.data(), 120);
    RenderValues values = SceneValues(scene);
    values.sample_bits = 16;
    EXPECT_EQ(engine.Run(values), RenderStatus::kDone) << stride;
    EXPECT_EQ(engine.allocation_count(), 0) << stride;
    EXPECT_TRUE(std::all_of(output.begin(), output.end(), [](uint8_t b) { return b == 7; }));
  }
}

TEST(Render16, NoLevelsCopiesTheSamples) {
  Scene16 scene = MakeScene16({"one-pixel-pattern", 30, 20, true, false, 5, 5, 9, 10, 1, 1, 1});
  scene.scene.pattern_width = 1;
  scene.scene.pattern_height = 5;
  scene.scene.pattern.assign(5 * 3, 200);
  const EngineRun16 run = RenderScene16(scene, nullptr, {}, 7);
  EXPECT_EQ(run.status, RenderStatus::kNoLevels);
  EXPECT_EQ(run.output, scene.colour);
}

// Every working buffer of a 16-bit render: fail each allocation in turn, on
// both threaded paths; the allocations are those of an 8-bit render.
TEST(Render16, EveryAllocationFailsCleanly) {
  ReferenceScene scene = PhotoScene(30, 24, true);
  for (size_t i = 0; i < scene.depth.size(); ++i) scene.depth[i] = i % 2 ? 129 : 250;
  const Scene16 scene16 = Times257(scene);
  for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
    SCOPED_TRACE(path == ScatterPath::kFast ? "fast" : "outline");
    EngineOptions options;
    options.scatter_path = path;
    const EngineRun16 plain = RenderScene16(scene16, nullptr, options);
    ASSERT_EQ(plain.status, RenderStatus::kDone);
    EXPECT_EQ(plain.allocations, RenderScene(scene, nullptr, options).allocations);
    for (int fail = 0; fail < plain.allocations; ++fail) {
      options.fail_allocation = fail;
      const EngineRun16 run = RenderScene16(scene16, nullptr, options, 7);
      EXPECT_EQ(run.status, RenderStatus::kOutOfMemory) << fail;
    }
  }
}

// A cancelled 16-bit render on stripes that finish out of order puts back
// the rows below the first unfinished one, all six bytes of each pixel's
// samples, also where they are the last of an 8-byte pixel.
TEST(Render16, ConfirmedCancelLeavesAPrefixOfRows) {
  Scene16 scene;
  scene.scene.width = 160;
  scene.scene.height = 1100;
  scene.scene.pattern_width = scene.scene.pattern_height = 41;
  scene.scene.pattern = DiscPattern(41, 39);
  scene.colour = Noise16(160, 1100, 4);
  struct Layout {
    int order_flag, pixel_stride, row_stride;
  };
  constexpr uint8_t kFill = 7;
  bool interrupted = false;
  for (const Layout& layout : {Layout{0, 6, 160 * 6}, Layout{1, 8, 160 * 8 + 6}}) {
    for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
      EngineOptions options;
      options.scatter_path = path;
      options.threads = 3;
      options.threaded_min_pixels = 0;
      const OutputLayout out{layout.order_flag, layout.pixel_stride, layout.row_stride};
      const EngineRun full = RenderScene16Into(scene, out, nullptr, options, kFill);
      ASSERT_EQ(full.status, RenderStatus::kDone);
      for (int cancel_at : {5, 60}) {
        SCOPED_TRACE(::testing::Message()
                     << "pixel stride " << layout.pixel_stride << ", cancel at " << cancel_at);
        RecordingReporter reporter;
        reporter.cancel_at = cancel_at;
        reporter.confirm = true;
        const EngineRun run = RenderScene16Into(scene, out, &reporter, options, kFill);
        EXPECT_EQ(run.status, RenderStatus::kCancelled);
        const size_t row = static_cast<size_t>(layout.row_stride);
        size_t finished = 0;
        while (finished < 1100 && std::equal(run.output.begin() + finished * row,
                                             run.output.begin() + (finished + 1) * row,
                                             full.output.begin() + finished * row)) {
          ++finished;
        }
        EXPECT_TRUE(std::all_of(run.output.begin() + finished * row, run.output.end(),
                                [](uint8_t b) { return b == kFill; }))
            << finished << " rows finished";
        interrupted = interrupted || finished < 1100;
      }
    }
  }
  EXPECT_TRUE(interrupted) << "every cancel came after the last row: the scene is too quick";
}

}  // namespace
}  // namespace ulvo::testing
