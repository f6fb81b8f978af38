#include "src/engine/fast_driver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "src/engine/defocus_engine.h"
#include "src/engine/fast_scatter.h"
#include "src/engine/outline_scatter.h"
#include "src/engine/progress_ticker.h"
#include "src/engine/stripe_worker.h"
#include "src/engine/tone_inverse16.h"
#include "src/engine/worker_runner.h"

namespace ulvo {
namespace {

// The bands of all threads together stay below this; a 32-bit process has
// only 2 GB of address space for everything.
constexpr uint64_t kBandBudget = sizeof(void*) == 4 ? (256ull << 20) : (2048ull << 20);
// The row backup of a cancellable threaded render is not even tried above
// this: one stripe needs none, and is only slower.
constexpr uint64_t kBackupBudget = sizeof(void*) == 4 ? (128ull << 20) : (2048ull << 20);
constexpr auto kReportInterval = std::chrono::milliseconds(100);
// Source rows scattered together, column block by column block.
constexpr int kRowGroup = 16;
// Band bytes a column block of a row group should touch at most.
constexpr int kBlockBytes = 512 * 1024;
// Regions up to this size build only the intensity copies their pixels use.
constexpr int64_t kIntensityScanPixels = 4 << 20;

// The scatter the render's path asks for, chosen once for the render.
std::unique_ptr<ScatterMethod> ChooseScatterMethod(ScatterPath path) {
  if (path == ScatterPath::kOutline) return std::make_unique<OutlineMethod>();
  return std::make_unique<FastMethod>();
}

class FastDriver {
 public:
  explicit FastDriver(const RenderContext& context)
      : context_(context),
        in_(context.inputs),
        method_(ChooseScatterMethod(in_.options.scatter_path)),
        kernels_(context.pattern, context.tone, context.levels, context.allocator),
        tone_table_(context.tone.hardness),
        ticker_(in_.reporter, in_.width, in_.height) {
    if (in_.sample_bytes == 2) inverse16_.emplace(context.tone.hardness);
  }

  FastDriveResult Run();

 private:
  void Scan();
  bool Plan();
  bool Allocate();
  void BuildKernels();
  bool RunThreaded();
  // Lets the ticker report the workers' progress; a confirmed cancel stops
  // them.
  void Tick(bool all_done, bool cancellable);

