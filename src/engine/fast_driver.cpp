#include "src/engine/fast_driver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/defocus_engine.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/render_driver.h"
#include "src/engine/tone_table.h"

namespace ulvo {
namespace {

constexpr int kMaxBuildFailures = 2;
constexpr int kMinStripeRows = 16;
constexpr int kMaxThreads = 64;
// The bands of all threads together stay below this; a 32-bit process has
// only 2 GB of address space for everything.
constexpr uint64_t kBandBudget = sizeof(void*) == 4 ? (256ull << 20) : (2048ull << 20);
// The row backup of a cancellable threaded render is not even tried above
// this: one stripe needs none, and is only slower.
constexpr uint64_t kBackupBudget = sizeof(void*) == 4 ? (128ull << 20) : (2048ull << 20);
constexpr auto kReportInterval = std::chrono::milliseconds(100);
constexpr int kTile = 8;
// Source rows scattered together, column block by column block.
constexpr int kRowGroup = 16;
// Band bytes a column block of a row group should touch at most.
constexpr int kBlockBytes = 512 * 1024;

// Source rows [first, end) scattered into a band that covers the target
// rows [lo, hi) they reach. Target row t lives in band row t mod band rows.
struct Stripe {
  int first = 0;
  int end = 0;
  int lo = 0;
  int hi = 0;
  Band band;
  uint64_t cells = 0;
};

// Target rows [first, first + rows) that the stripes on both sides of a
// boundary reach. The first stripe to finish a row leaves its sums here; the
// second adds them to its own and writes the row.
struct Boundary {
  int first = 0;
  int rows = 0;
  std::unique_ptr<uint64_t[]> sums;  // every band plane's rows × width
  std::vector<uint8_t> arrived;
  std::mutex mutex;
};

class FastDriver {
 public:
  explicit FastDriver(const FastDriveSetup& setup)
      : setup_(setup),
        in_(*setup.inputs),
        levels_(*setup.levels),
        flush_(MakeFlushSettings(*setup.tone, in_.width, in_.height)),
        tone_table_(setup.tone->hardness),
        planes_(setup.tone->has_fine ? kMaxBandPlanes : 4) {}

  FastDriveResult Run();

 private:
  bool Plan();
  void PlanOneStripe();
  bool Allocate(bool progress);
  bool AllocateRowBackup();
  uint8_t* RowChannels(int t) const;
  void KeepRow(int t);
  void RestoreUnfinishedRows();
  void BuildKernels(bool progress);
  bool RunStripe(int index, const std::function<bool(int)>& before_row);
  void RetireAll(int index);
  void ScatterRow(Stripe& stripe, int y, int x_begin, int x_end);
  bool NothingDimmed(int x0, int x1, int y0, int y1, int source_depth) const;
  void Retire(int index, int t);
  bool RunThreaded(bool progress);
  void RunPhase(const std::function<void(int)>& job, bool scatter_phase, bool progress);

