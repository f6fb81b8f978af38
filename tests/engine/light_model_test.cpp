// The light model across the whole range of the toolbar: white stays white,
// lower brightness darkens as the tone curve says, highlights stay the
// brightest, and uniform regions come back as they went in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "src/engine/tone_curve.h"
#include "tests/engine/engine_test_support.h"

namespace ulvo::testing {
namespace {

std::vector<double> ToolbarHardness() {
  std::vector<double> values;
  for (int i = 5; i <= 19; ++i) values.push_back(static_cast<double>(static_cast<float>(i / 10.0)));
  for (float v : {2.0f, 3.0f, 4.0f, 5.0f, 6.0f}) values.push_back(v);
  return values;
}

enum class Depth { kNone, kNearFocus, kFar };

// A uniform region. Its depth never steps by more than 5 between nearby
// pixels, so nothing is dimmed by occlusion: near the focus the focus level
// and the small Gaussian levels are used, far away a large level.
ReferenceScene UniformScene(uint8_t value, Depth depth) {
  ReferenceScene s;
  s.width = 40;
  s.height = 36;
  s.colour = UniformImage(s.width, s.height, value);
  s.pattern_width = s.pattern_height = 17;
  s.pattern = DiscPattern(17, 15);
  if (depth != Depth::kNone) {
    s.depth.resize(static_cast<size_t>(s.width) * s.height);
    for (int y = 0; y < s.height; ++y) {
      for (int x = 0; x < s.width; ++x) {
        s.depth[static_cast<size_t>(y) * s.width + x] =
            static_cast<uint8_t>(depth == Depth::kFar ? 230 : 128 + (x + y) / 16);
      }
    }
    s.max_blur = 15;
    s.focus = 128;
  }
  return s;
}

constexpr Depth kAllDepths[] = {Depth::kNone, Depth::kNearFocus, Depth::kFar};

// What a fully covered uniform region of intensity i comes back as, from the
// curve formulas alone.
double ExpectedUniform(int i, double hardness, double brightness) {
  if (hardness >= 1.55) {
    return 255.0 * std::log10(brightness) / (3.0 * hardness) + i * 1.0;
  }
  const double t = std::tan((i - 135) / 150.0) + std::log10(brightness) * 0.65 / hardness;
  return 150.0 * std::atan(t) + 135.0;
}

TEST(LightModel, WhiteStaysWhiteAtEveryToolbarSetting) {
  for (Depth depth : kAllDepths) {
    ReferenceScene scene = UniformScene(255, depth);
    for (double hardness : ToolbarHardness()) {
      for (float brightness : {1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f}) {
        scene.hardness = hardness;
        scene.brightness = brightness;
        const EngineRun run = RenderScene(scene);
        ASSERT_EQ(run.status, RenderStatus::kDone);
        const auto darkest = *std::min_element(run.output.begin(), run.output.end());
        EXPECT_EQ(darkest, 255) << "hardness " << hardness << " brightness " << brightness
                                << " depth " << static_cast<int>(depth);
      }
    }
  }
}

TEST(LightModel, LowBrightnessDarkensWhiteAsTheCurveSays) {
  ReferenceScene scene = UniformScene(255, Depth::kFar);
  for (double hardness : ToolbarHardness()) {
    for (float brightness : {0.3f, 0.5f, 0.8f}) {
      scene.hardness = hardness;
      scene.brightness = brightness;
      const EngineRun run = RenderScene(scene);
      const double expected = ExpectedUniform(255, hardness, brightness);
      const auto [lo, hi] = std::minmax_element(run.output.begin(), run.output.end());
      // Truncation may lose one step where the curve lands on an integer.
      const int whole = static_cast<int>(std::floor(expected));
      EXPECT_GE(*lo, whole - 1) << "hardness " << hardness << " brightness " << brightness;
      EXPECT_LE(*hi, whole) << "hardness " << hardness << " brightness " << brightness;
    }
  }
}

TEST(LightModel, UniformRegionsComeBackWithinOne) {
  // Brightness 1 at hardness where 32-bit kernels are not scaled.
  for (double hardness : {0.5, 0.8, 1.0, 1.2}) {
    for (int value : {10, 60, 128, 200, 250}) {
      for (Depth depth : kAllDepths) {
        ReferenceScene scene = UniformScene(static_cast<uint8_t>(value), depth);
        scene.hardness = hardness;
        const EngineRun run = RenderScene(scene);
        const auto [lo, hi] = std::minmax_element(run.output.begin(), run.output.end());
        EXPECT_GE(*lo, value - 1) << "hardness " << hardness << " value " << value << " depth "
                                  << static_cast<int>(depth);
        EXPECT_LE(*hi, value + 1) << "hardness " << hardness << " value " << value << " depth "
                                  << static_cast<int>(depth);
      }
    }
  }
}

// A uniform region under one large aperture-shaped kernel of about 1 200
// cells, without a depth map.
ReferenceScene LargeKernelScene(uint8_t value) {
  ReferenceScene s;
  s.width = 56;
  s.height = 50;
  s.colour = UniformImage(s.width, s.height, value);
  s.pattern_width = s.pattern_height = 41;
  s.pattern = DiscPattern(41, 39);
  return s;
}

struct Spread {
  int lo = 255;
  int hi = 0;
};

Spread OutputSpread(const std::vector<uint8_t>& output) {
  const auto [lo, hi] = std::minmax_element(output.begin(), output.end());
  return {*lo, *hi};
}

// The light of dark intensities is a tiny fraction of white's at high
// hardness (10^-18 at 6), yet every intensity keeps its resolution: uniform
// regions come back as they went in, on both scatter paths and with one or
// two threads, and the fast path stays identical to the reference path.
TEST(LightModel, UniformRegionsComeBackAtHighHardness) {
  const std::vector<std::pair<const char*, ReferenceScene (*)(uint8_t)>> scenes = {
      {"large kernel", &LargeKernelScene},
      {"near focus", [](uint8_t v) { return UniformScene(v, Depth::kNearFocus); }},
      {"far", [](uint8_t v) { return UniformScene(v, Depth::kFar); }},
  };
  for (const auto& [name, make] : scenes) {
    for (float hardness : {2.0f, 3.0f, 4.0f, 5.0f, 6.0f}) {
      for (int value : {1, 8, 20, 60, 128, 200}) {
        ReferenceScene scene = make(static_cast<uint8_t>(value));
        scene.hardness = hardness;
        EngineOptions reference;
        reference.scatter_path = ScatterPath::kReference;
        const EngineRun expected = RenderScene(scene, nullptr, reference);
        ASSERT_EQ(expected.status, RenderStatus::kDone);
        const Spread spread = OutputSpread(expected.output);
        EXPECT_GE(spread.lo, value - 1) << name << " hardness " << hardness << " value " << value;
        EXPECT_LE(spread.hi, value + 1) << name << " hardness " << hardness << " value " << value;
        for (int threads : {1, 2}) {
          EngineOptions fast;
          fast.threads = threads;
          fast.threaded_min_pixels = 0;
          const EngineRun run = RenderScene(scene, nullptr, fast);
          ASSERT_EQ(run.status, RenderStatus::kDone);
          EXPECT_EQ(run.output, expected.output)
              << name << " hardness " << hardness << " value " << value << " threads " << threads;
        }
      }
    }
  }
}

// Every intensity 1..255 as a block of its own, 16 blocks a row, each wide
// enough that its middle receives only its own light.
constexpr int kBlock = 12;
constexpr int kBlocksPerRow = 16;

ReferenceScene IntensityBlocks(bool with_depth) {
  ReferenceScene s;
  s.width = s.height = kBlock * kBlocksPerRow;
  s.colour.resize(static_cast<size_t>(s.width) * s.height * 3);
  for (int y = 0; y < s.height; ++y) {
    for (int x = 0; x < s.width; ++x) {
      const int value = std::max(1, (y / kBlock) * kBlocksPerRow + x / kBlock);
      for (int c = 0; c < 3; ++c) {
        s.colour[(static_cast<size_t>(y) * s.width + x) * 3 + c] = static_cast<uint8_t>(value);
      }
    }
  }
  s.pattern_width = s.pattern_height = 9;
  s.pattern = DiscPattern(9, 7);
  if (with_depth) {
    // Flat and far from the focus: one large level for every pixel, while
    // the band must still make room for all the levels a depth map can pick.
    s.depth.assign(static_cast<size_t>(s.width) * s.height, 200);
    s.focus = 0;
    s.max_blur = 7;
  }
  return s;
}

// The output step the curve gives for intensity i: its value truncated, as
// the band output truncates, with a hair for the rounding of the value itself
// (the curve maps intensity i back onto i exactly only on paper).
int ExpectedStep(int i, double hardness, double brightness) {
  const double value = std::clamp(ExpectedUniform(i, hardness, brightness), 0.0, 255.0);
  return static_cast<int>(std::floor(value + 1e-9));
}

// Renders the intensity blocks at one setting and checks that the middle of
// every block comes back within one step of the curve's value for it.
void ExpectEveryIntensityKept(ReferenceScene scene, double hardness, double brightness) {
  scene.hardness = hardness;
  scene.brightness = brightness;
  const EngineRun run = RenderScene(scene);
  ASSERT_EQ(run.status, RenderStatus::kDone);
  for (int value = 1; value < 256; ++value) {
    const int x = (value % kBlocksPerRow) * kBlock + kBlock / 2;
    const int y = (value / kBlocksPerRow) * kBlock + kBlock / 2;
    const int middle = run.output[(static_cast<size_t>(y) * scene.width + x) * 3];
    ASSERT_NEAR(middle, ExpectedStep(value, hardness, brightness), 1)
        << "intensity " << value << " hardness " << hardness << " brightness " << brightness
        << (scene.depth.empty() ? " without depth" : " with depth");
  }
}

// At every hardness and brightness of the toolbar a fully covered uniform
// region of any intensity comes back within one step of what the curve
// gives for it (the intensity itself at brightness 1), with and without a
// depth map.
TEST(LightModel, EveryToolbarSettingKeepsEveryIntensity) {
  for (bool with_depth : {false, true}) {
    const ReferenceScene scene = IntensityBlocks(with_depth);
    for (double hardness : ToolbarHardness()) {
      for (float brightness : {0.3f, 0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f}) {
        ExpectEveryIntensityKept(scene, hardness, brightness);
      }
    }
  }
}

// The tool's wider ranges: brightness from a thousandth to a thousand.
TEST(LightModel, ExtremeBrightnessKeepsEveryIntensity) {
  const ReferenceScene scene = IntensityBlocks(true);
  for (double hardness : {0.5, 1.0, 1.6, 6.0}) {
    for (double brightness : {0.001, 0.05, 100.0, 1000.0}) {
      ExpectEveryIntensityKept(scene, hardness, brightness);
    }
  }
}

// Grey steps 8, 16, .. 80 under a flat depth far from the focus at the two
// highest toolbar hardness values: every block keeps its grey on both paths
// and every thread count (they once came back black).
TEST(LightModel, DarkGreyStepsSurviveHighHardness) {
  ReferenceScene scene;
  scene.width = 10 * 24;
  scene.height = 40;
  scene.colour.resize(static_cast<size_t>(scene.width) * scene.height * 3);
  for (int y = 0; y < scene.height; ++y) {
    for (int x = 0; x < scene.width; ++x) {
      for (int c = 0; c < 3; ++c) {
        scene.colour[(static_cast<size_t>(y) * scene.width + x) * 3 + c] =
            static_cast<uint8_t>(8 * (x / 24 + 1));
      }
    }
  }
  scene.depth.assign(static_cast<size_t>(scene.width) * scene.height, 200);
  scene.focus = 0;
  scene.max_blur = 10;
  scene.pattern_width = scene.pattern_height = 21;
  scene.pattern = DiscPattern(21, 19);
  for (float hardness : {5.0f, 6.0f}) {
    scene.hardness = hardness;
    std::vector<EngineOptions> variants(4);
    variants[0].scatter_path = ScatterPath::kReference;
    variants[1].scatter_path = ScatterPath::kFast;
    variants[1].threads = 1;
    variants[2].scatter_path = ScatterPath::kFast;
    variants[2].threads = 2;
    variants[2].threaded_min_pixels = 0;
    variants[3] = variants[2];
    variants[3].scatter_path = ScatterPath::kOutline;
    for (const EngineOptions& options : variants) {
      const EngineRun run = RenderScene(scene, nullptr, options);
      ASSERT_EQ(run.status, RenderStatus::kDone);
      for (int block = 0; block < 10; ++block) {
        const int x = block * 24 + 12;
        const int y = scene.height / 2;
        const int grey = run.output[(static_cast<size_t>(y) * scene.width + x) * 3];
        EXPECT_NEAR(grey, 8 * (block + 1), 1)
            << "hardness " << hardness << " threads " << options.threads << " path "
            << static_cast<int>(options.scatter_path);
      }
    }
  }
}

// Pixels whose channels have different intensities, and so different
// storage scales, at settings that need scaling: the threaded paths, with
// and without vector adds, equal the reference path, with a depth map and
// without (one level: the weight of whole source rows added as one run).
TEST(LightModel, ScaledChannelsAddAlikeOnEveryPath) {
  ReferenceScene scene;
  scene.width = 61;
  scene.height = 47;
  scene.colour = NoiseImage(scene.width, scene.height, 29);
  scene.depth = BlockDepth(scene.width, scene.height, 31);
  scene.pattern_width = scene.pattern_height = 21;
  scene.pattern = TintedDiscPattern(21, 19);
  scene.max_blur = 19;
  scene.focus = 120;
  const std::vector<uint8_t> depth = scene.depth;
  for (bool with_depth : {true, false}) {
    scene.depth = with_depth ? depth : std::vector<uint8_t>();
    for (float hardness : {1.4f, 3.0f, 6.0f}) {
      for (float brightness : {1.0f, 4.0f}) {
        scene.hardness = hardness;
        scene.brightness = brightness;
        EngineOptions reference;
        reference.scatter_path = ScatterPath::kReference;
        const EngineRun expected = RenderScene(scene, nullptr, reference);
        ASSERT_EQ(expected.status, RenderStatus::kDone);
        for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
          for (int threads : {1, 2}) {
            for (bool simd : {true, false}) {
              EngineOptions fast;
              fast.scatter_path = path;
              fast.threads = threads;
              fast.threaded_min_pixels = 0;
              fast.simd = simd;
              const EngineRun run = RenderScene(scene, nullptr, fast);
              EXPECT_EQ(run.output, expected.output)
                  << "depth " << with_depth << " hardness " << hardness << " brightness "
                  << brightness << " path " << static_cast<int>(path) << " threads " << threads
                  << " simd " << simd;
            }
          }
        }
      }
    }
  }
}

TEST(LightModel, HighlightStaysBrightestInItsNeighbourhood) {
  for (double hardness : ToolbarHardness()) {
    for (float brightness : {1.0f, 4.0f}) {
      ReferenceScene scene = UniformScene(90, Depth::kNone);
      scene.hardness = hardness;
      scene.brightness = brightness;
      const int cx = 20, cy = 18;
      for (int c = 0; c < 3; ++c) scene.colour[(cy * scene.width + cx) * 3 + c] = 255;
      const EngineRun run = RenderScene(scene);
      const uint8_t centre = run.output[(cy * scene.width + cx) * 3];
      for (int y = cy - 10; y <= cy + 10; ++y) {
        for (int x = cx - 10; x <= cx + 10; ++x) {
          ASSERT_LE(run.output[(y * scene.width + x) * 3], centre)
              << "hardness " << hardness << " brightness " << brightness << " at " << x << "," << y;
        }
      }
      // The bloom spreads light over the aperture: a neighbour well inside it
      // is brighter than the surroundings far away.
      EXPECT_GT(run.output[(cy * scene.width + cx + 4) * 3], run.output[(2 * scene.width + 2) * 3])
          << "hardness " << hardness << " brightness " << brightness;
    }
  }
}

}  // namespace
}  // namespace ulvo::testing
