#include "src/engine/stripe_scatter.h"

#include <algorithm>

#include "src/engine/depth_tiles.h"
#include "src/engine/scatter.h"

namespace ulvo {

PixelClip ClipRows(const KernelSet& set, int y, int height) {
  PixelClip clip;
  clip.hw = (set.width - 1) / 2;
  clip.hh = (set.height - 1) / 2;
  clip.row_first = std::max(clip.hh - y, 0);
  clip.row_end = std::min(height + clip.hh - y, set.height);
  return clip;
}

void ClipColumns(int x, int width, int kernel_width, PixelClip* clip) {
  clip->col_first = std::max(clip->hw - x, 0);
  clip->col_end = std::min(width + clip->hw - x, kernel_width);
}

uint64_t ClippedCells(const KernelSet& set, const PixelClip& clip) {
  uint64_t cells = 0;
  for (int r = clip.row_first; r < clip.row_end; ++r) {
    const int c0 = std::max(static_cast<int>(set.span_first[r]), clip.col_first);
    const int c1 = std::min(static_cast<int>(set.span_last[r]) + 1, clip.col_end);
    if (c1 > c0) cells += static_cast<uint64_t>(c1 - c0);
  }
  return cells;
}

StripeScatter::StripeScatter(const StripeShared& shared, Band& band)
    : shared_(shared), context_(*shared.context), in_(shared.context->inputs), band_(band) {}

bool StripeScatter::Allocate(const StripeRows&, int) {
  return true;
}

void StripeScatter::CompleteRows(int) {}

namespace {

// The geometry every pixel's rows share: spans, clip, place in the band.
template <class Pixel>
void SetPixelPlace(const KernelSet& set, const PixelClip& clip, int x, int y, const Band& band,
                   Pixel* all) {
  all->span_first = set.span_first.get();
  all->span_last = set.span_last.get();
  all->kernel_width = set.width;
  all->row_first = clip.row_first;
  all->row_end = clip.row_end;
  all->col_first = clip.col_first;
  all->col_end = clip.col_end;
  all->x = x - clip.hw;
  all->y = y - clip.hh;
  all->band_width = band.width;
  all->band_rows = band.rows;
}

// The row functions of either sample size, by the pixel's type.
FusedRow ClippedRow(const FusedPixel& all, int r, int band_row) {
  return ClippedFusedRow(all, r, band_row);
}
PairRow ClippedRow(const PairPixel& all, int r, int band_row) {
  return ClippedPairRow(all, r, band_row);
}
void AddRow(const FusedRow& row, bool simd) {
  AddFusedRow(row, simd);
}
void AddRow(const PairRow& row, bool simd) {
  AddPairRow(row, simd);
}
void AddRowOccluded(const FusedRow& row, const OcclusionRow& occlusion) {
  AddFusedRowOccluded(row, occlusion);
}
void AddRowOccluded(const PairRow& row, const OcclusionRow& occlusion) {
  AddPairRowOccluded(row, occlusion);
}

}  // namespace

FusedPixel StripeScatter::PixelRows(const PixelLight& light, const KernelSet& set,
                                    const PixelClip& clip, int x, int y, uint64_t* const planes[],
                                    bool weight) const {
  FusedPixel all;
  for (int k = 0; k < 3; ++k) {
    all.colour[k] = light.colour[k];
    all.weight[k] = light.weight[k];
    all.shift[k] = light.shift[k];
    all.band[k] = planes[light.plane[k]];
  }
  all.band[kWeightPlane] = weight ? planes[kWeightPlane] : nullptr;
  SetPixelPlace(set, clip, x, y, band_, &all);
  return all;
}

PairPixel StripeScatter::PixelRows(const PixelLight16& light, const KernelSet& set,
                                   const PixelClip& clip, int x, int y, uint64_t* const planes[],
                                   bool weight) const {
  PairPixel all;
  for (int k = 0; k < 3; ++k) {
    for (int t = 0; t < 2; ++t) {
      all.colour[k][t] = light.colour[k][t];
      all.share[k][t] = light.share[k][t];
      all.shift[k][t] = light.shift[k][t];
      all.band[k][t] = planes[light.plane[k][t]];
    }
    all.weight[k] = light.weight[k];
  }
  all.weight_band = weight ? planes[kWeightPlane] : nullptr;
  SetPixelPlace(set, clip, x, y, band_, &all);
  return all;
}

bool StripeScatter::MayBeDimmed(const PixelClip& clip, int x, int y, int* source_depth) {
  const DepthView& depth = in_.depth;
  *source_depth = depth.present() ? *depth.at(x, y) : 0;
  if (!depth.present()) return false;
  const int left = x - clip.hw;
  const int top = y - clip.hh;
  return !NothingDimmed(left + clip.col_first, left + clip.col_end - 1, top + clip.row_first,
                        top + clip.row_end - 1, *source_depth);
}

bool StripeScatter::NothingDimmed(int x0, int x1, int y0, int y1, int source_depth) {
  constexpr int kTile = DepthTiles::kTile;
  const int key[5] = {x0 / kTile, x1 / kTile, y0 / kTile, y1 / kTile, source_depth};
  if (!std::equal(key, key + 5, dimming_key_)) {
    std::copy(key, key + 5, dimming_key_);
    nothing_dimmed_ = shared_.tiles->NothingDimmed(x0, x1, y0, y1, source_depth);
  }
  return nothing_dimmed_;
}

template <class Pixel>
void StripeScatter::AddOccluded(const KernelSet& set, const Pixel& all, int x, int y,
                                int source_depth, float diameter) {
  const DepthView& depth = in_.depth;
  const int hw = x - all.x;
  const int hh = y - all.y;
  OcclusionRow occlusion;
  occlusion.depth_stride = depth.pixel_stride;
  occlusion.source_depth = static_cast<float>(source_depth);
  occlusion.diameter = diameter;
  for (int r = all.row_first; r < all.row_end; ++r) {
    const auto row = ClippedRow(all, r, (all.y + r) % all.band_rows);
    if (row.count == 0) continue;
    const int c0 = std::max(static_cast<int>(set.span_first[r]), all.col_first);
    const int ty = y + r - hh;
    occlusion.depth = depth.at(x + c0 - hw, ty);
    occlusion.dx0 = hw - c0;
    occlusion.dy = hh - r;
    if (RowMayBeDimmed(occlusion, row.count)) {
      AddRowOccluded(row, occlusion);
    } else {
      AddRow(row, in_.options.simd);
    }
  }
}

template void StripeScatter::AddOccluded(const KernelSet&, const FusedPixel&, int, int, int, float);
template void StripeScatter::AddOccluded(const KernelSet&, const PairPixel&, int, int, int, float);

}  // namespace ulvo