  const FastDriveSetup& setup_;
  const RenderInputs& in_;
  const DepthLevels& levels_;
  FlushSettings flush_;
  const ToneTable tone_table_;
  std::vector<int> used_levels_;  // in the order the scan first meets them
  // Nearest depth of each 8 × 8 tile of the depth map, so that most pixels
  // can skip the occlusion test of every kernel row. Empty without a depth
  // map (or without the memory for it).
  std::vector<uint8_t> tile_min_;
  int tile_columns_ = 0;
  std::vector<KernelSet> kernels_;
  const FusedPixelFunction fused_pixel_ = ChooseFusedPixel(in_.options.simd);
  int row_group_ = kRowGroup;  // 1 when this thread reports before every row
  int block_columns_ = 64;     // columns scattered together for a row group
  int up_ = 0;                 // kernel rows above a source row, at most
  int dn_ = 0;                 // kernel rows below it, at most
  bool deferred_ = false;      // rows are written only after every row was scattered
  std::vector<Stripe> stripes_;
  std::unique_ptr<Boundary[]> boundaries_;
  // A cancellable render on several stripes writes its rows out of order. For
  // it, written_ marks every output row written so far, and previous_ keeps
  // the channel bytes rows backup_first_.. held before they were written
  // (width × 3 a row), so that after a cancel the rows below the first
  // unwritten one can be put back. Null otherwise. Each row is written once,
  // by one thread, and read back only after all threads have ended.
  std::unique_ptr<uint8_t[]> row_backup_;
  uint8_t* written_ = nullptr;
  uint8_t* previous_ = nullptr;
  int backup_first_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> rows_done_{0};
  bool cancelled_ = false;
  int last_reported_ = 0;
  const int planes_;  // band planes: 4, or 7 with fine sums
};

int KernelHeight(const LevelGeometry& geometry, int level) {
  if (level >= 1 && level < kSmallLevels) return SmallLevelSize(geometry.diameter);
  return geometry.height;
}

bool FastDriver::Plan() {
  const int width = in_.width;
  const int height = in_.height;
  const int count = static_cast<int>(levels_.levels.size());
  std::vector<uint8_t> seen(static_cast<size_t>(count), 0);
  if (in_.depth.present()) {
    tile_columns_ = (width + kTile - 1) / kTile;
    try {
      tile_min_.assign(static_cast<size_t>(tile_columns_) * ((height + kTile - 1) / kTile), 255);
    } catch (const std::bad_alloc&) {
      tile_min_.clear();  // every row gets the test
    }
    for (int y = 0; y < height; ++y) {
      uint8_t* tiles = tile_min_.empty()
                           ? nullptr
                           : tile_min_.data() + static_cast<size_t>(y / kTile) * tile_columns_;
      for (int x = 0; x < width; ++x) {
        const uint8_t d = *in_.depth.at(x, y);
        const int level = levels_.depth_to_level[d];
        if (!seen[level]) {
          seen[level] = 1;
          used_levels_.push_back(level);
        }
        if (tiles != nullptr && d < tiles[x / kTile]) tiles[x / kTile] = d;
      }
    }
  } else {
    used_levels_.push_back(count - 1);
  }
  int widest = 1;
  for (int level : used_levels_) {
    const int kh = KernelHeight(levels_.levels[level], level);
    const int hh = (kh - 1) / 2;
    up_ = std::max(up_, hh);
    dn_ = std::max(dn_, kh - 1 - hh);
    widest =
        std::max(widest, level >= 1 && level < kSmallLevels ? kh : levels_.levels[level].width);
  }
  block_columns_ = std::clamp(kBlockBytes / (32 * (kRowGroup + up_ + dn_ + 1)) - widest, 64,
                              std::max(width, 64));
  // The reference's moving band keeps rows within this reach of the current
  // row; every kernel lies within it, so both drivers add all the light.
  // Should that ever change, the reference driver renders alone.
  const int reach = KernelRows(setup_.pattern->height, levels_) / 2;
  if (height > 512 && (up_ > reach || dn_ > reach)) return false;
  deferred_ = height <= 512;

  int threads = in_.options.threads > 0 ? in_.options.threads
                                        : static_cast<int>(std::thread::hardware_concurrency());
  threads = std::clamp(threads, 1, kMaxThreads);
  if (static_cast<int64_t>(width) * height < in_.options.threaded_min_pixels) threads = 1;
  threads = std::max(1, std::min(threads, height / std::max(up_ + dn_, kMinStripeRows)));
  const uint64_t row_bytes = planes_ * sizeof(uint64_t) * static_cast<uint64_t>(width);
  const auto band_bytes = [&](int n) {
    const uint64_t rows = deferred_ ? static_cast<uint64_t>(height) + n * (up_ + dn_)
                                    : static_cast<uint64_t>(n) * (up_ + dn_ + kRowGroup);
    return (rows + static_cast<uint64_t>(n - 1) * (up_ + dn_)) * row_bytes;
  };
  while (threads > 1 && band_bytes(threads) > kBandBudget) --threads;

  stripes_.resize(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) {
    Stripe& s = stripes_[i];
    s.first = static_cast<int>(static_cast<int64_t>(height) * i / threads);
    s.end = static_cast<int>(static_cast<int64_t>(height) * (i + 1) / threads);
    s.lo = std::max(0, s.first - up_);
    s.hi = std::min(height, s.end + dn_);
  }
  return true;
}

void FastDriver::PlanOneStripe() {
  stripes_.clear();
  stripes_.resize(1);
  stripes_[0].end = in_.height;
  stripes_[0].hi = in_.height;
}

// The row backup of a cancellable render on several stripes. Rows above
// stripe 1's reach are written by stripe 0 alone, in order, so they are
// always a prefix of the written rows and need no backup.
bool FastDriver::AllocateRowBackup() {
  const int height = in_.height;
  backup_first_ = stripes_[1].lo;
  const uint64_t bytes =
      static_cast<uint64_t>(height) + static_cast<uint64_t>(height - backup_first_) * 3 * in_.width;
  if (bytes > kBackupBudget) return false;
  row_backup_ = setup_.allocator->Zeroed<uint8_t>(bytes);
  if (!row_backup_) return false;
  written_ = row_backup_.get();
  previous_ = written_ + height;
  return true;
}

bool FastDriver::Allocate(bool progress) {
  // Without the row backup a cancel could leave rows written below unwritten
  // ones; one stripe writes its rows in order and renders the same bytes. A
  // failed allocation still marks the render out of memory.
  if (progress && !deferred_ && stripes_.size() > 1 && !AllocateRowBackup()) PlanOneStripe();
  for (Stripe& s : stripes_) {
    const int rows = deferred_ ? s.hi - s.lo : std::min(s.hi - s.lo, up_ + dn_ + kRowGroup);
    if (!AllocateBand(std::max(rows, 1), in_.width, setup_.tone->has_fine, *setup_.allocator,
                      &s.band)) {
      return false;
    }
  }
  const int threads = static_cast<int>(stripes_.size());
  const int shared = up_ + dn_;
  if (threads > 1 && shared > 0) {
    boundaries_ = std::make_unique<Boundary[]>(static_cast<size_t>(threads - 1));
    for (int j = 0; j + 1 < threads; ++j) {
      Boundary& b = boundaries_[j];
      b.first = stripes_[j + 1].first - up_;
      b.rows = shared;
      b.sums = setup_.allocator->Zeroed<uint64_t>(static_cast<uint64_t>(planes_) * shared *
                                                  static_cast<uint64_t>(in_.width));
      if (!b.sums) return false;
      b.arrived.assign(static_cast<size_t>(shared), 0);
    }
  }
  return true;
}

// Builds every level that some pixel selects. With several threads the
// levels are built side by side first. Then, one after another in the
// order the scan met them, whatever is still missing: after a failed build
// every kernel set is released (the memory may let the failed level fit)
// and the levels are built again; a level that failed twice stays unbuilt
// and its pixels contribute nothing.
void FastDriver::BuildKernels(bool progress) {
  kernels_.clear();
  kernels_.resize(levels_.levels.size());
  std::vector<int> failures(levels_.levels.size(), 0);
  if (stripes_.size() > 1 && used_levels_.size() > 1) {
    std::atomic<size_t> next{0};
    std::vector<uint8_t> failed(levels_.levels.size(), 0);
    RunPhase(
        [&](int) {
          for (size_t i = next++; i < used_levels_.size(); i = next++) {
            const int level = used_levels_[i];
            if (!BuildLevelKernels(*setup_.pattern, *setup_.tone, levels_.levels[level], level,
                                   *setup_.allocator, &kernels_[level])) {
              failed[level] = 1;
            }
          }
        },
        false, progress);
    bool any_failed = false;
    for (int level : used_levels_) {
      failures[level] += failed[level];
      any_failed = any_failed || failed[level];
    }
    if (any_failed) {
      for (KernelSet& set : kernels_) set = KernelSet();
    }
  }
  bool again = true;
  while (again) {
    again = false;
    for (int level : used_levels_) {
      KernelSet& set = kernels_[level];
      if (set.built() || failures[level] >= kMaxBuildFailures) continue;
      if (!BuildLevelKernels(*setup_.pattern, *setup_.tone, levels_.levels[level], level,
                             *setup_.allocator, &set)) {
        ++failures[level];
        for (KernelSet& other : kernels_) other = KernelSet();
        again = true;
        break;
      }
    }
  }
  uint64_t bytes = 0;
  for (const KernelSet& set : kernels_) {
    if (!set.built()) continue;
    bytes += static_cast<uint64_t>(set.copies) * set.planes * set.width * set.height * 4 +
             static_cast<uint64_t>(set.height) * 8;
  }
  setup_.stats->kernel_bytes = bytes;
}

// True when no target in image columns x0..x1 and rows y0..y1 is nearer than
// source_depth − 5, so that no light of the pixel can be dimmed there.
bool FastDriver::NothingDimmed(int x0, int x1, int y0, int y1, int source_depth) const {
  const int limit = source_depth - 5;
  if (limit <= 0) return true;
  if (tile_min_.empty()) return false;
  for (int ty = y0 / kTile; ty <= y1 / kTile; ++ty) {
    const uint8_t* tiles = tile_min_.data() + static_cast<size_t>(ty) * tile_columns_;
    for (int tx = x0 / kTile; tx <= x1 / kTile; ++tx) {
      if (tiles[tx] < limit) return false;
    }
  }
  return true;
}

void FastDriver::ScatterRow(Stripe& stripe, int y, int x_begin, int x_end) {
  const int width = in_.width;
  const int height = in_.height;
  const int band_rows = stripe.band.rows;
  const int skip = setup_.skip;
  const int last_level = static_cast<int>(levels_.levels.size()) - 1;
  const int planes = setup_.pattern->planes;
  const bool simd = in_.options.simd;
  const DepthView& depth = in_.depth;
  const KernelTone& tone = *setup_.tone;
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < planes_; ++p) sums[p] = stripe.band.plane(p);
  uint64_t cells = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = depth.present() ? levels_.depth_to_level[*depth.at(x, y)] : last_level;
    const KernelSet& set = kernels_[level];
    if (!set.built()) continue;
    const LevelGeometry& geometry = levels_.levels[level];
    if (skip >= 2 && !ScatteredUnderSkip(x, y, skip, geometry.diameter)) continue;

