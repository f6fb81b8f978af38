// The parts of the threaded paths on their own: the stripe plan, the worker
// runner, kernel sets built only for the intensities a render uses, and the
// cutting of kernel rows into runs and cells.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "src/engine/kernel_set.h"
#include "src/engine/outline_kernels.h"
#include "src/engine/stripe_plan.h"
#include "src/engine/worker_runner.h"
#include "tests/support/apertures.h"

namespace ulvo::testing {
namespace {

StripePlanRequest Request(int height, int threads) {
  StripePlanRequest r;
  r.width = 300;
  r.height = height;
  r.up = 10;
  r.dn = 11;
  r.threads = threads;
  r.band_row_bytes = 4 * 8 * 300;
  r.band_budget = 1ull << 40;
  r.row_group = 16;
  return r;
}

// Stripes follow one another without gap or overlap, each band covers its
// stripe and the reach above and below inside the region, and a moving band
// holds the reach and one row group.
void ExpectWellFormed(const StripePlanRequest& r, const StripePlan& plan) {
  ASSERT_FALSE(plan.stripes.empty());
  EXPECT_EQ(plan.deferred, r.height <= 512);
  EXPECT_EQ(plan.stripes.front().first, 0);
  EXPECT_EQ(plan.stripes.back().end, r.height);
  for (size_t i = 0; i < plan.stripes.size(); ++i) {
    const StripeRows& s = plan.stripes[i];
    if (i > 0) {
      EXPECT_EQ(s.first, plan.stripes[i - 1].end);
    }
    EXPECT_LT(s.first, s.end);
    EXPECT_EQ(s.lo, std::max(0, s.first - r.up));
    EXPECT_EQ(s.hi, std::min(r.height, s.end + r.dn));
    const int expected_rows =
        plan.deferred ? s.hi - s.lo : std::min(s.hi - s.lo, r.up + r.dn + r.row_group);
    EXPECT_EQ(s.band_rows, expected_rows);
  }
  if (plan.stripes.size() > 1) {
    EXPECT_EQ(plan.shared_rows, r.up + r.dn);
    // The rows below boundary j that both stripes reach.
    for (size_t j = 0; j + 1 < plan.stripes.size(); ++j) {
      EXPECT_EQ(plan.BoundaryFirst(static_cast<int>(j)), plan.stripes[j + 1].lo);
      EXPECT_EQ(plan.BoundaryFirst(static_cast<int>(j)) + plan.shared_rows, plan.stripes[j].hi);
    }
  }
}

TEST(StripePlan, StripesTileTheRegionForEveryHeightAndCount) {
  for (int height : {1, 15, 16, 100, 511, 512, 513, 701, 3000}) {
    for (int threads : {1, 2, 3, 7, 64, 200}) {
      SCOPED_TRACE(::testing::Message() << height << " rows, " << threads << " threads");
      const StripePlanRequest r = Request(height, threads);
      const StripePlan plan = PlanStripes(r);
      ExpectWellFormed(r, plan);
      // Never more stripes than asked, than 64, or than stripes as tall as
      // the kernels' reach.
      const int most = std::max(1, std::min({threads, 64, height / (r.up + r.dn)}));
      EXPECT_EQ(static_cast<int>(plan.stripes.size()), most);
      ExpectWellFormed(r, PlanOneStripe(r));
      EXPECT_EQ(PlanOneStripe(r).stripes.size(), 1u);
    }
  }
}

TEST(StripePlan, SmallRegionsAndTightBudgetsTakeFewerStripes) {
  StripePlanRequest r = Request(3000, 8);
  r.threaded_min_pixels = 300 * 3000 + 1;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 1u);
  r.threaded_min_pixels = 300 * 3000;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 8u);

