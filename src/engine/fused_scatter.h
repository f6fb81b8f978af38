// The fast path's scatter: the three channels of one source pixel added in
// one pass over each kernel row. The weight plane receives the three weight
// kernels' sum once instead of three separate additions, which is exactly
// equal because the sums are 64-bit integers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "src/engine/scatter.h"

namespace ulvo {

// One kernel row of one pixel: the colour kernel row of each channel, the
// weight kernel row of each channel (the same row three times for a grey
// pattern) and the band rows they are added to (colour 0..2, weight). A null
// weight row (sums[3]) leaves the weight to the caller.
struct FusedRow {
  const uint32_t* colour[3] = {};
  const uint32_t* weight[3] = {};
  int shift[3] = {0, 0, 0};  // colour values are added shifted left by these
  bool shifted() const { return (shift[0] | shift[1] | shift[2]) != 0; }
  uint64_t* sums[4] = {};
  int count = 0;
};

// Adds the row without occlusion. With simd, vector instructions of the best
// kind the processor supports; without, a plain loop. Both give equal sums.
void AddFusedRow(const FusedRow& row, bool simd);
void AddFusedRowPlain(const FusedRow& row);

// Vector version; defined in its own file behind one run-time dispatch.
void AddFusedRowSimd(const FusedRow& row);

// One channel alone: sums[i] += kernel[i] << shift for i < count.
void AddShiftedRowSimd(const uint32_t* kernel, uint64_t* sums, int count, int shift);

// Whole kernel rows of one pixel's three channels, every column of each row
// (cells outside a row's span must hold 0), added to band rows that form a
// ring. Nothing is clipped: the band must have room left and right of the
// image for the kernel's reach. Every row has the same length, so the loops
// run the same way for every row and pixel.
struct DenseRows {
  const uint32_t* kernel[3] = {};  // the first row added, of each channel's copy
  int shift[3] = {0, 0, 0};
  uint64_t* sums[3] = {};  // each channel's plane, at the column of kernel column 0
  size_t band_stride = 0;  // elements from one band row to the next
  int band_rows = 0;
  int band_row = 0;  // band row of the first row added
  int rows = 0;
  int width = 0;  // kernel width
};

void AddDenseRowsPlain(const DenseRows& rows);
void AddDenseRowsSimd(const DenseRows& rows);

// The vector version for the instruction set chosen now, to be called
// directly by a render, or the plain one.
using DenseRowsFunction = void (*)(const DenseRows&);
DenseRowsFunction ChooseDenseRows(bool simd);

// All kernel rows of one pixel that no occlusion dims, clipped to the image
// and to the aperture's row spans. Band rows form a ring: image row t lives
// in band row t mod band_rows.
struct FusedPixel {
  const uint32_t* colour[3] = {};  // the channels' intensity copies
  const uint32_t* weight[3] = {};  // their weight copies
  int shift[3] = {0, 0, 0};        // the copies' storage shifts
  const int32_t* span_first = nullptr;
  const int32_t* span_last = nullptr;
  int kernel_width = 0;
  int row_first = 0;  // kernel rows [row_first, row_end)
  int row_end = 0;
  int col_first = 0;  // kernel columns [col_first, col_end) lie inside the image
  int col_end = 0;
  int x = 0;  // image position of kernel cell (0, 0)
  int y = 0;
  uint64_t* band[4] = {};  // band[3] null: colour only
  int band_width = 0;      // elements from one band row to the next
  int band_rows = 0;
};

// Kernel row r of the pixel, clipped to the image and to the aperture's row
// span, as a row added to band row band_row; its count is 0 when nothing of
// the row is left.
inline FusedRow ClippedFusedRow(const FusedPixel& pixel, int r, int band_row) {
  FusedRow row;
  const int c0 = std::max(static_cast<int>(pixel.span_first[r]), pixel.col_first);
  const int c1 = std::min(static_cast<int>(pixel.span_last[r]) + 1, pixel.col_end);
  if (c0 >= c1) return row;
  const size_t kernel_at = static_cast<size_t>(r) * pixel.kernel_width + c0;
  const size_t band_at = static_cast<size_t>(band_row) * pixel.band_width + pixel.x + c0;
  for (int k = 0; k < 3; ++k) {
    row.colour[k] = pixel.colour[k] + kernel_at;
    row.weight[k] = pixel.weight[k] + kernel_at;
    row.shift[k] = pixel.shift[k];
  }
  for (int p = 0; p < 3; ++p) row.sums[p] = pixel.band[p] + band_at;
  row.sums[3] = pixel.band[3] != nullptr ? pixel.band[3] + band_at : nullptr;
  row.count = c1 - c0;
  return row;
}

// Adds the pixel's rows; returns the number of kernel cells per channel.
uint64_t AddFusedPixel(const FusedPixel& pixel, bool simd);
uint64_t AddFusedPixelPlain(const FusedPixel& pixel);
uint64_t AddFusedPixelSimd(const FusedPixel& pixel);

// The vector version for the instruction set chosen now, to be called
// directly by a render (saving the dispatch per pixel), or the plain one.
using FusedPixelFunction = uint64_t (*)(const FusedPixel&);
FusedPixelFunction ChooseFusedPixel(bool simd);

// Name of the instruction set the vector version runs with on this machine.
const char* SimdTargetName();

// True when some target of the row is nearer than the source by more than
// 5 depth steps, so that its light may be dimmed.
bool RowMayBeDimmed(const OcclusionRow& occlusion, int count);

// Adds the row with the dimming of light that falls on clearly nearer
// targets; the same single-precision steps per cell as the reference scatter.
void AddFusedRowOccluded(const FusedRow& row, const OcclusionRow& occlusion);

}  // namespace ulvo
