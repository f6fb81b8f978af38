// DefocusEngine::Run as its callers use it: progress and cancellation, the
// refused and degenerate inputs, out of memory at every allocation, and the
// caller's pixel layouts.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "src/engine/input_checks.h"
#include "src/engine/progress_ticker.h"
#include "tests/engine/engine_test_support.h"

namespace ulvo::testing {
namespace {

ReferenceScene NoiseScene(int width, int height, bool depth = true) {
  ReferenceScene s;
  s.width = width;
  s.height = height;
  s.colour = NoiseImage(width, height, 5);
  if (depth) s.depth = BlockDepth(width, height, 9);
  s.pattern_width = s.pattern_height = 11;
  s.pattern = DiscPattern(11, 9);
  s.max_blur = 9;
  return s;
}

size_t RowBytes(const ReferenceScene& s) {
  return static_cast<size_t>(s.width) * 3;
}

TEST(Progress, ReportedPerRowOnlyAbove120By120) {
  RecordingReporter big;
  RenderScene(NoiseScene(121, 121), &big);
  ASSERT_GE(big.reports.size(), 3u);
  EXPECT_EQ(big.reports.front(), 0);
  EXPECT_EQ(big.reports.back(), 100);
  // One report per row whose percentage lies in 1..99: rows 2..120.
  EXPECT_EQ(big.reports.size(), 1u + 119u + 1u);
  EXPECT_TRUE(std::is_sorted(big.reports.begin(), big.reports.end()));

  for (auto [w, h] : {std::pair{120, 121}, std::pair{121, 120}}) {
    RecordingReporter small;
    small.cancel_at = 50;
    const EngineRun run = RenderScene(NoiseScene(w, h), &small);
    EXPECT_TRUE(small.reports.empty());
    EXPECT_EQ(run.status, RenderStatus::kDone);
  }
}

// The workers' progress as the waiting thread reports it: each percentage
// once and in order up to 99, the last one again while nothing new is done,
// a Cancel asked about only while the stripes scatter, and after a
// confirmed abort nothing but the closing report.
TEST(Progress, TickerReportsEachPercentOnceAndAsksOnlyWhenCancellable) {
  RecordingReporter reporter;
  ProgressTicker ticker(&reporter, 300, 200);
  ASSERT_TRUE(ticker.active());
  ticker.Start();
  EXPECT_TRUE(ticker.Poll(0, false, false));
  EXPECT_TRUE(ticker.Poll(7, false, true));  // 3 %
  EXPECT_TRUE(ticker.Poll(7, false, true));
  reporter.cancel_at = 5;
  EXPECT_TRUE(ticker.Poll(12, false, false));  // a Cancel while kernels are built
  EXPECT_EQ(reporter.confirm_questions, 0);
  reporter.cancel_at = 8;
  reporter.confirm = true;
  EXPECT_FALSE(ticker.Poll(16, false, true));
  EXPECT_TRUE(ticker.cancelled());
  EXPECT_FALSE(ticker.Poll(200, true, true));
  ticker.Finish();
  EXPECT_EQ(reporter.reports, (std::vector<int>{0, 1, 2, 3, 3, 4, 5, 6, 7, 8, 100}));
  EXPECT_EQ(reporter.confirm_questions, 1);

  RecordingReporter done;
  ProgressTicker to_the_end(&done, 121, 121);
  EXPECT_TRUE(to_the_end.Poll(121, true, true));
  EXPECT_EQ(done.reports.size(), 99u);
  EXPECT_EQ(done.reports.back(), 99);
}

TEST(Progress, TickerOfASmallRegionReportsNothing) {
  RecordingReporter reporter;
  reporter.cancel_at = 50;
  reporter.confirm = true;
  for (auto [w, h] : {std::pair{120, 500}, std::pair{500, 120}}) {
    ProgressTicker ticker(&reporter, w, h);
    EXPECT_FALSE(ticker.active());
    ticker.Start();
    for (int y = 0; y < h; ++y) EXPECT_TRUE(ticker.BeforeRow(y));
    EXPECT_TRUE(ticker.Poll(h / 2, false, true));
    ticker.Finish();
  }
  EXPECT_TRUE(reporter.reports.empty());
  EXPECT_FALSE(ProgressShown(120, 121));
  EXPECT_TRUE(ProgressShown(121, 121));
}

TEST(Progress, CancelAnsweredNoChangesNothing) {
  const ReferenceScene scene = NoiseScene(121, 130);
  const EngineRun plain = RenderScene(scene);
  RecordingReporter reporter;
  reporter.cancel_at = 40;
  reporter.confirm = false;
  const EngineRun run = RenderScene(scene, &reporter);
  EXPECT_GE(reporter.confirm_questions, 1);
  EXPECT_EQ(run.status, RenderStatus::kDone);
  EXPECT_EQ(run.cancelled, 0);
  EXPECT_EQ(run.output, plain.output);
}

TEST(Progress, ConfirmedCancelInAWholeBandWritesNothing) {
  const ReferenceScene scene = NoiseScene(130, 200);
  RecordingReporter reporter;
  reporter.cancel_at = 30;
  reporter.confirm = true;
  const EngineRun run = RenderScene(scene, &reporter, {}, 7);
  EXPECT_EQ(run.status, RenderStatus::kCancelled);
  EXPECT_EQ(run.cancelled, 1);
  EXPECT_EQ(reporter.reports.back(), 100);
  EXPECT_TRUE(std::all_of(run.output.begin(), run.output.end(), [](uint8_t b) { return b == 7; }));
}

// On one thread the rows written before a cancel are the top rows.
TEST(Progress, ConfirmedCancelInAMovingBandKeepsFinishedRows) {
  const ReferenceScene scene = NoiseScene(130, 700);
  const EngineRun plain = RenderScene(scene);
  EngineOptions reference;
  reference.scatter_path = ScatterPath::kReference;
  EngineOptions one_thread;
  one_thread.threads = 1;
  for (const EngineOptions& options : {reference, one_thread}) {
    RecordingReporter reporter;
    reporter.cancel_at = 60;
    reporter.confirm = true;
    const EngineRun run = RenderScene(scene, &reporter, options, 7);
    ASSERT_EQ(run.status, RenderStatus::kCancelled);
    // Rows before the band are final and equal the full render; the rest keep
    // what the output held.
    const size_t row = RowBytes(scene);
    size_t written = 0;
    while (written < static_cast<size_t>(scene.height) &&
           !std::all_of(run.output.begin() + written * row,
                        run.output.begin() + (written + 1) * row,
                        [](uint8_t b) { return b == 7; })) {
      ++written;
    }
    EXPECT_GT(written, 100u);
    EXPECT_LT(written, 420u);  // row 420 is 60 % of 700
    EXPECT_TRUE(
        std::equal(run.output.begin(), run.output.begin() + written * row, plain.output.begin()));
    EXPECT_TRUE(std::all_of(run.output.begin() + written * row, run.output.end(),
                            [](uint8_t b) { return b == 7; }));
  }
}

TEST(RunInputs, AllZeroPatternIsRefusedAndTheOutputUntouched) {
  ReferenceScene scene = NoiseScene(30, 20);
  std::fill(scene.pattern.begin(), scene.pattern.end(), 0);
  const EngineRun run = RenderScene(scene, nullptr, {}, 7);
  EXPECT_EQ(run.status, RenderStatus::kEmptyPattern);
  EXPECT_TRUE(std::all_of(run.output.begin(), run.output.end(), [](uint8_t b) { return b == 7; }));
  EXPECT_EQ(run.allocations, 1);  // only the pattern copy
}

TEST(RunInputs, NoLevelsCopiesTheSource) {
  // A pattern one pixel wide leaves a largest kernel of 1 pixel.
  for (bool depth : {false, true}) {
    ReferenceScene scene = NoiseScene(30, 20, depth);
    scene.pattern_width = 1;
    scene.pattern_height = 5;
    scene.pattern.assign(5 * 3, 200);
    const EngineRun run = RenderScene(scene, nullptr, {}, 7);
    EXPECT_EQ(run.status, RenderStatus::kNoLevels);
    EXPECT_EQ(run.output, scene.colour);
  }
}

TEST(RunInputs, PatternWindowNarrowsOnlyWhereThePatternIsLarger) {
  std::vector<uint8_t> pixels(160 * 160 * 3);
  PatternSource pattern{0, 3, 160, 160, pixels.data(), 160 * 3};
  const PatternSource both = PatternWindow(pattern, 150, 100, 100);
  EXPECT_EQ(both.width, 100);
  EXPECT_EQ(both.height, 100);
  EXPECT_EQ(both.pixels, pixels.data() + 30 * 160 * 3 + 30 * 3);
  const PatternSource one = PatternWindow(pattern, 150, 100, 300);
  EXPECT_EQ(one.width, 100);
  EXPECT_EQ(one.height, 160);
  EXPECT_EQ(one.pixels, pixels.data() + 30 * 3);
  const PatternSource none = PatternWindow(pattern, 90, 100, 100);
  EXPECT_EQ(none.width, 160);
  EXPECT_EQ(none.pixels, pixels.data());
}

TEST(RunInputs, FourPlaneSourceWithDepthInFrontMatchesSeparateDepth) {
  const ReferenceScene scene = NoiseScene(40, 30);
  const EngineRun separate = RenderScene(scene);
  // Host layout: depth byte, then the three colour bytes; output stride 3.
  std::vector<uint8_t> image(static_cast<size_t>(40) * 30 * 4);
  for (size_t i = 0; i < static_cast<size_t>(40) * 30; ++i) {
    image[i * 4] = scene.depth[i];
    std::copy_n(&scene.colour[i * 3], 3, &image[i * 4 + 1]);
  }
  std::vector<uint8_t> output(static_cast<size_t>(40) * 30 * 3);
  DefocusEngine engine;
  engine.SetDepthMap(image.data(), 4, 160);
  engine.SetImage(0, 4, 40, 30, image.data() + 1, 160);
  engine.SetPattern(0, 3, scene.pattern_width, scene.pattern_height, scene.pattern.data(),
                    scene.pattern_width * 3);
  engine.SetOutput(0, 3, output.data(), 120);
  RenderValues values = SceneValues(scene);
  values.focus_depth += 256;  // only its low 8 bits count
  EXPECT_EQ(engine.Run(values), RenderStatus::kDone);
  EXPECT_EQ(output, separate.output);
}

// Every working buffer of a render: fail each allocation in turn, on both
// threaded paths.
TEST(OutOfMemory, EveryAllocationFailsCleanly) {
  // Depth near the focus uses Gaussian small levels, far depth large levels.
  ReferenceScene scene = NoiseScene(30, 24);
  for (size_t i = 0; i < scene.depth.size(); ++i) scene.depth[i] = i % 2 ? 129 : 250;
  scene.focus = 128;
  for (ScatterPath path : {ScatterPath::kFast, ScatterPath::kOutline}) {
    SCOPED_TRACE(path == ScatterPath::kFast ? "fast" : "outline");
    EngineOptions options;
    options.scatter_path = path;
    const EngineRun plain = RenderScene(scene, nullptr, options);
    ASSERT_EQ(plain.status, RenderStatus::kDone);
    // pattern copy, 4 band planes (and 4 planes of difference rows on the
    // outline path), a large level (set, 2 spans), a small level (set, 2
    // spans, Gaussian set, 2 spans)
    const int band_planes = path == ScatterPath::kOutline ? 8 : 4;
    ASSERT_EQ(plain.allocations, 1 + band_planes + 3 + 6);

    for (int fail = 0; fail < plain.allocations; ++fail) {
      options.fail_allocation = fail;
      const EngineRun run = RenderScene(scene, nullptr, options, 7);
      EXPECT_EQ(run.status, RenderStatus::kOutOfMemory) << fail;
      const bool untouched =
          std::all_of(run.output.begin(), run.output.end(), [](uint8_t b) { return b == 7; });
      if (fail < 1 + band_planes) {
        EXPECT_TRUE(untouched) << "pattern copy and band fail before anything is written";
      } else {
        // A kernel set that could not be built is built again: only the
        // failing pixels' light is missing.
        EXPECT_FALSE(untouched) << fail;
        size_t differing = 0;
        for (size_t b = 0; b < run.output.size(); ++b) {
          differing += run.output[b] != plain.output[b];
        }
        EXPECT_LT(differing, run.output.size() / 4) << fail;
      }
    }
  }
}

}  // namespace
}  // namespace ulvo::testing

