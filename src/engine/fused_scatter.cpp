#include "src/engine/fused_scatter.h"

#include "src/engine/level_kernels.h"

namespace ulvo {

void AddFusedRow(const FusedRow& row, bool simd) {
  if (simd) {
    AddFusedRowSimd(row);
  } else {
    AddFusedRowPlain(row);
  }
}

void AddFusedRowPlain(const FusedRow& row) {
  const uint32_t* k0 = row.colour[0];
  const uint32_t* k1 = row.colour[1];
  const uint32_t* k2 = row.colour[2];
  uint64_t* s0 = row.sums[0];
  uint64_t* s1 = row.sums[1];
  uint64_t* s2 = row.sums[2];
  uint64_t* sw = row.sums[3];
  const int h0 = row.shift[0];
  const int h1 = row.shift[1];
  const int h2 = row.shift[2];
  if (sw == nullptr) {
    for (int i = 0; i < row.count; ++i) {
      s0[i] += static_cast<uint64_t>(k0[i]) << h0;
      s1[i] += static_cast<uint64_t>(k1[i]) << h1;
      s2[i] += static_cast<uint64_t>(k2[i]) << h2;
    }
    return;
  }
  if (row.weight[0] == row.weight[1] && row.weight[0] == row.weight[2]) {
    const uint32_t* w = row.weight[0];
    for (int i = 0; i < row.count; ++i) {
      s0[i] += static_cast<uint64_t>(k0[i]) << h0;
      s1[i] += static_cast<uint64_t>(k1[i]) << h1;
      s2[i] += static_cast<uint64_t>(k2[i]) << h2;
      sw[i] += 3 * static_cast<uint64_t>(w[i]);
    }
    return;
  }
  const uint32_t* w0 = row.weight[0];
  const uint32_t* w1 = row.weight[1];
  const uint32_t* w2 = row.weight[2];
  for (int i = 0; i < row.count; ++i) {
    s0[i] += static_cast<uint64_t>(k0[i]) << h0;
    s1[i] += static_cast<uint64_t>(k1[i]) << h1;
    s2[i] += static_cast<uint64_t>(k2[i]) << h2;
    sw[i] += static_cast<uint64_t>(w0[i]) + w1[i] + w2[i];
  }
}

void AddDenseRowsPlain(const DenseRows& rows) {
  int band_row = rows.band_row;
  for (int r = 0; r < rows.rows; ++r) {
    for (int c = 0; c < 3; ++c) {
      const uint32_t* k = rows.kernel[c] + static_cast<size_t>(r) * rows.width;
      uint64_t* s = rows.sums[c] + static_cast<size_t>(band_row) * rows.band_stride;
      for (int i = 0; i < rows.width; ++i) s[i] += static_cast<uint64_t>(k[i]) << rows.shift[c];
    }
    band_row = band_row + 1 == rows.band_rows ? 0 : band_row + 1;
  }
}

uint64_t AddFusedPixel(const FusedPixel& pixel, bool simd) {
  return simd ? AddFusedPixelSimd(pixel) : AddFusedPixelPlain(pixel);
}

uint64_t AddFusedPixelPlain(const FusedPixel& pixel) {
  uint64_t cells = 0;
  // Band row of kernel row r, advanced row by row instead of divided out.
  int band_row = (pixel.y + pixel.row_first) % pixel.band_rows;
  for (int r = pixel.row_first; r < pixel.row_end;
       ++r, band_row = band_row + 1 == pixel.band_rows ? 0 : band_row + 1) {
    const FusedRow row = ClippedFusedRow(pixel, r, band_row);
    if (row.count == 0) continue;
    AddFusedRowPlain(row);
    cells += static_cast<uint64_t>(row.count);
  }
  return cells;
}

bool RowMayBeDimmed(const OcclusionRow& occlusion, int count) {
  const uint8_t* depth = occlusion.depth;
  // Dimmed where target < limit; source depths are whole numbers.
  const int limit = static_cast<int>(occlusion.source_depth) - 5;
  if (limit <= 0) return false;
  for (int i = 0; i < count; ++i, depth += occlusion.depth_stride) {
    if (*depth < limit) return true;
  }
  return false;
}

void AddFusedRowOccluded(const FusedRow& row, const OcclusionRow& occlusion) {
  const float source = occlusion.source_depth;
  const uint8_t* depth = occlusion.depth;
  const int dy2 = occlusion.dy * occlusion.dy;
  const bool same_weight = row.weight[0] == row.weight[1] && row.weight[0] == row.weight[2];
  for (int i = 0; i < row.count; ++i, depth += occlusion.depth_stride) {
    const int dx = occlusion.dx0 - i;
    const float target = *depth;
    const float distance2 = static_cast<float>(dx * dx + dy2);
    if (Dimmed(target, source, distance2)) {
      // The factor depends only on the cell, so all three channels share it.
      const float f = DimmingFactor(target, source, distance2, occlusion.diameter);
      for (int c = 0; c < 3; ++c) row.sums[c][i] += DimmedLight(row.colour[c][i], row.shift[c], f);
    } else {
      for (int c = 0; c < 3; ++c)
        row.sums[c][i] += static_cast<uint64_t>(row.colour[c][i]) << row.shift[c];
    }
    if (row.sums[3] == nullptr) continue;
    row.sums[3][i] +=
        same_weight ? 3 * static_cast<uint64_t>(row.weight[0][i])
                    : static_cast<uint64_t>(row.weight[0][i]) + row.weight[1][i] + row.weight[2][i];
  }
}

}  // namespace ulvo
