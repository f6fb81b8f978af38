// The threaded paths' additions for 16-bit pixels: like those of
// fused_scatter.h, but each channel adds two intensity copies weighted by
// their shares (see PixelLight16). Where both copies of every channel sum
// in the same plane (all but the pixels at the one intensity where the fine
// sums end), the two are added in one pass over the sums, with vector
// instructions where the processor has them; otherwise each copy is added
// on its own by the plain loops. Either way the sums are the same integers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "src/engine/scatter.h"

namespace ulvo {

// One kernel row of one 16-bit pixel: each channel's two copy rows, their
// shares and shifts, the band rows they are added to, and the weight
// kernel rows. A null weight_sums leaves the weight to the caller.
struct PairRow {
  const uint32_t* colour[3][2] = {};
  uint32_t share[3][2] = {};
  int shift[3][2] = {};
  uint64_t* sums[3][2] = {};
  const uint32_t* weight[3] = {};
  uint64_t* weight_sums = nullptr;
  int count = 0;

  // Some channel's copies sum in different planes.
  bool split() const {
    return sums[0][0] != sums[0][1] || sums[1][0] != sums[1][1] || sums[2][0] != sums[2][1];
  }
};

// Adds the row without occlusion; vector instructions with simd unless it
// is split.
void AddPairRow(const PairRow& row, bool simd);
void AddPairRowPlain(const PairRow& row);
void AddPairRowSimd(const PairRow& row);  // not for split rows

// Adds the row with the dimming of light that falls on clearly nearer
// targets, each copy dimmed on its own (DimmedShareLight).
void AddPairRowOccluded(const PairRow& row, const OcclusionRow& occlusion);

// All kernel rows of one 16-bit pixel that no occlusion dims, clipped to the
// image and to the aperture's row spans (FusedPixel's counterpart). Band
// rows form a ring: image row t lives in band row t mod band_rows.
struct PairPixel {
  const uint32_t* colour[3][2] = {};  // the channels' intensity copies
  uint32_t share[3][2] = {};
  int shift[3][2] = {};
  const uint32_t* weight[3] = {};  // the channels' weight copies
  const int32_t* span_first = nullptr;
  const int32_t* span_last = nullptr;
  int kernel_width = 0;
  int row_first = 0;  // kernel rows [row_first, row_end)
  int row_end = 0;
  int col_first = 0;  // kernel columns [col_first, col_end) lie inside the image
  int col_end = 0;
  int x = 0;  // image position of kernel cell (0, 0)
  int y = 0;
  uint64_t* band[3][2] = {};        // the plane each copy adds into
  uint64_t* weight_band = nullptr;  // null: colour only
  int band_width = 0;               // elements from one band row to the next
  int band_rows = 0;

  bool split() const {
    return band[0][0] != band[0][1] || band[1][0] != band[1][1] || band[2][0] != band[2][1];
  }
};

// Kernel row r of the pixel, clipped to the image and to the aperture's row
// span, as a row added to band row band_row; its count is 0 when nothing of
// the row is left.
inline PairRow ClippedPairRow(const PairPixel& pixel, int r, int band_row) {
  PairRow row;
  const int c0 = std::max(static_cast<int>(pixel.span_first[r]), pixel.col_first);
  const int c1 = std::min(static_cast<int>(pixel.span_last[r]) + 1, pixel.col_end);
  if (c0 >= c1) return row;
  const size_t kernel_at = static_cast<size_t>(r) * pixel.kernel_width + c0;
  const size_t band_at = static_cast<size_t>(band_row) * pixel.band_width + pixel.x + c0;
  for (int k = 0; k < 3; ++k) {
    for (int t = 0; t < 2; ++t) {
      row.colour[k][t] = pixel.colour[k][t] + kernel_at;
      row.share[k][t] = pixel.share[k][t];
      row.shift[k][t] = pixel.shift[k][t];
      row.sums[k][t] = pixel.band[k][t] + band_at;
    }
    row.weight[k] = pixel.weight[k] + kernel_at;
  }
  row.weight_sums = pixel.weight_band != nullptr ? pixel.weight_band + band_at : nullptr;
  row.count = c1 - c0;
  return row;
}

// Adds the pixel's rows; returns the number of kernel cells per channel.
uint64_t AddPairPixelPlain(const PairPixel& pixel);
uint64_t AddPairPixelSimd(const PairPixel& pixel);  // split pixels go to the plain loops

using PairPixelFunction = uint64_t (*)(const PairPixel&);
PairPixelFunction ChoosePairPixel(bool simd);

// Whole kernel rows of one 16-bit pixel's three channels (DenseRows'
// counterpart): every column of each row, cells outside a row's span
// holding 0, added unclipped to band rows that form a ring.
struct DensePairRows {
  const uint32_t* kernel[3][2] = {};  // the first row added, of each copy
  uint32_t share[3][2] = {};
  int shift[3][2] = {};
  uint64_t* sums[3][2] = {};  // each copy's plane, at the column of kernel column 0
  size_t band_stride = 0;     // elements from one band row to the next
  int band_rows = 0;
  int band_row = 0;  // band row of the first row added
  int rows = 0;
  int width = 0;  // kernel width
};

void AddDensePairRowsPlain(const DensePairRows& rows);
void AddDensePairRowsSimd(const DensePairRows& rows);

using DensePairRowsFunction = void (*)(const DensePairRows&);
DensePairRowsFunction ChooseDensePairRows(bool simd);

// One channel's cells: sums[i] += ShareLight(a[i], share_a, shift_a) +
// ShareLight(b[i], share_b, shift_b) for i < count, and with one copy only.
void AddPairCells(const uint32_t* a, uint32_t share_a, int shift_a, const uint32_t* b,
                  uint32_t share_b, int shift_b, uint64_t* sums, int count, bool simd);
void AddShareCells(const uint32_t* kernel, uint32_t share, int shift, uint64_t* sums, int count,
                   bool simd);

}  // namespace ulvo
