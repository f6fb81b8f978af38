// The fast path (stripes on several threads, fused channels, vector adds)
// against the reference path and the plain reference render, byte for byte.
#include <gtest/gtest.h>
#include <hwy/targets.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "src/engine/defocus_engine.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/scatter.h"
#include "src/engine/tone_curve.h"
#include "src/engine/tone_table.h"
#include "tests/engine/engine_test_support.h"
#include "tests/engine/reference_render.h"

namespace ulvo::testing {
namespace {

std::vector<uint32_t> RandomKernel(std::mt19937& random, size_t n) {
  std::vector<uint32_t> v(n);
  for (auto& x : v) x = random();  // the whole 32-bit range
  return v;
}

// A fused row must equal three separate channel rows of the reference loop,
// for every length (vector bodies and their tails), both weight layouts and
// unscaled, equally and differently scaled channels.
void CheckFusedRows() {
  std::mt19937 random(11);
  constexpr int kShifts[][3] = {{0, 0, 0}, {4, 4, 4}, {0, 7, 23}, {31, 0, 1}};
  for (const auto& shift : kShifts) {
    for (bool shared_weight : {true, false}) {
      for (int count = 0; count <= 70; ++count) {
        std::vector<uint32_t> k[3], w[3];
        for (int c = 0; c < 3; ++c) {
          k[c] = RandomKernel(random, count + 1);
          w[c] = RandomKernel(random, count + 1);
        }
        std::vector<uint64_t> start(4 * (count + 1));
        for (auto& x : start) x = (static_cast<uint64_t>(random()) << 20) + random();

        std::vector<uint64_t> expected = start;
        uint64_t* e[4];
        for (int p = 0; p < 4; ++p) e[p] = expected.data() + p * (count + 1);
        for (int c = 0; c < 3; ++c) {
          AddKernelRow(k[c].data(), (shared_weight ? w[0] : w[c]).data(), e[c], e[3], count,
                       shift[c]);
        }
        for (bool simd : {false, true}) {
          std::vector<uint64_t> got = start;
          FusedRow row;
          for (int c = 0; c < 3; ++c) {
            row.colour[c] = k[c].data();
            row.weight[c] = (shared_weight ? w[0] : w[c]).data();
            row.shift[c] = shift[c];
          }
          for (int p = 0; p < 4; ++p) row.sums[p] = got.data() + p * (count + 1);
          row.count = count;
          AddFusedRow(row, simd);
          ASSERT_EQ(got, expected)
              << "count " << count << " simd " << simd << " shared " << shared_weight << " shifts "
              << shift[0] << "," << shift[1] << "," << shift[2];
        }
      }
    }
  }
}

// Every instruction set the vector add is compiled for that this processor
// runs is tried in turn.
TEST(FusedRows, EqualThreeReferenceRows) {
  std::vector<std::string> tried;
  for (int64_t target : hwy::SupportedAndGeneratedTargets()) {
    hwy::SetSupportedTargetsForTest(target);
    tried.push_back(SimdTargetName());
    CheckFusedRows();
  }
  hwy::SetSupportedTargetsForTest(0);
  EXPECT_GE(tried.size(), 1u);
  for (const std::string& name : tried) std::printf("vector add tried with %s\n", name.c_str());
}

// The occluded fused row gives each channel exactly what the reference's
// occluded row gives it; rows that cannot be dimmed add like plain rows.
TEST(FusedRows, OcclusionEqualsReferenceCellByCell) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 300; ++trial) {
    const int count = 1 + static_cast<int>(random() % 40);
    const int stride = 1 + static_cast<int>(random() % 3);
    const int source = static_cast<int>(random() % 256);
    std::vector<uint8_t> depth(static_cast<size_t>(count) * stride);
    for (auto& d : depth)
      d = static_cast<uint8_t>(std::clamp<int>(source - 12 + random() % 20, 0, 255));
    std::vector<uint32_t> k[3], w = RandomKernel(random, count);
    for (auto& kc : k) kc = RandomKernel(random, count);
    std::vector<uint64_t> expected(4 * count, 1000), got(4 * count, 1000);
    int shift[3];  // unscaled in a third of the trials, scaled otherwise
    for (int& h : shift) h = trial % 3 == 0 ? 0 : static_cast<int>(random() % 24);

    OcclusionRow reference;
    reference.depth = depth.data();
    reference.depth_stride = stride;
    reference.source_depth = static_cast<float>(source);
    reference.diameter = 3.0f + static_cast<float>(random() % 40);
    reference.dx0 = static_cast<int>(random() % 30) - 5;
    reference.dy = static_cast<int>(random() % 9) - 4;
    for (int c = 0; c < 3; ++c) {
      AddKernelRowOccluded(k[c].data(), w.data(), expected.data() + c * count,
                           expected.data() + 3 * count, count, reference, shift[c]);
    }
    FusedRow row;
    for (int c = 0; c < 3; ++c) {
      row.colour[c] = k[c].data();
      row.weight[c] = w.data();
      row.shift[c] = shift[c];
    }
    for (int p = 0; p < 4; ++p) row.sums[p] = got.data() + p * count;
    row.count = count;
    if (RowMayBeDimmed(reference, count)) {
      AddFusedRowOccluded(row, reference);
    } else {
      AddFusedRow(row, true);
    }
    ASSERT_EQ(got, expected) << "trial " << trial;
  }
}

