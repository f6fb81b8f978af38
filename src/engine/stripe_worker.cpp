#include "src/engine/stripe_worker.h"

#include <algorithm>
#include <cstring>

#include "src/engine/pixel_light.h"
#include "src/engine/scatter.h"

namespace ulvo {
namespace {

// A pixel's kernel clipped to the image: kernel rows [row_first, row_end)
// and columns [col_first, col_end) fall inside it.
struct PixelClip {
  int hw = 0;
  int hh = 0;
  int row_first = 0;
  int row_end = 0;
  int col_first = 0;
  int col_end = 0;
};

PixelClip ClipPixel(const KernelSet& set, int x, int y, int width, int height) {
  PixelClip clip;
  clip.hw = (set.width - 1) / 2;
  clip.hh = (set.height - 1) / 2;
  clip.col_first = std::max(clip.hw - x, 0);
  clip.col_end = std::min(width + clip.hw - x, set.width);
  clip.row_first = std::max(clip.hh - y, 0);
  clip.row_end = std::min(height + clip.hh - y, set.height);
  return clip;
}

// Kernel cells of one channel that fall inside the image.
uint64_t ClippedCells(const KernelSet& set, const PixelClip& clip) {
  uint64_t cells = 0;
  for (int r = clip.row_first; r < clip.row_end; ++r) {
    const int c0 = std::max(static_cast<int>(set.span_first[r]), clip.col_first);
    const int c1 = std::min(static_cast<int>(set.span_last[r]) + 1, clip.col_end);
    if (c1 > c0) cells += static_cast<uint64_t>(c1 - c0);
  }
  return cells;
}

}  // namespace

StripeWorker::StripeWorker(const StripeShared& shared, int index)
    : shared_(shared),
      context_(*shared.context),
      in_(shared.context->inputs),
      index_(index),
      rows_(shared.plan->stripes[index]),
      outline_(shared.path == ScatterPath::kOutline) {}

bool StripeWorker::Allocate(int max_row_group) {
  const int width = in_.width + shared_.margin_left + shared_.margin_right;
  const bool fine = context_.tone.has_fine;
  if (!AllocateBand(rows_.band_rows, width, fine, context_.allocator, &band_)) return false;
  if (!outline_) return true;
  const StripePlan& plan = *shared_.plan;
  const int diff_rows = std::min(rows_.band_rows, plan.up + plan.dn + max_row_group);
  diff_planes_.assign(static_cast<size_t>(diff_rows), 0);
  collapsed_ = rows_.lo;
  return AllocateBand(diff_rows, width, fine, context_.allocator, &diff_);
}

void StripeWorker::ScatterFast(int y, int x_begin, int x_end) {
  const int width = in_.width;
  const int height = in_.height;
  const int band_rows = band_.rows;
  const DepthView& depth = in_.depth;
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p);
  uint64_t cells = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    const KernelSet& set = shared_.kernels->set(level);
    if (!PixelScatters(context_, &set, level, x, y)) continue;
    const PixelLight light = ReadPixelLight(context_, set, level, x, y);
    if (light.one_pixel) {
      AddOnePixel(light, sums, static_cast<size_t>(y % band_rows) * band_.width + x, true);
      cells += 3;
      continue;
    }

    const LevelGeometry& geometry = context_.levels.levels[level];
    FusedPixel all;
    for (int k = 0; k < 3; ++k) {
      all.colour[k] = light.colour[k];
      all.weight[k] = light.weight[k];
      all.shift[k] = light.shift[k];
      all.band[k] = sums[light.plane[k]];
    }
    all.band[kWeightPlane] = sums[kWeightPlane];

    const PixelClip clip = ClipPixel(set, x, y, width, height);
    all.span_first = set.span_first.get();
    all.span_last = set.span_last.get();
    all.kernel_width = set.width;
    all.row_first = clip.row_first;
    all.row_end = clip.row_end;
    all.col_first = clip.col_first;
    all.col_end = clip.col_end;
    all.x = x - clip.hw;
    all.y = y - clip.hh;
    all.band_width = band_.width;
    all.band_rows = band_rows;
    const int source_depth = depth.present() ? *depth.at(x, y) : 0;
    if (!depth.present() ||
        NothingDimmed(x - clip.hw + clip.col_first, x - clip.hw + clip.col_end - 1,
                      y - clip.hh + clip.row_first, y - clip.hh + clip.row_end - 1, source_depth)) {
      cells += 3 * shared_.fused_pixel(all);
      continue;
    }
    AddOccluded(set, all, x, y, source_depth, static_cast<float>(geometry.diameter));
    cells += 3 * ClippedCells(set, clip);
  }
  cells_ += cells;
}