    const uint8_t* pixel = in_.SourcePixel(x, y);
    const uint32_t* colour[3];
    const uint32_t* weight[3];
    int shift[3];
    uint64_t* band[4];  // the sums each channel adds into, and the weight
    for (int k = 0; k < 3; ++k) {
      const int plane = planes == 1 ? 0 : (k < planes ? k : planes - 1);
      const int intensity = in_.SourceChannel(pixel, k);
      colour[k] = set.Copy(intensity, plane);
      weight[k] = set.Weight(plane);
      shift[k] = tone.copy_shift[intensity];
      band[k] = sums[ColourPlane(k, tone.fine[intensity])];
    }
    band[kWeightPlane] = sums[kWeightPlane];

    if (level == 0 && set.width == 1 && set.height == 1) {
      const size_t at = static_cast<size_t>(y % band_rows) * width + x;
      for (int k = 0; k < 3; ++k) band[k][at] += static_cast<uint64_t>(colour[k][0]) << shift[k];
      band[3][at] += static_cast<uint64_t>(weight[0][0]) + weight[1][0] + weight[2][0];
      cells += 3;
      continue;
    }

    const int kw = set.width;
    const int kh = set.height;
    const int hw = (kw - 1) / 2;
    const int hh = (kh - 1) / 2;
    const int col_first = std::max(hw - x, 0);
    const int col_end = std::min(width + hw - x, kw);
    const int row_first = std::max(hh - y, 0);
    const int row_end = std::min(height + hh - y, kh);
    const int source_depth = depth.present() ? *depth.at(x, y) : 0;
    if (!depth.present() || NothingDimmed(x - hw + col_first, x - hw + col_end - 1,
                                          y - hh + row_first, y - hh + row_end - 1, source_depth)) {
      FusedPixel all;
      for (int k = 0; k < 3; ++k) {
        all.colour[k] = colour[k];
        all.weight[k] = weight[k];
        all.shift[k] = shift[k];
      }
      all.span_first = set.span_first.get();
      all.span_last = set.span_last.get();
      all.kernel_width = kw;
      all.row_first = row_first;
      all.row_end = row_end;
      all.col_first = col_first;
      all.col_end = col_end;
      all.x = x - hw;
      all.y = y - hh;
      for (int p = 0; p < 4; ++p) all.band[p] = band[p];
      all.band_width = width;
      all.band_rows = band_rows;
      cells += 3 * fused_pixel_(all);
      continue;
    }

