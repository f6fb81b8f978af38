// The engine, on both scatter paths, against the plain 32-bit reference
// render, bit for bit, at settings where 32-bit arithmetic does not overflow.
#include <gtest/gtest.h>

#include "tests/engine/engine_test_support.h"
#include "tests/engine/reference_render.h"

namespace ulvo::testing {
namespace {

struct Case {
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
  uint8_t max_value;  // brightest source byte
};

ReferenceScene MakeScene(const Case& c) {
  ReferenceScene s;
  s.width = c.width;
  s.height = c.height;
  s.colour = NoiseImage(c.width, c.height, 7);
  for (auto& b : s.colour) b = static_cast<uint8_t>(b * c.max_value / 255);
  if (c.depth) s.depth = BlockDepth(c.width, c.height, 3);
  s.pattern_width = s.pattern_height = c.pattern_size;
  s.pattern =
      c.tinted ? TintedDiscPattern(c.pattern_size, c.disc) : DiscPattern(c.pattern_size, c.disc);
  s.max_blur = c.max_blur;
  s.large_levels = c.levels;
  s.focus = 120;
  s.hardness = c.hardness;
  s.brightness = c.brightness;
  s.skip = c.skip;
  return s;
}

class ReferenceComparison : public ::testing::TestWithParam<Case> {};

TEST_P(ReferenceComparison, EngineMatchesReferenceExactly) {
  const ReferenceScene scene = MakeScene(GetParam());
  const ReferenceResult expected = ReferenceRender(scene);
  ASSERT_FALSE(expected.overflowed) << "settings must stay inside 32-bit arithmetic";
  for (ScatterPath path : {ScatterPath::kReference, ScatterPath::kFast, ScatterPath::kOutline}) {
    EngineOptions options;
    options.scatter_path = path;
    const EngineRun run = RenderScene(scene, nullptr, options);
    ASSERT_EQ(run.status, RenderStatus::kDone);
    ASSERT_EQ(run.output.size(), expected.output.size());
    size_t mismatches = 0, first = 0;
    for (size_t i = 0; i < run.output.size(); ++i) {
      if (run.output[i] != expected.output[i] && mismatches++ == 0) first = i;
    }
    EXPECT_EQ(mismatches, 0u) << "path " << static_cast<int>(path) << ", first at byte " << first
                              << " (pixel " << first / 3 << "): engine " << int(run.output[first])
                              << ", reference " << int(expected.output[first]);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, ReferenceComparison,
    ::testing::Values(
        Case{"NoDepthGrey", 40, 30, false, false, 13, 9, 0, 10, 1.0, 1.0, 1, 210},
        Case{"DepthGrey", 64, 48, true, false, 21, 17, 15, 10, 0.5, 1.0, 1, 255},
        Case{"DepthGreySkip3", 64, 48, true, false, 21, 17, 15, 10, 0.5, 1.0, 3, 255},
        Case{"DepthTinted", 50, 40, true, true, 21, 17, 17, 6, 1.0, 1.0, 1, 210},
        Case{"TintedSkip3", 50, 40, true, true, 17, 15, 12, 4, 0.8, 1.0, 3, 210},
        Case{"TwoLargeLevels", 30, 30, true, false, 15, 11, 11, 2, 1.0, 1.0, 1, 210},
        Case{"HardTangent", 40, 30, true, false, 15, 13, 13, 10, 1.2, 1.0, 1, 200},
        Case{"DimExponential", 40, 30, true, false, 15, 13, 13, 10, 1.6, 0.02, 1, 255},
        Case{"WideBlurGaussians", 48, 48, true, false, 41, 41, 40, 8, 1.0, 1.0, 1, 210},
        Case{"TallBandMoves", 24, 600, true, false, 21, 19, 15, 10, 0.8, 1.0, 1, 210},
        Case{"TallBandMovesSkip3", 24, 600, true, false, 21, 19, 15, 10, 0.8, 1.0, 3, 210},
        Case{"TallTinted", 32, 530, true, true, 31, 29, 25, 5, 1.0, 1.0, 1, 210},
        Case{"TallNoDepth", 16, 520, false, false, 9, 7, 0, 10, 1.0, 1.0, 2, 210}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ulvo::testing