bool StripeWorker::NothingDimmed(int x0, int x1, int y0, int y1, int source_depth) {
  constexpr int kTile = DepthTiles::kTile;
  const int key[5] = {x0 / kTile, x1 / kTile, y0 / kTile, y1 / kTile, source_depth};
  if (!std::equal(key, key + 5, dimming_key_)) {
    std::copy(key, key + 5, dimming_key_);
    nothing_dimmed_ = shared_.tiles->NothingDimmed(x0, x1, y0, y1, source_depth);
  }
  return nothing_dimmed_;
}

// The pixel's rows with the dimming of light that falls on clearly nearer
// targets, clipped to the image; the weight too unless all.band[3] is null.
void StripeWorker::AddOccluded(const KernelSet& set, const FusedPixel& all, int x, int y,
                               int source_depth, float diameter) {
  const DepthView& depth = in_.depth;
  const int hw = x - all.x;
  const int hh = y - all.y;
  OcclusionRow occlusion;
  occlusion.depth_stride = depth.pixel_stride;
  occlusion.source_depth = static_cast<float>(source_depth);
  occlusion.diameter = diameter;
  for (int r = all.row_first; r < all.row_end; ++r) {
    const FusedRow row = ClippedFusedRow(all, r, (all.y + r) % all.band_rows);
    if (row.count == 0) continue;
    const int c0 = std::max(static_cast<int>(set.span_first[r]), all.col_first);
    const int ty = y + r - hh;
    occlusion.depth = depth.at(x + c0 - hw, ty);
    occlusion.dx0 = hw - c0;
    occlusion.dy = hh - r;
    if (RowMayBeDimmed(occlusion, row.count)) {
      AddFusedRowOccluded(row, occlusion);
    } else {
      AddFusedRow(row, in_.options.simd);
    }
  }
}

// Adds the weight of the source pixels a..b (inclusive) of row y, all on
// `level`: one weight row in place for a single pixel, else the weight row
// into the difference rows at a and, subtracted, one past b.
void StripeWorker::AddWeightRun(int level, int a, int b, int y) {
  const KernelSet& set = shared_.kernels->set(level);
  const OutlineLevel& outline = (*shared_.outline)[level];
  const int hw = (set.width - 1) / 2;
  const int hh = (set.height - 1) / 2;
  const int row_first = std::max(hh - y, 0);
  const int row_end = std::min(in_.height + hh - y, set.height);
  const int left = shared_.margin_left - hw;
  for (int r = row_first; r < row_end; ++r) {
    const int first = set.span_first[r];
    const int last = set.span_last[r];
    if (first > last) continue;
    const int t = y + r - hh;
    const uint64_t* w = outline.WeightRow(r);
    if (a == b) {
      uint64_t* s = Sums(kWeightPlane, t % band_.rows) + left + a;
      for (int c = first; c <= last; ++c) s[c] += w[c];
      continue;
    }
    diff_planes_[t % diff_.rows] |= 1 << kWeightPlane;
    uint64_t* d = Diffs(kWeightPlane, t) + left;
    uint64_t* da = d + a;
    uint64_t* db = d + b + 1;
    for (int c = first; c <= last; ++c) {
      da[c] += w[c];
      db[c] -= w[c];
    }
  }
}

// The three channels' colour of a pixel on a level whose copies are
// encoded as runs and cells; columns are not clipped, the band's margins
// take what falls outside the image.
void StripeWorker::AddOutlineColour(const OutlineLevel& outline, const KernelSet& set,
                                    const FusedPixel& all, const int intensity[3], int x, int y) {
  const int hw = x - all.x;
  const int hh = y - all.y;
  const int left = shared_.margin_left + x - hw;
  const bool simd = in_.options.simd;
  const int planes = context_.pattern.planes;
  for (int k = 0; k < 3; ++k) {
    const int plane = ColourPlane(k, context_.tone.fine[intensity[k]]);
    const int pattern_plane = PatternPlane(k, planes);
    const int shift = all.shift[k];
    for (int r = all.row_first; r < all.row_end; ++r) {
      const OutlineRow& row = outline.Row(intensity[k], pattern_plane, r);
      const int t = y + r - hh;
      const int band_row = t % band_.rows;
      if (row.run_count > 0) diff_planes_[t % diff_.rows] |= 1 << plane;
      uint64_t* d = Diffs(plane, t) + left;
      for (uint32_t i = row.runs; i < row.runs + row.run_count; ++i) {
        const OutlineRun& run = outline.run_list[i];
        const uint64_t v = static_cast<uint64_t>(run.value) << shift;
        d[run.first] += v;
        d[run.end] -= v;
      }
      uint64_t* s = Sums(plane, band_row) + left;
      const uint32_t* kernel = all.colour[k] + static_cast<size_t>(r) * set.width;
      for (uint32_t i = row.cells; i < row.cells + row.cell_count; ++i) {
        const OutlineCells& cells = outline.cell_list[i];
        if (simd) {
          AddShiftedRowSimd(kernel + cells.first, s + cells.first, cells.count, shift);
        } else {
          for (int c = cells.first; c < cells.first + cells.count; ++c) {
            s[c] += static_cast<uint64_t>(kernel[c]) << shift;
          }
        }
      }
    }
  }
}