    FusedOcclusion occlusion;
    occlusion.depth_stride = depth.pixel_stride;
    occlusion.source_depth = source_depth;
    occlusion.diameter = static_cast<float>(geometry.diameter);
    for (int r = row_first; r < row_end; ++r) {
      const int c0 = std::max(static_cast<int>(set.span_first[r]), col_first);
      const int c1 = std::min(static_cast<int>(set.span_last[r]) + 1, col_end);
      if (c0 >= c1) continue;
      const int ty = y + r - hh;
      const int tx = x + c0 - hw;
      const size_t kernel_at = static_cast<size_t>(r) * kw + c0;
      const size_t band_at = static_cast<size_t>(ty % band_rows) * width + tx;
      FusedRow row;
      for (int k = 0; k < 3; ++k) {
        row.colour[k] = colour[k] + kernel_at;
        row.weight[k] = weight[k] + kernel_at;
        row.shift[k] = shift[k];
      }
      for (int p = 0; p < 4; ++p) row.sums[p] = band[p] + band_at;
      row.count = c1 - c0;
      cells += 3 * static_cast<uint64_t>(row.count);
      occlusion.depth = depth.at(tx, ty);
      occlusion.dx0 = hw - c0;
      occlusion.dy = hh - r;
      if (RowMayBeDimmed(occlusion, row.count)) {
        AddFusedRowOccluded(row, occlusion);
      } else {
        AddFusedRow(row, simd);
      }
    }
  }
  stripe.cells += cells;
}