  const RenderContext& context_;
  const RenderInputs& in_;
  const std::unique_ptr<ScatterMethod> method_;
  LevelKernelCache kernels_;
  const ToneTable tone_table_;
  std::optional<ToneInverse16> inverse16_;  // 16-bit renders
  ProgressTicker ticker_;
  std::vector<int> used_levels_;  // in the order the scan first meets them
  // Per level, the intensities its scattered pixels have in any channel.
  std::vector<std::vector<uint8_t>> needed_;
  DepthTiles tiles_;
  StripePlan plan_;
  StripeShared shared_;
  std::unique_ptr<Boundary[]> boundaries_;
  RowBackup backup_;
  std::vector<std::unique_ptr<StripeWorker>> workers_;
  std::atomic<bool> stop_{false};
  std::atomic<int> rows_done_{0};
};

// Finds the levels and, for each, the intensities that some scattered pixel
// needs, and the nearest depth of every tile. Large regions use nearly every
// intensity on every level: there only the levels are looked for.
void FastDriver::Scan() {
  const int width = in_.width;
  const int height = in_.height;
  const size_t count = context_.levels.levels.size();
  const bool intensities = static_cast<int64_t>(width) * height <= kIntensityScanPixels;
  needed_.assign(count, {});
  const bool tiles = in_.depth.present() && tiles_.Reset(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int level = context_.LevelAt(x, y);
      std::vector<uint8_t>& needed = needed_[level];
      if (needed.empty()) {
        needed.assign(256, intensities ? 0 : 1);
        used_levels_.push_back(level);
      }
      if (tiles) tiles_.Note(x, y, *in_.depth.at(x, y));
      if (!intensities) continue;
      if (context_.skip >= 2 &&
          !ScatteredUnderSkip(x, y, context_.skip, context_.levels.levels[level].diameter)) {
        continue;
      }
      const uint8_t* pixel = in_.SourcePixel(x, y);
      if (in_.sample_bytes == 2) {
        // A 16-bit sample takes the copies of both ends of its step.
        for (int k = 0; k < 3; ++k) {
          const int v = in_.SourceSample16(pixel, k);
          needed[v / 257] = 1;
          if (v % 257 != 0) needed[v / 257 + 1] = 1;
        }
        continue;
      }
      for (int k = 0; k < 3; ++k) needed[in_.SourceChannel(pixel, k)] = 1;
    }
  }
  for (int level : used_levels_) kernels_.SetNeededCopies(level, needed_[level]);
}

bool FastDriver::Plan() {
  const int width = in_.width;
  const int height = in_.height;
  const DepthLevels& levels = context_.levels;
  Scan();
  int up = 0;
  int dn = 0;
  int widest = 1;
  for (int level : used_levels_) {
    const int kh = BuiltKernelHeight(levels, level);
    const int kw = BuiltKernelWidth(levels, level);
    up = std::max(up, (kh - 1) / 2);
    dn = std::max(dn, kh - 1 - (kh - 1) / 2);
    widest = std::max(widest, kw);
    method_->FitMargins(kw, &shared_);
  }
  // The reference's moving band keeps rows within this reach of the current
  // row; every kernel lies within it, so both drivers add all the light.
  // Should that ever change, the reference driver renders alone.
  const int reach = KernelRows(context_.pattern.height, levels) / 2;
  if (height > 512 && (up > reach || dn > reach)) return false;

  shared_.band_planes = context_.tone.has_fine ? kMaxBandPlanes : 4;
  const int band_sets = method_->band_sets();
  shared_.block_columns = std::clamp(
      kBlockBytes / (8 * shared_.band_planes * band_sets * (kRowGroup + up + dn + 1)) - widest, 64,
      std::max(width, 64));

  StripePlanRequest request;
  request.width = width;
  request.height = height;
  request.up = up;
  request.dn = dn;
  request.threads = in_.options.threads > 0 ? in_.options.threads
                                            : static_cast<int>(std::thread::hardware_concurrency());
  request.threaded_min_pixels = in_.options.threaded_min_pixels;
  request.band_row_bytes =
      static_cast<uint64_t>(band_sets) * shared_.band_planes * sizeof(uint64_t) *
      (static_cast<uint64_t>(width) + shared_.margin_left + shared_.margin_right);
  request.band_budget = kBandBudget;
  request.row_group = kRowGroup;
  plan_ = PlanStripes(request);
  if (ticker_.active() && !plan_.deferred && plan_.stripes.size() > 1) {
    // A cancel could leave rows written below unwritten ones: the rows'
    // previous bytes are kept, or else one stripe writes its rows in order
    // and renders the same bytes. A failed allocation still marks the render
    // out of memory.
    if (!backup_.Allocate(in_.output, width, height, plan_.stripes[1].lo, kBackupBudget,
                          context_.allocator)) {
      plan_ = PlanOneStripe(request);
    }
  }
  return true;
}

bool FastDriver::Allocate() {
  shared_.context = &context_;
  shared_.kernels = &kernels_;
  shared_.tiles = &tiles_;
  shared_.tone_table = &tone_table_;
  shared_.plan = &plan_;
  shared_.backup = &backup_;
  shared_.fused_pixel = ChooseFusedPixel(in_.options.simd);
  shared_.dense_rows = ChooseDenseRows(in_.options.simd);
  if (inverse16_) {
    shared_.pair_pixel = ChoosePairPixel(in_.options.simd);
    shared_.dense_pairs = ChooseDensePairRows(in_.options.simd);
    shared_.inverse16 = &*inverse16_;
  }
  shared_.stop = &stop_;
  shared_.rows_done = &rows_done_;
  const int threads = static_cast<int>(plan_.stripes.size());
  for (int i = 0; i < threads; ++i) {
    workers_.push_back(std::make_unique<StripeWorker>(shared_, i, *method_));
    if (!workers_.back()->Allocate(kRowGroup)) return false;
  }
  if (threads > 1 && plan_.shared_rows > 0) {
    boundaries_ = std::make_unique<Boundary[]>(static_cast<size_t>(threads - 1));
    for (int j = 0; j + 1 < threads; ++j) {
      Boundary& b = boundaries_[j];
      b.first = plan_.BoundaryFirst(j);
      b.rows = plan_.shared_rows;
      b.sums = context_.allocator.Zeroed<uint64_t>(static_cast<uint64_t>(shared_.band_planes) *
                                                   b.rows * static_cast<uint64_t>(in_.width));
      if (!b.sums) return false;
      b.arrived.assign(static_cast<size_t>(b.rows), 0);
    }
    shared_.boundaries = boundaries_.get();
  }
  return true;
}

// Builds every level that some pixel selects, as far as its pixels need:
// with several threads side by side first, then whatever is missing one
// after another under the cache's retry rule.
void FastDriver::BuildKernels() {
  std::vector<uint8_t> failed(context_.levels.levels.size(), 0);
  if (plan_.stripes.size() > 1 && used_levels_.size() > 1) {
    std::atomic<size_t> next{0};
    RunOnWorkers(
        static_cast<int>(plan_.stripes.size()),
        [&](int) {
          for (size_t i = next++; i < used_levels_.size(); i = next++) {
            const int level = used_levels_[i];
            failed[level] = !kernels_.TryBuild(level);
          }
        },
        [&](bool all_done) { Tick(all_done, false); }, kReportInterval);
  }
  kernels_.Settle(used_levels_, failed);
  method_->PrepareLevels(used_levels_, needed_, &kernels_, context_);
  context_.stats.kernel_bytes = kernels_.Bytes();
}

void FastDriver::Tick(bool all_done, bool cancellable) {
  if (!ticker_.Poll(rows_done_.load(), all_done, cancellable)) stop_.store(true);
}

bool FastDriver::RunThreaded() {
  const int threads = static_cast<int>(workers_.size());
  RunOnWorkers(
      threads, [this](int i) { workers_[i]->Run(nullptr, kRowGroup); },
      [&](bool all_done) { Tick(all_done, true); }, kReportInterval);
  const bool cancelled = ticker_.cancelled();
  if (cancelled && backup_.active()) backup_.RestoreUnfinishedRows();
  if (plan_.deferred && !cancelled) {
    RunOnWorkers(
        threads, [this](int i) { workers_[i]->RetireAll(); },
        [&](bool all_done) { Tick(all_done, false); }, kReportInterval);
  }
  return cancelled;
}

FastDriveResult FastDriver::Run() {
  if (!Plan()) return FastDriveResult::kNotApplicable;
  if (!Allocate()) return FastDriveResult::kOutOfMemory;

  ticker_.Start();
  BuildKernels();

  bool cancelled = false;
  if (workers_.size() == 1) {
    // On this thread, row by row with a report before every row as the
    // reference gives.
    const std::function<bool(int)> before_row = [this](int y) { return ticker_.BeforeRow(y); };
    const bool reports = ticker_.active();
    cancelled = !workers_[0]->Run(reports ? before_row : nullptr, reports ? 1 : kRowGroup);
    if (!cancelled && plan_.deferred) workers_[0]->RetireAll();
  } else {
    cancelled = RunThreaded();
  }

  kernels_.FreeAll();
  ticker_.Finish();
  RunStats& stats = context_.stats;
  stats.threads = static_cast<int>(workers_.size());
  stats.cell_additions = 0;
  for (const auto& worker : workers_) stats.cell_additions += worker->cells();
  return cancelled ? FastDriveResult::kCancelled : FastDriveResult::kDone;
}

}  // namespace

FastDriveResult FastDrive(const RenderContext& context) {
  FastDriver driver(context);
  return driver.Run();
}

}  // namespace ulvo