void StripeWorker::ScatterOutline(int y, int x_begin, int x_end) {
  const int width = in_.width;
  const int height = in_.height;
  const DepthView& depth = in_.depth;
  const int margin = shared_.margin_left;
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p) + margin;
  uint64_t cells = 0;

  // The current run of neighbouring pixels on one level, for the weight.
  int run_level = -1;
  int run_first = 0;
  const auto end_run = [&](int next) {
    if (run_level >= 0) AddWeightRun(run_level, run_first, next - 1, y);
    run_level = -1;
  };

  // What depends on the level only (and on this row), worked out when the
  // level changes.
  int level_now = -1;
  const KernelSet* set = nullptr;
  const OutlineLevel* outline = nullptr;
  float diameter = 0.0f;
  DenseRows rows;
  rows.band_stride = static_cast<size_t>(band_.width);
  rows.band_rows = band_.rows;
  int hw = 0;
  int hh = 0;
  int row_first = 0;
  int row_end = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    if (level != level_now) {
      level_now = level;
      set = &shared_.kernels->set(level);
      outline = &(*shared_.outline)[level];
      diameter = static_cast<float>(context_.levels.levels[level].diameter);
      hw = (set->width - 1) / 2;
      hh = (set->height - 1) / 2;
      row_first = std::max(hh - y, 0);
      row_end = std::min(height + hh - y, set->height);
      rows.band_row = (y - hh + row_first) % band_.rows;
      rows.rows = row_end - row_first;
      rows.width = set->width;
    }
    if (!PixelScatters(context_, set, level, x, y)) {
      end_run(x);
      continue;
    }
    if (level != run_level) {
      end_run(x);
      run_level = level;
      run_first = x;
    }

    const PixelLight light = ReadPixelLight(context_, *set, level, x, y);
    if (light.one_pixel) {
      // The run adds the weight.
      AddOnePixel(light, sums, static_cast<size_t>(y % band_.rows) * band_.width + x, false);
      cells += 3;
      continue;
    }

    const int col_first = std::max(hw - x, 0);
    const int col_end = std::min(width + hw - x, set->width);
    const bool inside =
        col_first == 0 && col_end == set->width && row_first == 0 && row_end == set->height;
    const int source_depth = depth.present() ? *depth.at(x, y) : 0;
    const bool dimmed =
        depth.present() && !NothingDimmed(x - hw + col_first, x - hw + col_end - 1,
                                          y - hh + row_first, y - hh + row_end - 1, source_depth);
    if (!dimmed && !outline->runs) {
      // Whole rows, zeros outside the spans included; the band's margins
      // take the columns outside the image.
      for (int k = 0; k < 3; ++k) {
        rows.kernel[k] = light.colour[k] + static_cast<size_t>(row_first) * set->width;
        rows.shift[k] = light.shift[k];
        rows.sums[k] = sums[light.plane[k]] + (x - hw);
      }
      shared_.dense_rows(rows);
    } else {
      FusedPixel all;
      for (int k = 0; k < 3; ++k) {
        all.colour[k] = light.colour[k];
        all.weight[k] = light.weight[k];
        all.shift[k] = light.shift[k];
        all.band[k] = sums[light.plane[k]];
      }
      all.span_first = set->span_first.get();
      all.span_last = set->span_last.get();
      all.kernel_width = set->width;
      all.row_first = row_first;
      all.row_end = row_end;
      all.col_first = col_first;
      all.col_end = col_end;
      all.x = x - hw;
      all.y = y - hh;
      all.band_width = band_.width;
      all.band_rows = band_.rows;
      if (dimmed) {
        AddOccluded(*set, all, x, y, source_depth, diameter);
      } else {
        AddOutlineColour(*outline, *set, all, light.intensity, x, y);
      }
    }
    if (inside) {
      cells += 3 * outline->span_cells;
    } else {
      PixelClip clip;
      clip.row_first = row_first;
      clip.row_end = row_end;
      clip.col_first = col_first;
      clip.col_end = col_end;
      cells += 3 * ClippedCells(*set, clip);
    }
  }
  end_run(x_end);
  cells_ += cells;
}