// Target row t of stripe `index` is complete as far as this stripe goes:
// written out, or first merged with the neighbouring stripe's share.
void FastDriver::Retire(int index, int t) {
  Stripe& stripe = stripes_[index];
  const int width = in_.width;
  const size_t at = static_cast<size_t>(t % stripe.band.rows) * width;
  uint64_t* sums[kMaxBandPlanes];
  for (int p = 0; p < planes_; ++p) sums[p] = stripe.band.plane(p) + at;

  Boundary* boundary = nullptr;
  if (boundaries_ != nullptr) {
    if (index > 0 && t < stripe.first + dn_) {
      boundary = &boundaries_[index - 1];
    } else if (index + 1 < static_cast<int>(stripes_.size()) && t >= stripe.end - up_) {
      boundary = &boundaries_[index];
    }
  }
  bool complete = true;
  if (boundary != nullptr) {
    const int row = t - boundary->first;
    std::lock_guard<std::mutex> lock(boundary->mutex);
    for (int p = 0; p < planes_; ++p) {
      uint64_t* shared = boundary->sums.get() + (static_cast<size_t>(p) * boundary->rows + row) *
                                                    static_cast<size_t>(width);
      if (boundary->arrived[row]) {
        for (int x = 0; x < width; ++x) sums[p][x] += shared[x];
      } else {
        std::memcpy(shared, sums[p], static_cast<size_t>(width) * sizeof(uint64_t));
      }
    }
    complete = boundary->arrived[row] != 0;
    boundary->arrived[row] = 1;
  }
  if (complete) {
    if (written_ != nullptr) KeepRow(t);
    WriteBandRow(BandRowAt(stripe.band, t % stripe.band.rows), in_.output, flush_, t, &tone_table_);
    if (written_ != nullptr) written_[t] = 1;
  }
  for (int p = 0; p < planes_; ++p) {
    std::memset(sums[p], 0, static_cast<size_t>(width) * sizeof(uint64_t));
  }
}