namespace ulvo::testing {
namespace {

// Settings no caller should pass still end cleanly (checked under the
// sanitizers): odd plane counts, strides, level counts, sizes and tones.
TEST(RunInputs, OddSettingsEndCleanly) {
  const std::vector<uint8_t> colour = NoiseImage(23, 17, 3);
  const std::vector<uint8_t> depth = BlockDepth(23, 17, 4);
  std::vector<uint8_t> pattern(9 * 7 * 4);
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 37 % 251);
  struct Odd {
    int planes, order, levels, max_blur, skip;
    double hardness, brightness;
  };
  const Odd odd[] = {
      {1, 0, 10, 9, 1, 1.0, 1.0},     {2, 0, 10, 9, 1, 1.0, 1.0},  {4, 1, 10, 9, 2, 1.0, 1.0},
      {4, 0, 300, 9, 3, 1.0, 1.0},    {3, 0, 0, 9, 1, 1.0, 1.0},   {3, 0, 10, -4, 1, 1.0, 1.0},
      {3, 0, 10, 5000, -2, 1.0, 1.0}, {3, 0, 10, 9, 0, 0.0, 1.0},  {3, 0, 10, 9, 1, -1.0, 1.0},
      {3, 0, 10, 9, 1, 1.0, 0.0},     {3, 0, 10, 9, 1, 1.0, -2.0}, {3, 0, 10, 9, 1, 40.0, 1e6}};
  for (const Odd& o : odd) {
    std::vector<uint8_t> output(23 * 17 * 3, 7);
    DefocusEngine engine;
    engine.SetDepthMap(depth.data(), 1, 23);
    engine.SetImage(0, 3, 23, 17, colour.data(), 23 * 3);
    engine.SetPattern(o.order, o.planes, 7, 9, pattern.data(), 7 * o.planes);
    engine.SetOutput(0, 3, output.data(), 23 * 3);
    RenderValues values;
    values.large_levels = o.levels;
    values.max_blur = o.max_blur;
    values.focus_depth = 300;
    values.hardness = o.hardness;
    values.brightness = o.brightness;
    values.skip = static_cast<int16_t>(o.skip);
    const RenderStatus status = engine.Run(values);
    EXPECT_NE(status, RenderStatus::kOutOfMemory) << o.planes << " " << o.levels;
  }
  std::vector<uint8_t> output(4, 7);
  DefocusEngine empty;
  empty.SetImage(0, 3, 0, 5, colour.data(), 0);
  empty.SetPattern(0, 3, 7, 9, pattern.data(), 21);
  empty.SetOutput(0, 3, output.data(), 0);
  EXPECT_EQ(empty.Run(RenderValues()), RenderStatus::kDone);
  DefocusEngine no_pattern;
  no_pattern.SetImage(0, 3, 1, 1, colour.data(), 3);
  no_pattern.SetPattern(0, 3, 7, 9, nullptr, 21);
  no_pattern.SetOutput(0, 3, output.data(), 3);
  EXPECT_EQ(no_pattern.Run(RenderValues()), RenderStatus::kEmptyPattern);
  EXPECT_EQ(output, std::vector<uint8_t>(4, 7));
}

}  // namespace
}  // namespace ulvo::testing
