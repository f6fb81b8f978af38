#include "src/engine/scatter.h"

#include <algorithm>
#include <cstdio>

namespace ulvo {

bool InsideBand(const BandTarget& band, int band_row) {
  if (band_row >= 0 && band_row < band.band_rows) return true;
  std::fputs("Internal Error", stdout);
  return false;
}

namespace {

// One channel's colour of an 8-bit pixel: a kernel shifted into one plane.
struct ColourOne {
  const uint32_t* kernel = nullptr;
  int shift = 0;
  uint64_t* sums = nullptr;
};

// The colour's kernels and sums from kernel cell kernel_at and band cell
// band_at on.
ColourOne Offset(ColourOne colour, size_t kernel_at, size_t band_at) {
  colour.kernel += kernel_at;
  colour.sums += band_at;
  return colour;
}

ColourPair Offset(ColourPair colour, size_t kernel_at, size_t band_at) {
  for (int t = 0; t < 2; ++t) {
    colour.kernel[t] += kernel_at;
    colour.sums[t] += band_at;
  }
  return colour;
}

void AddRow(const ColourOne& colour, const uint32_t* weight_kernel, uint64_t* weight, int count) {
  AddKernelRow(colour.kernel, weight_kernel, colour.sums, weight, count, colour.shift);
}

void AddRow(const ColourPair& colour, const uint32_t* weight_kernel, uint64_t* weight, int count) {
  AddKernelRowPair(colour, weight_kernel, weight, count);
}

void AddRowOccluded(const ColourOne& colour, const uint32_t* weight_kernel, uint64_t* weight,
                    int count, const OcclusionRow& occlusion) {
  AddKernelRowOccluded(colour.kernel, weight_kernel, colour.sums, weight, count, occlusion,
                       colour.shift);
}

void AddRowOccluded(const ColourPair& colour, const uint32_t* weight_kernel, uint64_t* weight,
                    int count, const OcclusionRow& occlusion) {
  AddKernelRowPairOccluded(colour, weight_kernel, weight, count, occlusion);
}

// Adds one channel of a pixel (ColourOne or ColourPair), row by row,
// clipped to the image and to the aperture's row spans.
template <class Colour>
void ScatterColour(const ScatterLevel& level, const Colour& colour, const uint32_t* weight_kernel,
                   const BandTarget& band, const DepthView& depth, int x, int y) {
  const size_t band_width = static_cast<size_t>(band.image_width);
  const int kw = level.width;
  const int kh = level.height;
  const int hw = (kw - 1) / 2;
  const int hh = (kh - 1) / 2;
  const int col_first = std::max(hw - x, 0);
  const int col_end = std::min(band.image_width + hw - x, kw);
  const int row_first = std::max(hh - y, 0);
  const int row_end = std::min(band.image_height + hh - y, kh);
  const float source_depth = depth.present() ? static_cast<float>(*depth.at(x, y)) : 0.0f;

  for (int r = row_first; r < row_end; ++r) {
    const int c0 = std::max(static_cast<int>(level.span_first[r]), col_first);
    const int c1 = std::min(static_cast<int>(level.span_last[r]) + 1, col_end);
    if (c0 >= c1) continue;
    const int ty = y + r - hh;
    const int band_row = ty - band.out_y;
    if (!InsideBand(band, band_row)) continue;
    const int tx = x + c0 - hw;
    const size_t kernel_at = static_cast<size_t>(r) * kw + c0;
    const size_t band_at = static_cast<size_t>(band_row) * band_width + tx;
    const Colour row = Offset(colour, kernel_at, band_at);
    if (depth.present()) {
      OcclusionRow occlusion;
      occlusion.depth = depth.at(tx, ty);
      occlusion.depth_stride = depth.pixel_stride;
      occlusion.source_depth = source_depth;
      occlusion.diameter = level.diameter;
      occlusion.dx0 = hw - c0;
      occlusion.dy = hh - r;
      AddRowOccluded(row, weight_kernel + kernel_at, band.weight + band_at, c1 - c0, occlusion);
    } else {
      AddRow(row, weight_kernel + kernel_at, band.weight + band_at, c1 - c0);
    }
  }
}

}  // namespace

void ScatterPixel(const ScatterLevel& level, const uint32_t* colour_kernel,
                  const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                  int x, int y, int colour_shift) {
  ScatterColour(level, ColourOne{colour_kernel, colour_shift, band.colour}, weight_kernel, band,
                depth, x, y);
}

void ScatterPixel16(const ScatterLevel& level, const ColourPair& colour,
                    const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                    int x, int y) {
  ScatterColour(level, colour, weight_kernel, band, depth, x, y);
}

}  // namespace ulvo
