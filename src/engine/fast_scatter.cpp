#include "src/engine/fast_scatter.h"

namespace ulvo {

void FastScatter::ScatterRow(int y, int x_begin, int x_end) {
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p);
  const size_t ring_row = static_cast<size_t>(y % band_.rows) * band_.width;
  uint64_t cells = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    const KernelSet& set = shared_.kernels->set(level);
    if (!PixelScatters(context_, &set, level, x, y)) continue;
    const PixelLight light = ReadPixelLight(context_, set, level, x, y);
    if (light.one_pixel) {
      AddOnePixel(light, sums, ring_row + x, true);
      cells += 3;
      continue;
    }

    PixelClip clip = ClipRows(set, y, in_.height);
    ClipColumns(x, in_.width, set.width, &clip);
    const FusedPixel all = Fused(light, set, clip, x, y, sums, true);
    int source_depth = 0;
    if (!MayBeDimmed(clip, x, y, &source_depth)) {
      cells += 3 * shared_.fused_pixel(all);
      continue;
    }
    AddOccluded(set, all, x, y, source_depth,
                static_cast<float>(context_.levels.levels[level].diameter));
    cells += 3 * ClippedCells(set, clip);
  }
  cells_ += cells;
}

void FastScatter16::ScatterRow(int y, int x_begin, int x_end) {
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p);
  const size_t ring_row = static_cast<size_t>(y % band_.rows) * band_.width;
  uint64_t cells = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    const KernelSet& set = shared_.kernels->set(level);
    if (!PixelScatters(context_, &set, level, x, y)) continue;
    const PixelLight16 light = ReadPixelLight16(context_, set, level, x, y);
    if (light.one_pixel) {
      AddOnePixel16(light, sums, ring_row + x, true);
      cells += 3;
      continue;
    }

    PixelClip clip = ClipRows(set, y, in_.height);
    ClipColumns(x, in_.width, set.width, &clip);
    const PairPixel all = Paired(light, set, clip, x, y, sums, true);
    int source_depth = 0;
    if (!MayBeDimmed(clip, x, y, &source_depth)) {
      cells += 3 * shared_.pair_pixel(all);
      continue;
    }
    AddOccludedPairs(set, all, x, y, source_depth,
                     static_cast<float>(context_.levels.levels[level].diameter));
    cells += 3 * ClippedCells(set, clip);
  }
  cells_ += cells;
}

std::unique_ptr<StripeScatter> FastMethod::ForStripe(const StripeShared& shared, Band& band) const {
  if (shared.context->inputs.sample_bytes == 2)
    return std::make_unique<FastScatter16>(shared, band);
  return std::make_unique<FastScatter>(shared, band);
}

}  // namespace ulvo