// Start of output row t's pixels at the first of the three bytes a pixel's
// channels are written to.
uint8_t* FastDriver::RowChannels(int t) const {
  const OutputTarget& out = in_.output;
  return out.base + static_cast<ptrdiff_t>(t) * out.row_stride +
         (out.order_flag == 0 ? 0 : out.pixel_stride - 3);
}

// Copies three bytes a pixel for `width` pixels; the bytes in between are
// left alone.
void CopyChannels(uint8_t* to, int to_stride, const uint8_t* from, int from_stride, int width) {
  if (to_stride == 3 && from_stride == 3) {
    std::memcpy(to, from, static_cast<size_t>(width) * 3);
    return;
  }
  for (int x = 0; x < width; ++x, to += to_stride, from += from_stride) std::memcpy(to, from, 3);
}

// Keeps the channel bytes output row t holds before it is written.
void FastDriver::KeepRow(int t) {
  if (t < backup_first_) return;
  const size_t at = static_cast<size_t>(t - backup_first_) * 3 * in_.width;
  CopyChannels(previous_ + at, 3, RowChannels(t), in_.output.pixel_stride, in_.width);
}

// After a cancel: every written row from the first unwritten one on gets
// back the bytes it held before, so the written rows are the top rows.
void FastDriver::RestoreUnfinishedRows() {
  const int height = in_.height;
  int first = 0;
  while (first < height && written_[first]) ++first;
  for (int t = std::max(first, backup_first_); t < height; ++t) {
    if (!written_[t]) continue;
    const size_t at = static_cast<size_t>(t - backup_first_) * 3 * in_.width;
    CopyChannels(RowChannels(t), in_.output.pixel_stride, previous_ + at, 3, in_.width);
  }
}

// Scatters the stripe's source rows; unless writing is deferred, retires
// each target row as soon as no later source row of the stripe reaches it.
// before_row, when set, is asked before each row whether to go on. False
// when stopped.
bool FastDriver::RunStripe(int index, const std::function<bool(int)>& before_row) {
  Stripe& stripe = stripes_[index];
  const int width = in_.width;
  int next = stripe.lo;
  // Groups of rows, block by block of columns: the band rows a block reaches
  // then stay in the processor's cache while the group is added into them.
  for (int y0 = stripe.first; y0 < stripe.end; y0 += row_group_) {
    const int y1 = std::min(y0 + row_group_, stripe.end);
    if (before_row) {
      for (int y = y0; y < y1; ++y) {
        if (!before_row(y)) return false;
      }
    }
    for (int x0 = 0; x0 < width; x0 += block_columns_) {
      if (stop_.load(std::memory_order_relaxed)) return false;
      const int x1 = std::min(x0 + block_columns_, width);
      for (int y = y0; y < y1; ++y) ScatterRow(stripe, y, x0, x1);
    }
    rows_done_.fetch_add(y1 - y0, std::memory_order_relaxed);
    if (!deferred_) {
      for (; next <= y1 - 1 - up_ && next < stripe.hi; ++next) Retire(index, next);
    }
  }
  if (!deferred_) {
    for (; next < stripe.hi; ++next) Retire(index, next);
  }
  return true;
}