struct FastCase {
  const char* name;
  int width, height;
  bool depth;
  bool tinted;
  int pattern_size;
  double disc;
  int max_blur;
  int skip;
  // Some level holds long constant runs, which the outline path adds as
  // differences.
  bool runs = false;
  int focus = 110;
};

ReferenceScene MakeScene(const FastCase& c) {
  ReferenceScene s;
  s.width = c.width;
  s.height = c.height;
  s.colour = NoiseImage(c.width, c.height, 17);
  for (auto& b : s.colour) b = static_cast<uint8_t>(b * 210 / 255);  // no 32-bit overflow
  if (c.depth) s.depth = BlockDepth(c.width, c.height, 23);
  s.pattern_width = s.pattern_height = c.pattern_size;
  s.pattern =
      c.tinted ? TintedDiscPattern(c.pattern_size, c.disc) : DiscPattern(c.pattern_size, c.disc);
  s.max_blur = c.max_blur;
  s.large_levels = 6;
  s.focus = c.focus;
  s.hardness = 0.9;
  s.skip = c.skip;
  return s;
}

// Both references, computed once per scene.
struct Expected {
  std::vector<uint8_t> engine_reference;
  ReferenceResult plain;
};

const Expected& ExpectedFor(const FastCase& c) {
  static std::map<std::string, Expected> cache;
  auto it = cache.find(c.name);
  if (it != cache.end()) return it->second;
  const ReferenceScene scene = MakeScene(c);
  Expected e;
  EngineOptions reference;
  reference.scatter_path = ScatterPath::kReference;
  const EngineRun run = RenderScene(scene, nullptr, reference);
  EXPECT_EQ(run.status, RenderStatus::kDone);
  e.engine_reference = run.output;
  e.plain = ReferenceRender(scene);
  return cache.emplace(c.name, std::move(e)).first->second;
}