  // Short kernels: stripes stay at least 16 rows tall.
  r.threaded_min_pixels = 0;
  r.up = r.dn = 1;
  r.height = 50;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 3u);

  // A moving band of n stripes takes n × (reach + group) rows, plus the
  // shared rows of n − 1 boundaries.
  r = Request(3000, 8);
  const uint64_t per_stripe = (21 + 16) * r.band_row_bytes;
  const uint64_t per_boundary = 21 * r.band_row_bytes;
  r.band_budget = 3 * per_stripe + 2 * per_boundary;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 3u);
  r.band_budget -= 1;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 2u);
  r.band_budget = 0;
  EXPECT_EQ(PlanStripes(r).stripes.size(), 1u) << "one stripe whatever the budget";
}

TEST(WorkerRunner, EveryJobOnceAndTicksUntilAllEnd) {
  for (int count : {1, 2, 5}) {
    std::vector<std::atomic<int>> runs(static_cast<size_t>(count));
    std::atomic<int> ended{0};
    std::vector<bool> ticks;
    RunOnWorkers(
        count,
        [&](int i) {
          std::this_thread::sleep_for(std::chrono::milliseconds(30));
          ++runs[i];
          ++ended;
        },
        [&](bool all_done) {
          // all_done is true only once every job has ended.
          EXPECT_TRUE(!all_done || ended.load() == count);
          ticks.push_back(all_done);
        },
        std::chrono::milliseconds(5));
    for (const auto& r : runs) EXPECT_EQ(r.load(), 1);
    ASSERT_GE(ticks.size(), 2u) << "ticks while the jobs run";
    EXPECT_TRUE(ticks.back());
    EXPECT_EQ(std::count(ticks.begin(), ticks.end(), true), 1);
  }
}

// Copies filled under a mask hold exactly the values of a full build; the
// others stay 0, except those every set needs (255 and the weight copy).
TEST(KernelSet, OnlyTheNeededCopiesAreBuiltWithTheSameValues) {
  std::vector<uint8_t> needed(256, 0);
  for (int i : {0, 3, 77, 200, 254}) needed[i] = 1;
  struct Case {
    int planes;
    double hardness, brightness;
    int level, size;
  };
  // Unscaled, scaled and fine-sum light; large levels and a Gaussian one.
  for (const Case& c :
       {Case{1, 1.0, 1.0, 12, 17}, Case{3, 1.0, 1.0, 12, 13}, Case{1, 3.0, 4.0, 12, 17},
        Case{3, 6.0, 2.5, 3, 1}, Case{1, 1.0, 1.0, 5, 1}}) {
    SCOPED_TRACE(::testing::Message()
                 << c.planes << " planes, hardness " << c.hardness << ", level " << c.level);
    const PatternCopy pattern = FringedDiscCopy(21, c.planes);
    const KernelTone tone = PrepareKernelTone(pattern, c.hardness, c.brightness, 20);
    LevelGeometry geometry;
    geometry.width = geometry.height = c.size;
    geometry.diameter = c.level < 10 ? c.level * 24 / 256.0 : c.size;
    BufferAllocator allocator;
    KernelSet full, part;
    ASSERT_TRUE(BuildLevelKernels(pattern, tone, geometry, c.level, allocator, &full));
    ASSERT_TRUE(
        BuildLevelKernels(pattern, tone, geometry, c.level, allocator, &part, needed.data()));
    ASSERT_EQ(part.width, full.width);
    ASSERT_EQ(part.copies, full.copies);
    const size_t cells = static_cast<size_t>(full.width) * full.height;
    for (int p = 0; p < full.copies; ++p) {
      for (int q = 0; q < full.planes; ++q) {
        const bool filled = p >= 256 || p == 255 || (p == 128 && full.copies == 256) || needed[p];
        const std::vector<uint32_t> want(full.Copy(p, q), full.Copy(p, q) + cells);
        const std::vector<uint32_t> got(part.Copy(p, q), part.Copy(p, q) + cells);
        if (filled) {
          ASSERT_EQ(got, want) << "copy " << p << " plane " << q;
        } else {
          ASSERT_EQ(got, std::vector<uint32_t>(cells, 0)) << "copy " << p << " plane " << q;
        }
      }
    }
    for (int r = 0; r < full.height; ++r) {
      EXPECT_EQ(part.span_first[r], full.span_first[r]);
      EXPECT_EQ(part.span_last[r], full.span_last[r]);
    }
  }
}

