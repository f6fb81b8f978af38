#include "src/engine/scatter.h"

#include <algorithm>
#include <cstdio>

namespace ulvo {

bool InsideBand(const BandTarget& band, int band_row) {
  if (band_row >= 0 && band_row < band.band_rows) return true;
  std::fputs("Internal Error", stdout);
  return false;
}

void ScatterPixel(const ScatterLevel& level, const uint32_t* colour_kernel,
                  const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                  int x, int y, int colour_shift) {
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
    if (depth.present()) {
      OcclusionRow occlusion;
      occlusion.depth = depth.at(tx, ty);
      occlusion.depth_stride = depth.pixel_stride;
      occlusion.source_depth = source_depth;
      occlusion.diameter = level.diameter;
      occlusion.dx0 = hw - c0;
      occlusion.dy = hh - r;
      AddKernelRowOccluded(colour_kernel + kernel_at, weight_kernel + kernel_at,
                           band.colour + band_at, band.weight + band_at, c1 - c0, occlusion,
                           colour_shift);
    } else {
      AddKernelRow(colour_kernel + kernel_at, weight_kernel + kernel_at, band.colour + band_at,
                   band.weight + band_at, c1 - c0, colour_shift);
    }
  }
}

void ScatterPixel16(const ScatterLevel& level, const ColourPair& colour,
                    const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                    int x, int y) {
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
    ColourPair row = colour;
    for (int t = 0; t < 2; ++t) {
      row.kernel[t] += kernel_at;
      row.sums[t] += band_at;
    }
    if (depth.present()) {
      OcclusionRow occlusion;
      occlusion.depth = depth.at(tx, ty);
      occlusion.depth_stride = depth.pixel_stride;
      occlusion.source_depth = source_depth;
      occlusion.diameter = level.diameter;
      occlusion.dx0 = hw - c0;
      occlusion.dy = hh - r;
      AddKernelRowPairOccluded(row, weight_kernel + kernel_at, band.weight + band_at, c1 - c0,
                               occlusion);
    } else {
      AddKernelRowPair(row, weight_kernel + kernel_at, band.weight + band_at, c1 - c0);
    }
  }
}

}  // namespace ulvo