size_t Mismatches(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

class FastPathScenes : public ::testing::TestWithParam<FastCase> {};

// The threaded paths: every test of the stripes runs on each.
constexpr ScatterPath kThreadedPaths[] = {ScatterPath::kFast, ScatterPath::kOutline};

const char* PathName(ScatterPath path) {
  switch (path) {
    case ScatterPath::kReference:
      return "reference";
    case ScatterPath::kFast:
      return "fast";
    case ScatterPath::kOutline:
      return "outline";
  }
  return "?";
}

class ThreadedPaths : public ::testing::TestWithParam<ScatterPath> {};

INSTANTIATE_TEST_SUITE_P(Paths, ThreadedPaths, ::testing::ValuesIn(kThreadedPaths),
                         [](const ::testing::TestParamInfo<ScatterPath>& info) {
                           return std::string(PathName(info.param));
                         });

// Heights that divide by nothing convenient, several kernel levels with and
// without a depth map, grey and three-plane patterns, skip 1 and 3, whole
// and moving bands; both threaded paths on 1, 2, 3 and 7 threads, vector
// adds on and off.
TEST_P(FastPathScenes, IdenticalToBothReferencesForEveryThreadCount) {
  const FastCase& c = GetParam();
  const ReferenceScene scene = MakeScene(c);
  const Expected& expected = ExpectedFor(c);
  ASSERT_FALSE(expected.plain.overflowed);
  EXPECT_EQ(Mismatches(expected.engine_reference, expected.plain.output), 0u);
  for (ScatterPath path : kThreadedPaths) {
    for (int threads : {1, 2, 3, 7}) {
      for (bool simd : {true, false}) {
        EngineOptions options;
        options.scatter_path = path;
        options.threads = threads;
        options.simd = simd;
        options.threaded_min_pixels = 0;
        const EngineRun run = RenderScene(scene, nullptr, options);
        ASSERT_EQ(run.status, RenderStatus::kDone);
        EXPECT_EQ(run.stats.threads, threads) << "the scene must be tall enough for every count";
        EXPECT_EQ(Mismatches(run.output, expected.engine_reference), 0u)
            << PathName(path) << ", " << threads << " threads, simd " << simd;
        EXPECT_GT(run.stats.cell_additions, 0u);
        if (path == ScatterPath::kOutline) {
          EXPECT_EQ(run.stats.run_levels > 0, c.runs) << "levels added as runs";
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scenes, FastPathScenes,
    ::testing::Values(
        FastCase{"MovingBandDepthGrey", 53, 701, true, false, 21, 17, 15, 1},
        FastCase{"MovingBandDepthGreySkip3", 53, 701, true, false, 21, 17, 15, 3},
        FastCase{"MovingBandTinted", 47, 613, true, true, 19, 17, 17, 1},
        FastCase{"MovingBandNoDepth", 37, 557, false, false, 9, 7, 0, 1},
        FastCase{"WholeBandDepthTinted", 61, 389, true, true, 17, 15, 13, 3},
        FastCase{"WholeBandNoDepthSkip3", 59, 211, false, true, 11, 9, 0, 3},
        // The pattern's own size (no depth map, or the widest
        // level in use): kernels with long runs.
        FastCase{"MovingBandNoDepthRuns", 41, 530, false, false, 25, 23, 0, 1, true},
        FastCase{"WholeBandDepthRunsSkip3", 70, 300, true, false, 25, 23, 23, 3, true, 0},
        FastCase{"WholeBandNoDepthTintedRuns", 50, 260, false, true, 31, 29, 0, 1, true}),
    [](const ::testing::TestParamInfo<FastCase>& info) { return std::string(info.param.name); });

ReferenceScene ProgressScene() {
  FastCase c{"progress", 150, 431, true, false, 11, 9, 9, 1};
  return MakeScene(c);
}

TEST_P(ThreadedPaths, ReportEveryPercentInOrderFromTheCallingThread) {
  const ReferenceScene scene = ProgressScene();
  EngineOptions options;
  options.scatter_path = GetParam();
  options.threads = 3;
  options.threaded_min_pixels = 0;
  RecordingReporter reporter;  // not thread-safe: any call from a worker would race
  const EngineRun run = RenderScene(scene, &reporter, options);
  ASSERT_EQ(run.status, RenderStatus::kDone);
  ASSERT_EQ(run.stats.threads, 3);
  ASSERT_GE(reporter.reports.size(), 101u);
  EXPECT_EQ(reporter.reports.front(), 0);
  EXPECT_EQ(reporter.reports.back(), 100);
  EXPECT_TRUE(std::is_sorted(reporter.reports.begin(), reporter.reports.end()));
  for (int p = 1; p <= 99; ++p) {
    EXPECT_NE(std::find(reporter.reports.begin(), reporter.reports.end(), p),
              reporter.reports.end())
        << p;
  }
}

// Checks that `run` holds the finished render `full` in its first rows and
// nothing but `fill` from the first row that differs on; returns the number
// of finished rows.
size_t ExpectFinishedPrefix(const std::vector<uint8_t>& run, const std::vector<uint8_t>& full,
                            size_t row_bytes, uint8_t fill) {
  EXPECT_EQ(run.size(), full.size());
  const size_t rows = std::min(run.size(), full.size()) / row_bytes;
  size_t finished = 0;
  while (finished < rows &&
         std::equal(run.begin() + finished * row_bytes, run.begin() + (finished + 1) * row_bytes,
                    full.begin() + finished * row_bytes)) {
    ++finished;
  }
  for (size_t y = finished; y < rows; ++y) {
    const auto begin = run.begin() + y * row_bytes;
    if (!std::all_of(begin, begin + row_bytes, [fill](uint8_t b) { return b == fill; })) {
      ADD_FAILURE() << "row " << y << " was written below row " << finished
                    << ", which was not finished";
      break;
    }
  }
  return finished;
}

// However far the workers got, the rows written are the top rows of the
// finished render and the rest are untouched; a question answered No
// changes nothing.
TEST_P(ThreadedPaths, CancelLeavesOnlyFinishedRows) {
  for (int height : {431, 701}) {  // whole band, moving band
    FastCase c{"cancel", 150, height, true, false, 11, 9, 9, 1};
    const ReferenceScene scene = MakeScene(c);
    EngineOptions options;
    options.scatter_path = GetParam();
    options.threads = 3;
    options.threaded_min_pixels = 0;
    const EngineRun full = RenderScene(scene, nullptr, options);
    for (bool confirm : {true, false}) {
      RecordingReporter reporter;
      reporter.cancel_at = 1;
      reporter.confirm = confirm;
      const EngineRun run = RenderScene(scene, &reporter, options, 7);
      EXPECT_EQ(reporter.confirm_questions, 1);
      EXPECT_EQ(reporter.reports.back(), 100);
      if (!confirm) {
        EXPECT_EQ(run.status, RenderStatus::kDone);
        EXPECT_EQ(run.output, full.output);
        continue;
      }
      EXPECT_EQ(run.status, RenderStatus::kCancelled);
      EXPECT_EQ(run.cancelled, 1);
      const size_t finished =
          ExpectFinishedPrefix(run.output, full.output, static_cast<size_t>(scene.width) * 3, 7);
      if (height <= 512) {
        EXPECT_EQ(finished, 0u) << "a whole band writes nothing after a cancel";
      }
    }
  }
}

// The output in a caller's layout, every byte set to `fill` before the
// render.
std::vector<uint8_t> RenderIntoLayout(const ReferenceScene& scene, ProgressReporter* reporter,
                                      const EngineOptions& options, int order_flag,
                                      int pixel_stride, int row_stride, uint8_t fill,
                                      RenderStatus* status) {
  EngineRun run = RenderSceneInto(scene, OutputLayout{order_flag, pixel_stride, row_stride},
                                  reporter, options, fill);
  *status = run.status;
  return std::move(run.output);
}

// A moving band cut into stripes that finish their rows out of order: a
// confirmed cancel early, midway or late must still leave the top rows
// finished and every row below them as it was, on two and three threads.
// The padded layout puts the channels in the last three of four bytes and
// pads the rows: the rows put back must get their channel bytes back there.
TEST_P(ThreadedPaths, ConfirmedCancelLeavesAPrefixOfRowsInAMovingBand) {
  // A wide kernel on every pixel: slow enough for cancels to come midway.
  FastCase c{"cancel-prefix", 200, 1400, false, false, 41, 39, 0, 1};
  const ReferenceScene scene = MakeScene(c);
  struct Layout {
    int order_flag, pixel_stride, row_stride;
    int threads;
  };
  const Layout packed{0, 3, scene.width * 3, 2};
  const Layout packed3{0, 3, scene.width * 3, 3};
  const Layout padded{1, 4, scene.width * 4 + 5, 2};
  constexpr uint8_t kFill = 7;
  bool interrupted = false;
  // The row backup is the stripes' own: the outline path is checked with
  // two of the layouts only, to keep the test's time in bounds.
  std::vector<Layout> layouts = {packed3, padded};
  if (GetParam() == ScatterPath::kFast) layouts.insert(layouts.begin(), packed);
  for (const Layout& layout : layouts) {
    EngineOptions options;
    options.scatter_path = GetParam();
    options.threads = layout.threads;
    options.threaded_min_pixels = 0;
    RenderStatus status;
    const std::vector<uint8_t> full =
        RenderIntoLayout(scene, nullptr, options, layout.order_flag, layout.pixel_stride,
                         layout.row_stride, kFill, &status);
    ASSERT_EQ(status, RenderStatus::kDone);
    for (int cancel_at : {3, 40, 85}) {
      SCOPED_TRACE(::testing::Message() << layout.threads << " threads, pixel stride "
                                        << layout.pixel_stride << ", cancel at " << cancel_at);
      RecordingReporter reporter;
      reporter.cancel_at = cancel_at;
      reporter.confirm = true;
      const std::vector<uint8_t> run =
          RenderIntoLayout(scene, &reporter, options, layout.order_flag, layout.pixel_stride,
                           layout.row_stride, kFill, &status);
      EXPECT_EQ(status, RenderStatus::kCancelled);
      EXPECT_EQ(reporter.confirm_questions, 1);
      EXPECT_EQ(reporter.reports.back(), 100);
      const size_t finished =
          ExpectFinishedPrefix(run, full, static_cast<size_t>(layout.row_stride), kFill);
      interrupted = interrupted || finished < static_cast<size_t>(scene.height);
    }
  }
  EXPECT_TRUE(interrupted) << "every cancel came after the last row: the scene is too quick";
}

// The rows' previous bytes are kept only where a cancel can come and the
// stripes write out of order: with progress shown, on several stripes, in a
// moving band. Should that memory be missing, the render runs on one stripe,
// renders the same bytes and still stops at a cancel with only top rows
// written.
TEST_P(ThreadedPaths, RowBackupOnlyForCancellableThreadedRenders) {
  EngineOptions options;
  options.scatter_path = GetParam();
  options.threads = 2;
  options.threaded_min_pixels = 0;
  for (int height : {431, 701}) {  // whole band, moving band
    FastCase c{"backup", 150, height, true, false, 11, 9, 9, 1};
    const ReferenceScene scene = MakeScene(c);
    const EngineRun plain = RenderScene(scene, nullptr, options);
    RecordingReporter reporter;
    const EngineRun shown = RenderScene(scene, &reporter, options);
    ASSERT_EQ(shown.status, RenderStatus::kDone);
    EXPECT_EQ(shown.output, plain.output);
    EXPECT_EQ(shown.stats.threads, 2);
    const uint64_t backup = static_cast<uint64_t>(height) * (1 + 3 * scene.width);
    if (height <= 512) {
      EXPECT_EQ(shown.allocations, plain.allocations);
      EXPECT_EQ(shown.stats.working_bytes, plain.stats.working_bytes);
      continue;
    }
    EXPECT_EQ(shown.allocations, plain.allocations + 1);
    EXPECT_GT(shown.stats.working_bytes, plain.stats.working_bytes);
    EXPECT_LT(shown.stats.working_bytes, plain.stats.working_bytes + backup);

    EngineOptions failing = options;
    failing.fail_allocation = 1;  // the one after the pattern copy: the backup
    for (int cancel_at : {-1, 30}) {
      RecordingReporter cancelling;
      cancelling.cancel_at = cancel_at;
      cancelling.confirm = true;
      const EngineRun run = RenderScene(scene, &cancelling, failing, 7);
      EXPECT_EQ(run.status, RenderStatus::kOutOfMemory) << cancel_at;
      EXPECT_EQ(run.stats.threads, 1) << cancel_at;
      EXPECT_EQ(run.cancelled, cancel_at < 0 ? 0 : 1);
      if (cancel_at < 0) {
        EXPECT_EQ(run.output, plain.output);
      } else {
        const size_t finished =
            ExpectFinishedPrefix(run.output, plain.output, static_cast<size_t>(scene.width) * 3, 7);
        EXPECT_LT(finished, static_cast<size_t>(height) * 30 / 100);
      }
    }
  }
}

// Each thread's band covers its stripe's kernel reach only, so a tall render
// on several threads needs less band memory than the reference's one band.
TEST_P(ThreadedPaths, BandsStaySmallerThanTheReferenceBand) {
  FastCase c{"memory", 300, 1500, true, false, 21, 17, 15, 1};
  const ReferenceScene scene = MakeScene(c);
  EngineOptions reference;
  reference.scatter_path = ScatterPath::kReference;
  EngineOptions fast;
  fast.scatter_path = GetParam();
  fast.threads = 4;
  const EngineRun slow = RenderScene(scene, nullptr, reference);
  const EngineRun quick = RenderScene(scene, nullptr, fast);
  EXPECT_EQ(quick.output, slow.output);
  EXPECT_EQ(quick.stats.threads, 4);
  // The outline path keeps difference rows next to the sums: twice the
  // fast path's bands, still below twice the reference's band.
  EXPECT_LT(quick.stats.working_bytes,
            (GetParam() == ScatterPath::kOutline ? 2 : 1) * slow.stats.working_bytes);
}

}  // namespace
}  // namespace ulvo::testing

namespace ulvo::testing {
namespace {

// The table must agree with the curve for every light, above all right at
// the points where the result steps: those are found here by bisection and
// checked a few units and a few representable values on either side.
TEST(ToneTableLookup, AgreesWithTheInverseCurveEverywhere) {
  std::mt19937_64 random(3);
  for (double hardness : {0.5, 0.8, 1.0, 1.5, 1.55, 1.6, 2.0, 3.0, 6.0, 0.05, 0.0, -1.0, 40.0}) {
    const ToneTable table(hardness);
    int last = 0;
    const auto check = [&](double light) {
      ASSERT_EQ(table(light), InverseTone(light, hardness))
          << "hardness " << hardness << " light " << light;
      ASSERT_EQ(table.Near(light, last), InverseTone(light, hardness)) << light;
    };
    check(0.0);
    check(INFINITY);
    for (int i = 0; i < 20000; ++i) {
      check(std::pow(10.0, std::uniform_real_distribution<double>(-2.0, 19.5)(random)));
      check(static_cast<double>(random() >> (random() % 64)));
    }
    double previous = 1.0;
    for (double light = 1.0; light < 1e19; light *= 1.0001) {
      if (InverseTone(light, hardness) == InverseTone(previous, hardness)) {
        previous = light;
        continue;
      }
      double lo = previous, hi = light;
      for (int step = 0; step < 200 && std::nextafter(lo, hi) < hi; ++step) {
        const double mid = lo + (hi - lo) / 2;
        (InverseTone(mid, hardness) == InverseTone(previous, hardness) ? lo : hi) = mid;
      }
      double below = hi, above = hi;
      for (int j = 0; j < 4; ++j) {
        check(below);
        check(above);
        check(std::floor(hi) - j);
        check(std::ceil(hi) + j);
        below = std::nextafter(below, 0.0);
        above = std::nextafter(above, INFINITY);
      }
      previous = light;
    }
  }
}

}  // namespace
}  // namespace ulvo::testing

namespace ulvo::testing {
namespace {

// Kernel sets built side by side on several threads: any one failing
// allocation is retried one level after another, so the render completes
// and only the out-of-memory status tells of it.
TEST_P(ThreadedPaths, FailedParallelKernelBuildIsRetried) {
  FastCase c{"oom", 40, 230, true, false, 11, 9, 9, 1};
  ReferenceScene scene = MakeScene(c);
  for (size_t i = 0; i < scene.depth.size(); ++i) scene.depth[i] = i % 3 ? 150 : 250;
  EngineOptions options;
  options.scatter_path = GetParam();
  options.threads = 2;
  options.threaded_min_pixels = 0;
  const EngineRun plain = RenderScene(scene, nullptr, options);
  ASSERT_EQ(plain.status, RenderStatus::kDone);
  ASSERT_EQ(plain.stats.threads, 2);
  // Pattern, two bands (with difference rows on the outline path), one
  // boundary.
  const int band_planes = GetParam() == ScatterPath::kOutline ? 8 : 4;
  const int before_kernels = 1 + 2 * band_planes + 1;
  ASSERT_GT(plain.allocations, before_kernels);
  for (int fail = 0; fail < plain.allocations; ++fail) {
    options.fail_allocation = fail;
    const EngineRun run = RenderScene(scene, nullptr, options, 7);
    EXPECT_EQ(run.status, RenderStatus::kOutOfMemory) << fail;
    if (fail < before_kernels) {
      EXPECT_TRUE(std::all_of(run.output.begin(), run.output.end(), [](uint8_t b) {
        return b == 7;
      })) << fail;
    } else {
      EXPECT_EQ(run.output, plain.output) << fail;
    }
  }
}

}  // namespace
}  // namespace ulvo::testing

namespace ulvo::testing {
namespace {

// A pattern three rows high whose small levels become 7 × 7 Gaussians: the
// moving band must keep the Gaussians' reach, not just half the pattern's
// height, or light falls outside it. Rows well above the bottom must come
// out as in a render of the top 512 rows alone, which holds them all in one
// band.
TEST_P(ThreadedPaths, KernelsTallerThanThePatternLoseNoLight) {
  ReferenceScene scene;
  scene.width = 40;
  scene.height = 600;
  scene.colour = NoiseImage(scene.width, scene.height, 8);
  scene.depth = BlockDepth(scene.width, scene.height, 2);
  scene.pattern_width = 15;
  scene.pattern_height = 3;
  scene.pattern.assign(15 * 3 * 3, 200);
  scene.max_blur = 15;
  ReferenceScene top = scene;
  top.height = 512;
  top.colour.resize(static_cast<size_t>(top.width) * top.height * 3);
  top.depth.resize(static_cast<size_t>(top.width) * top.height);

  EngineOptions reference;
  reference.scatter_path = ScatterPath::kReference;
  EngineOptions fast;
  fast.scatter_path = GetParam();
  fast.threads = 3;
  fast.threaded_min_pixels = 0;
  ::testing::internal::CaptureStdout();
  const EngineRun whole = RenderScene(top, nullptr, reference);
  const EngineRun slow = RenderScene(scene, nullptr, reference);
  const EngineRun quick = RenderScene(scene, nullptr, fast);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "no light may fall outside the band";
  ASSERT_EQ(slow.status, RenderStatus::kDone);
  EXPECT_EQ(quick.output, slow.output);
  EXPECT_EQ(quick.stats.threads, 3);
  const size_t rows_compared = 500;  // far enough from row 511 for a 7-row kernel
  const size_t bytes = rows_compared * scene.width * 3;
  EXPECT_TRUE(std::equal(whole.output.begin(), whole.output.begin() + bytes, slow.output.begin()));
}

}  // namespace
}  // namespace ulvo::testing
