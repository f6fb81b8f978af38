#include "src/engine/pair_scatter.h"

#include "src/engine/level_kernels.h"

namespace ulvo {

void AddPairRow(const PairRow& row, bool simd) {
  if (simd && !row.split()) {
    AddPairRowSimd(row);
  } else {
    AddPairRowPlain(row);
  }
}

void AddPairRowPlain(const PairRow& row) {
  for (int k = 0; k < 3; ++k) {
    for (int t = 0; t < 2; ++t) {
      const uint32_t* kernel = row.colour[k][t];
      const uint32_t share = row.share[k][t];
      const int shift = row.shift[k][t];
      uint64_t* sums = row.sums[k][t];
      for (int i = 0; i < row.count; ++i) sums[i] += ShareLight(kernel[i], share, shift);
    }
  }
  if (row.weight_sums == nullptr) return;
  for (int i = 0; i < row.count; ++i) {
    row.weight_sums[i] +=
        static_cast<uint64_t>(row.weight[0][i]) + row.weight[1][i] + row.weight[2][i];
  }
}

void AddPairRowOccluded(const PairRow& row, const OcclusionRow& occlusion) {
  const float source = occlusion.source_depth;
  const uint8_t* depth = occlusion.depth;
  const int dy2 = occlusion.dy * occlusion.dy;
  for (int i = 0; i < row.count; ++i, depth += occlusion.depth_stride) {
    const int dx = occlusion.dx0 - i;
    const float target = *depth;
    const float distance2 = static_cast<float>(dx * dx + dy2);
    if (Dimmed(target, source, distance2)) {
      // The factor depends only on the cell: every copy of every channel
      // shares it.
      const float f = DimmingFactor(target, source, distance2, occlusion.diameter);
      for (int k = 0; k < 3; ++k) {
        for (int t = 0; t < 2; ++t) {
          row.sums[k][t][i] +=
              DimmedShareLight(row.colour[k][t][i], row.share[k][t], row.shift[k][t], f);
        }
      }
    } else {
      for (int k = 0; k < 3; ++k) {
        for (int t = 0; t < 2; ++t) {
          row.sums[k][t][i] += ShareLight(row.colour[k][t][i], row.share[k][t], row.shift[k][t]);
        }
      }
    }
    if (row.weight_sums == nullptr) continue;
    row.weight_sums[i] +=
        static_cast<uint64_t>(row.weight[0][i]) + row.weight[1][i] + row.weight[2][i];
  }
}

uint64_t AddPairPixelPlain(const PairPixel& pixel) {
  uint64_t cells = 0;
  int band_row = (pixel.y + pixel.row_first) % pixel.band_rows;
  for (int r = pixel.row_first; r < pixel.row_end;
       ++r, band_row = band_row + 1 == pixel.band_rows ? 0 : band_row + 1) {
    const PairRow row = ClippedPairRow(pixel, r, band_row);
    if (row.count == 0) continue;
    AddPairRowPlain(row);
    cells += static_cast<uint64_t>(row.count);
  }
  return cells;
}

void AddDensePairRowsPlain(const DensePairRows& rows) {
  int band_row = rows.band_row;
  for (int r = 0; r < rows.rows; ++r) {
    const size_t kernel_at = static_cast<size_t>(r) * rows.width;
    const size_t band_at = static_cast<size_t>(band_row) * rows.band_stride;
    for (int c = 0; c < 3; ++c) {
      for (int t = 0; t < 2; ++t) {
        const uint32_t* k = rows.kernel[c][t] + kernel_at;
        uint64_t* s = rows.sums[c][t] + band_at;
        const uint32_t share = rows.share[c][t];
        const int shift = rows.shift[c][t];
        for (int i = 0; i < rows.width; ++i) s[i] += ShareLight(k[i], share, shift);
      }
    }
    band_row = band_row + 1 == rows.band_rows ? 0 : band_row + 1;
  }
}

}  // namespace ulvo
