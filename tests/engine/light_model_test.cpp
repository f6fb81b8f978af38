// The light model across the whole range of the toolbar: white stays white,
// lower brightness darkens as the tone curve says, highlights stay the
// brightest, and uniform regions come back as they went in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

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