// Adds a row's runs and cells the way the outline scatter does (runs into
// a difference row, summed up afterwards) and returns the result.
std::vector<uint64_t> Replay(const std::vector<uint32_t>& values, int first, int last) {
  std::vector<OutlineRun> runs;
  std::vector<OutlineCells> cells;
  OutlineRow row;
  EncodeOutlineRow(values.data(), first, last, &runs, &cells, &row);
  EXPECT_EQ(row.run_count, runs.size());
  EXPECT_EQ(row.cell_count, cells.size());
  std::vector<uint64_t> sums(values.size() + 1, 0), diffs(values.size() + 1, 0);
  for (const OutlineRun& run : runs) {
    EXPECT_GE(run.end - run.first, kMinOutlineRun);
    diffs[run.first] += run.value;
    diffs[run.end] -= run.value;
  }
  int previous_end = -1;
  for (const OutlineCells& c : cells) {
    EXPECT_GT(c.count, 0);
    EXPECT_GT(c.first, previous_end) << "cells in order, never overlapping";
    previous_end = c.first + c.count - 1;
    for (int i = c.first; i < c.first + c.count; ++i) sums[i] += values[i];
  }
  uint64_t running = 0;
  for (size_t i = 0; i < sums.size(); ++i) {
    running += diffs[i];
    sums[i] += running;
  }
  sums.pop_back();
  return sums;
}

TEST(OutlineRows, RunsAndCellsAddUpToTheRowWithinItsSpan) {
  std::mt19937 random(4);
  for (int trial = 0; trial < 2000; ++trial) {
    const int width = 1 + static_cast<int>(random() % 90);
    std::vector<uint32_t> values(static_cast<size_t>(width));
    // Stretches of equal values (zeros and the full 32-bit range included)
    // of every length around the run threshold.
    for (int i = 0; i < width;) {
      const int length = 1 + static_cast<int>(random() % (2 * kMinOutlineRun));
      const uint32_t value = random() % 4 == 0 ? 0 : static_cast<uint32_t>(random());
      for (int j = 0; j < length && i < width; ++j, ++i) values[i] = value;
    }
    const int first = static_cast<int>(random() % width);
    const int last = first + static_cast<int>(random() % (width - first));
    const std::vector<uint64_t> sums = Replay(values, first, last);
    for (int i = 0; i < width; ++i) {
      const uint64_t want = i >= first && i <= last ? values[i] : 0;
      ASSERT_EQ(sums[i], want) << "trial " << trial << " column " << i;
    }
  }
  // An empty span (three planes whose spans do not meet) adds nothing.
  EXPECT_EQ(Replay({5, 5, 5}, 2, 1), std::vector<uint64_t>(3, 0));
}

TEST(OutlineRows, AConstantRowIsOneRunAndAnUnevenOneOnlyCells) {
  std::vector<OutlineRun> runs;
  std::vector<OutlineCells> cells;
  OutlineRow row;
  const std::vector<uint32_t> flat(40, 123456);
  EncodeOutlineRow(flat.data(), 0, 39, &runs, &cells, &row);
  EXPECT_EQ(runs.size(), 1u);
  EXPECT_TRUE(cells.empty());
  std::vector<uint32_t> uneven(40);
  for (int i = 0; i < 40; ++i) uneven[i] = 385570 + (i % 3 == 0 ? 5 : 0);
  runs.clear();
  EncodeOutlineRow(uneven.data(), 0, 39, &runs, &cells, &row);
  EXPECT_TRUE(runs.empty());
  ASSERT_EQ(row.cell_count, 1);
  EXPECT_EQ(cells[row.cells].count, 40);
}

}  // namespace
}  // namespace ulvo::testing
