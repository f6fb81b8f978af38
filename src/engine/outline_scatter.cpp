#include "src/engine/outline_scatter.h"

#include <algorithm>
#include <cstring>

#include "src/engine/defocus_engine.h"

namespace ulvo {

namespace {

// Whole kernel rows of an 8-bit or a 16-bit pixel, and their additions.
template <class Light>
struct DenseFor {
  using Rows = DenseRows;
};
template <>
struct DenseFor<PixelLight16> {
  using Rows = DensePairRows;
};

// Sets the rows' kernels (from kernel offset `row_at`) and sums (at band
// column `column` of the planes) for the pixel's light.
void SetDenseLight(const PixelLight& light, size_t row_at, uint64_t* const sums[], int column,
                   DenseRows* rows) {
  for (int k = 0; k < 3; ++k) {
    rows->kernel[k] = light.colour[k] + row_at;
    rows->shift[k] = light.shift[k];
    rows->sums[k] = sums[light.plane[k]] + column;
  }
}

void SetDenseLight(const PixelLight16& light, size_t row_at, uint64_t* const sums[], int column,
                   DensePairRows* rows) {
  for (int k = 0; k < 3; ++k) {
    for (int t = 0; t < 2; ++t) {
      rows->kernel[k][t] = light.colour[k][t] + row_at;
      rows->share[k][t] = light.share[k][t];
      rows->shift[k][t] = light.shift[k][t];
      rows->sums[k][t] = sums[light.plane[k][t]] + column;
    }
  }
}

void AddDense(const StripeShared& shared, const DenseRows& rows) {
  shared.dense_rows(rows);
}

void AddDense(const StripeShared& shared, const DensePairRows& rows) {
  shared.dense_pairs(rows);
}

}  // namespace

OutlineScatter::OutlineScatter(const StripeShared& shared, Band& band,
                               const std::vector<OutlineLevel>& encodings)
    : StripeScatter(shared, band), encodings_(encodings) {}

bool OutlineScatter::Allocate(const StripeRows& rows, int max_row_group) {
  const StripePlan& plan = *shared_.plan;
  const int diff_rows = std::min(rows.band_rows, plan.up + plan.dn + max_row_group);
  diff_planes_.assign(static_cast<size_t>(diff_rows), 0);
  collapsed_ = rows.lo;
  return AllocateBand(diff_rows, band_.width, context_.tone.has_fine, context_.allocator, &diff_);
}

// Adds the weight of the source pixels a..b (inclusive) of row y, all on
// `level`: one weight row in place for a single pixel, else the weight row
// into the difference rows at a and, subtracted, one past b.
void OutlineScatter::AddWeightRun(int level, int a, int b, int y) {
  const KernelSet& set = shared_.kernels->set(level);
  const OutlineLevel& outline = encodings_[level];
  const PixelClip clip = ClipRows(set, y, in_.height);
  const int left = shared_.margin_left - clip.hw;
  for (int r = clip.row_first; r < clip.row_end; ++r) {
    const int first = set.span_first[r];
    const int last = set.span_last[r];
    if (first > last) continue;
    const int t = y + r - clip.hh;
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
void OutlineScatter::AddOutlineColour(const OutlineLevel& outline, const KernelSet& set,
                                      const PixelLight& light, const PixelClip& clip, int x,
                                      int y) {
  const int left = shared_.margin_left + x - clip.hw;
  const bool simd = in_.options.simd;
  const int planes = context_.pattern.planes;
  for (int k = 0; k < 3; ++k) {
    const int plane = light.plane[k];
    const int pattern_plane = PatternPlane(k, planes);
    const int shift = light.shift[k];
    for (int r = clip.row_first; r < clip.row_end; ++r) {
      const OutlineRow& row = outline.Row(light.intensity[k], pattern_plane, r);
      const int t = y + r - clip.hh;
      if (row.run_count > 0) diff_planes_[t % diff_.rows] |= 1 << plane;
      uint64_t* d = Diffs(plane, t) + left;
      for (uint32_t i = row.runs; i < row.runs + row.run_count; ++i) {
        const OutlineRun& run = outline.run_list[i];
        const uint64_t v = static_cast<uint64_t>(run.value) << shift;
        d[run.first] += v;
        d[run.end] -= v;
      }
      uint64_t* s = Sums(plane, t % band_.rows) + left;
      const uint32_t* kernel = light.colour[k] + static_cast<size_t>(r) * set.width;
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

void OutlineScatter::AddOutlineCopy(const OutlineLevel& outline, const KernelSet& set, int copy,
                                    int pattern_plane, const uint32_t* kernel, uint32_t share,
                                    int shift, int plane, int r, int t, int left) {
  const OutlineRow& row = outline.Row(copy, pattern_plane, r);
  if (row.run_count > 0) diff_planes_[t % diff_.rows] |= 1 << plane;
  uint64_t* d = Diffs(plane, t) + left;
  for (uint32_t i = row.runs; i < row.runs + row.run_count; ++i) {
    const OutlineRun& run = outline.run_list[i];
    const uint64_t v = ShareLight(run.value, share, shift);
    d[run.first] += v;
    d[run.end] -= v;
  }
  uint64_t* s = Sums(plane, t % band_.rows) + left;
  const uint32_t* k = kernel + static_cast<size_t>(r) * set.width;
  for (uint32_t i = row.cells; i < row.cells + row.cell_count; ++i) {
    const OutlineCells& cells = outline.cell_list[i];
    AddShareCells(k + cells.first, share, shift, s + cells.first, cells.count, in_.options.simd);
  }
}

void OutlineScatter::AddOutlineColour(const OutlineLevel& outline, const KernelSet& set,
                                      const PixelLight16& light, const PixelClip& clip, int x,
                                      int y) {
  const int left = shared_.margin_left + x - clip.hw;
  const bool simd = in_.options.simd;
  const int planes = context_.pattern.planes;
  for (int k = 0; k < 3; ++k) {
    const int pattern_plane = PatternPlane(k, planes);
    const int lo = light.copy[k][0];
    const int hi = light.copy[k][1];
    const uint32_t share_lo = light.share[k][0];
    const uint32_t share_hi = light.share[k][1];
    const int shift_lo = light.shift[k][0];
    const int shift_hi = light.shift[k][1];
    const int plane = light.plane[k][0];
    const bool one_plane = plane == light.plane[k][1];
    for (int r = clip.row_first; r < clip.row_end; ++r) {
      const int t = y + r - clip.hh;
      if (share_hi == 0) {
        AddOutlineCopy(outline, set, lo, pattern_plane, light.colour[k][0], share_lo, shift_lo,
                       plane, r, t, left);
        continue;
      }
      if (!one_plane || !outline.SameAsNext(lo, pattern_plane, r)) {
        AddOutlineCopy(outline, set, lo, pattern_plane, light.colour[k][0], share_lo, shift_lo,
                       plane, r, t, left);
        AddOutlineCopy(outline, set, hi, pattern_plane, light.colour[k][1], share_hi, shift_hi,
                       light.plane[k][1], r, t, left);
        continue;
      }
      // The rows have their runs and cells at the same columns.
      const OutlineRow& row_lo = outline.Row(lo, pattern_plane, r);
      const OutlineRow& row_hi = outline.Row(hi, pattern_plane, r);
      if (row_lo.run_count > 0) diff_planes_[t % diff_.rows] |= 1 << plane;
      uint64_t* d = Diffs(plane, t) + left;
      for (uint32_t i = 0; i < row_lo.run_count; ++i) {
        const OutlineRun& a = outline.run_list[row_lo.runs + i];
        const OutlineRun& b = outline.run_list[row_hi.runs + i];
        const uint64_t v =
            ShareLight(a.value, share_lo, shift_lo) + ShareLight(b.value, share_hi, shift_hi);
        d[a.first] += v;
        d[a.end] -= v;
      }
      uint64_t* s = Sums(plane, t % band_.rows) + left;
      const size_t row_at = static_cast<size_t>(r) * set.width;
      const uint32_t* k_lo = light.colour[k][0] + row_at;
      const uint32_t* k_hi = light.colour[k][1] + row_at;
      for (uint32_t i = row_lo.cells; i < row_lo.cells + row_lo.cell_count; ++i) {
        const OutlineCells& cells = outline.cell_list[i];
        AddPairCells(k_lo + cells.first, share_lo, shift_lo, k_hi + cells.first, share_hi, shift_hi,
                     s + cells.first, cells.count, simd);
      }
    }
  }
}

void OutlineScatter::ScatterRow(int y, int x_begin, int x_end) {
  if (in_.sample_bytes == 2) {
    ScatterPixels<PixelLight16>(y, x_begin, x_end);
  } else {
    ScatterPixels<PixelLight>(y, x_begin, x_end);
  }
}

template <class Light>
void OutlineScatter::ScatterPixels(int y, int x_begin, int x_end) {
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p) + shared_.margin_left;
  const size_t ring_row = static_cast<size_t>(y % band_.rows) * band_.width;
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
  PixelClip clip;
  typename DenseFor<Light>::Rows rows;
  rows.band_stride = static_cast<size_t>(band_.width);
  rows.band_rows = band_.rows;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    if (level != level_now) {
      level_now = level;
      set = &shared_.kernels->set(level);
      outline = &encodings_[level];
      diameter = static_cast<float>(context_.levels.levels[level].diameter);
      clip = ClipRows(*set, y, in_.height);
      rows.band_row = (y - clip.hh + clip.row_first) % band_.rows;
      rows.rows = clip.row_end - clip.row_first;
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

    const Light light = ReadLight<Light>(context_, *set, level, x, y);
    if (light.one_pixel) {
      AddOnePixel(light, sums, ring_row + x, false);  // the run adds the weight
      cells += 3;
      continue;
    }

    ClipColumns(x, in_.width, set->width, &clip);
    const bool inside = clip.col_first == 0 && clip.col_end == set->width && clip.row_first == 0 &&
                        clip.row_end == set->height;
    int source_depth = 0;
    const bool dimmed = MayBeDimmed(clip, x, y, &source_depth);
    if (!dimmed && !outline->runs) {
      // Whole rows, zeros outside the spans included; the band's margins
      // take the columns outside the image.
      SetDenseLight(light, static_cast<size_t>(clip.row_first) * set->width, sums, x - clip.hw,
                    &rows);
      AddDense(shared_, rows);
    } else if (dimmed) {
      AddOccluded(*set, PixelRows(light, *set, clip, x, y, sums, false), x, y, source_depth,
                  diameter);
    } else {
      AddOutlineColour(*outline, *set, light, clip, x, y);
    }
    cells += 3 * (inside ? outline->span_cells : ClippedCells(*set, clip));
  }
  end_run(x_end);
  cells_ += cells;
}

// Adds target row t's difference rows' running sums into its sums, left to
// right over the margin and the image's columns, and clears them.
void OutlineScatter::Collapse(int t) {
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

void OutlineScatter::CompleteRows(int end) {
  for (; collapsed_ < end; ++collapsed_) Collapse(collapsed_);
}

void OutlineMethod::FitMargins(int kernel_width, StripeShared* shared) const {
  shared->margin_left = std::max(shared->margin_left, (kernel_width - 1) / 2);
  shared->margin_right = std::max(shared->margin_right, kernel_width - (kernel_width - 1) / 2);
}

// A level whose encoding cannot be had (its memory is missing) is released,
// and its pixels contribute nothing.
void OutlineMethod::PrepareLevels(const std::vector<int>& used,
                                  const std::vector<std::vector<uint8_t>>& needed,
                                  LevelKernelCache* kernels, const RenderContext& context) {
  encodings_.assign(context.levels.levels.size(), OutlineLevel());
  for (int level : used) {
    bool encoded = false;
    if (kernels->set(level).built()) {
      // Whole kernel rows are added where the kernels are not run-friendly.
      ClearOutsideSpans(&kernels->mutable_set(level));
      encoded = EncodeOutlineLevel(kernels->set(level), needed[level].data(), &encodings_[level],
                                   context.inputs.sample_bytes == 2);
      if (!encoded) context.allocator.NoteFailure();
    }
    if (!encoded) kernels->Release(level);
    context.stats.run_levels += encodings_[level].runs ? 1 : 0;
  }
}

std::unique_ptr<StripeScatter> OutlineMethod::ForStripe(const StripeShared& shared,
                                                        Band& band) const {
  return std::make_unique<OutlineScatter>(shared, band, encodings_);
}

}  // namespace ulvo