// Adds target row t's difference rows' running sums into its sums, left to
// right over the margin and the image's columns, and clears them.
void StripeWorker::Collapse(int t) {
  const int columns = shared_.margin_left + in_.width;
  uint8_t& planes = diff_planes_[t % diff_.rows];
  for (int p = 0; p < shared_.band_planes; ++p) {
    if ((planes & (1 << p)) == 0) continue;
    uint64_t* s = Sums(p, t % band_.rows);
    uint64_t* d = Diffs(p, t);
    uint64_t running = 0;
    for (int x = 0; x < columns; ++x) {
      running += d[x];
      s[x] += running;
    }
    std::memset(d, 0, static_cast<size_t>(diff_.width) * sizeof(uint64_t));
  }
  planes = 0;
}

// Collapses every target row below `end` that is not yet.
void StripeWorker::CollapseUpTo(int end) {
  for (; collapsed_ < end; ++collapsed_) Collapse(collapsed_);
}

// Target row t is complete as far as this stripe goes: written out, or
// first merged with the neighbouring stripe's share.
void StripeWorker::Retire(int t) {
  const int width = in_.width;
  const int planes = shared_.band_planes;
  const int band_row = t % band_.rows;
  if (outline_) CollapseUpTo(t + 1);
  uint64_t* sums[kMaxBandPlanes];
  for (int p = 0; p < planes; ++p) sums[p] = Sums(p, band_row) + shared_.margin_left;

  Boundary* boundary = nullptr;
  const StripePlan& plan = *shared_.plan;
  if (shared_.boundaries != nullptr) {
    if (index_ > 0 && t < rows_.first + plan.dn) {
      boundary = &shared_.boundaries[index_ - 1];
    } else if (index_ + 1 < static_cast<int>(plan.stripes.size()) && t >= rows_.end - plan.up) {
      boundary = &shared_.boundaries[index_];
    }
  }
  bool complete = true;
  if (boundary != nullptr) {
    const int row = t - boundary->first;
    std::lock_guard<std::mutex> lock(boundary->mutex);
    for (int p = 0; p < planes; ++p) {
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
    BandRow row;
    for (int c = 0; c < 3; ++c) {
      row.colour[c] = sums[c];
      if (planes > kFinePlane) row.fine[c] = sums[kFinePlane + c];
    }
    row.weight = sums[kWeightPlane];
    RowBackup* backup = shared_.backup;
    if (backup != nullptr && backup->active()) backup->Keep(t);
    WriteBandRow(row, in_.output, context_.flush, t, shared_.tone_table);
    if (backup != nullptr && backup->active()) backup->MarkWritten(t);
  }
  for (int p = 0; p < planes; ++p) {
    std::memset(Sums(p, band_row), 0, static_cast<size_t>(band_.width) * sizeof(uint64_t));
  }
}

bool StripeWorker::Run(const std::function<bool(int)>& before_row, int row_group) {
  const int width = in_.width;
  const int up = shared_.plan->up;
  const bool deferred = shared_.plan->deferred;
  const int block = shared_.block_columns;
  int next = rows_.lo;
  // Groups of rows, block by block of columns: the band rows a block reaches
  // then stay in the processor's cache while the group is added into them.
  for (int y0 = rows_.first; y0 < rows_.end; y0 += row_group) {
    const int y1 = std::min(y0 + row_group, rows_.end);
    if (before_row) {
      for (int y = y0; y < y1; ++y) {
        if (!before_row(y)) return false;
      }
    }
    for (int x0 = 0; x0 < width; x0 += block) {
      if (shared_.stop->load(std::memory_order_relaxed)) return false;
      const int x1 = std::min(x0 + block, width);
      for (int y = y0; y < y1; ++y) {
        if (outline_) {
          ScatterOutline(y, x0, x1);
        } else {
          ScatterFast(y, x0, x1);
        }
      }
    }
    shared_.rows_done->fetch_add(y1 - y0, std::memory_order_relaxed);
    // Rows no later source row of the stripe reaches.
    if (outline_) CollapseUpTo(std::min(y1 - up, rows_.hi));
    if (!deferred) {
      for (; next <= y1 - 1 - up && next < rows_.hi; ++next) Retire(next);
    }
  }
  if (outline_) CollapseUpTo(rows_.hi);
  if (!deferred) {
    for (; next < rows_.hi; ++next) Retire(next);
  }
  return true;
}

void StripeWorker::RetireAll() {
  for (int t = rows_.lo; t < rows_.hi; ++t) Retire(t);
}

}  // namespace ulvo
