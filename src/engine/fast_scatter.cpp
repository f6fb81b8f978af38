#include "src/engine/fast_scatter.h"

namespace ulvo {

void FastScatter::ScatterRow(int y, int x_begin, int x_end) {
  if (in_.sample_bytes == 2) {
    ScatterPixels<PixelLight16>(y, x_begin, x_end);
  } else {
    ScatterPixels<PixelLight>(y, x_begin, x_end);
  }
}

template <class Light>
void FastScatter::ScatterPixels(int y, int x_begin, int x_end) {
  uint64_t* sums[kMaxBandPlanes] = {};
  for (int p = 0; p < shared_.band_planes; ++p) sums[p] = band_.plane(p);
  const size_t ring_row = static_cast<size_t>(y % band_.rows) * band_.width;
  uint64_t cells = 0;

  for (int x = x_begin; x < x_end; ++x) {
    const int level = context_.LevelAt(x, y);
    const KernelSet& set = shared_.kernels->set(level);
    if (!PixelScatters(context_, &set, level, x, y)) continue;
    const Light light = ReadLight<Light>(context_, set, level, x, y);
    if (light.one_pixel) {
      AddOnePixel(light, sums, ring_row + x, true);
      cells += 3;
      continue;
    }

    PixelClip clip = ClipRows(set, y, in_.height);
    ClipColumns(x, in_.width, set.width, &clip);
    const auto all = PixelRows(light, set, clip, x, y, sums, true);
    int source_depth = 0;
    if (!MayBeDimmed(clip, x, y, &source_depth)) {
      cells += 3 * AddPixel(all);
      continue;
    }
    AddOccluded(set, all, x, y, source_depth,
                static_cast<float>(context_.levels.levels[level].diameter));
    cells += 3 * ClippedCells(set, clip);
  }
  cells_ += cells;
}

std::unique_ptr<StripeScatter> FastMethod::ForStripe(const StripeShared& shared, Band& band) const {
  return std::make_unique<FastScatter>(shared, band);
}

}  // namespace ulvo