void FastDriver::RetireAll(int index) {
  const Stripe& stripe = stripes_[index];
  for (int t = stripe.lo; t < stripe.hi; ++t) Retire(index, t);
}

// Runs job(i) for every stripe on its own thread while this thread reports
// progress. Should a thread fail to start, its stripes run here instead.
void FastDriver::RunPhase(const std::function<void(int)>& job, bool scatter_phase, bool progress) {
  const int threads = static_cast<int>(stripes_.size());
  std::mutex mutex;
  std::condition_variable finished_cv;
  int finished = 0;
  const auto run = [&](int i) {
    job(i);
    std::lock_guard<std::mutex> lock(mutex);
    ++finished;
    finished_cv.notify_one();
  };
  std::vector<std::thread> workers;
  int started = 0;
  for (; started < threads; ++started) {
    try {
      workers.emplace_back(run, started);
    } catch (...) {
      break;
    }
  }
  for (int i = started; i < threads; ++i) run(i);

  ProgressReporter* reporter = in_.reporter;
  for (;;) {
    bool all = false;
    {
      std::unique_lock<std::mutex> lock(mutex);
      all = finished_cv.wait_for(lock, kReportInterval, [&] { return finished == threads; });
    }
    if (progress && !cancelled_) {
      const int percent = static_cast<int>(rows_done_.load() * 100.0 / in_.height);
      bool go_on = true;
      if (percent > last_reported_) {
        // Every percentage once, in order, as a single thread would.
        for (int p = last_reported_ + 1; p <= std::min(percent, 99) && go_on; ++p) {
          go_on = reporter->Report(p);
          last_reported_ = p;
        }
      } else if (!all && last_reported_ > 0) {
        go_on = reporter->Report(last_reported_);  // keeps the dialog responsive
      }
      if (!go_on && scatter_phase && reporter->ConfirmCancel()) {
        cancelled_ = true;
        stop_.store(true);
      }
    }
    if (all) break;
  }
  for (std::thread& worker : workers) worker.join();
}

bool FastDriver::RunThreaded(bool progress) {
  RunPhase([this](int i) { RunStripe(i, nullptr); }, true, progress);
  if (cancelled_ && written_ != nullptr) RestoreUnfinishedRows();
  if (deferred_ && !cancelled_) {
    RunPhase([this](int i) { RetireAll(i); }, false, progress);
  }
  return cancelled_;
}

FastDriveResult FastDriver::Run() {
  if (!Plan()) return FastDriveResult::kNotApplicable;
  ProgressReporter* reporter = in_.reporter;
  const bool progress = reporter != nullptr && ProgressShown(in_.width, in_.height);
  if (!Allocate(progress)) return FastDriveResult::kOutOfMemory;

  if (progress) reporter->Report(0);
  BuildKernels(progress);

  bool cancelled = false;
  if (stripes_.size() == 1) {
    // On this thread, with a report before every row as the reference gives.
    const std::function<bool(int)> before_row = [&](int y) {
      const int percent = static_cast<int>(y * 100.0 / in_.height);
      return !(percent > 0 && percent < 100 && !reporter->Report(percent) &&
               reporter->ConfirmCancel());
    };
    // Row by row, so that the reports come as often as rows are finished.
    if (progress) row_group_ = 1;
    cancelled = !RunStripe(0, progress ? before_row : nullptr);
    if (!cancelled && deferred_) RetireAll(0);
  } else {
    cancelled = RunThreaded(progress);
  }

  kernels_.clear();
  if (progress) reporter->Report(100);
  RunStats& stats = *setup_.stats;
  stats.threads = static_cast<int>(stripes_.size());
  stats.cell_additions = 0;
  for (const Stripe& s : stripes_) stats.cell_additions += s.cells;
  return cancelled ? FastDriveResult::kCancelled : FastDriveResult::kDone;
}

}  // namespace

FastDriveResult FastDrive(const FastDriveSetup& setup) {
  FastDriver driver(setup);
  return driver.Run();
}

}  // namespace ulvo
