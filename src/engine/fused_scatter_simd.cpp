// Vector version of the fused row add. This file is compiled once for each
// instruction set Highway targets (SSSE3, SSE4, AVX2, AVX-512 and a portable
// fallback on x86); the first call picks the best one the processor supports,
// so a Windows module runs on any processor of its platform and uses AVX2
// where it exists.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "src/engine/fused_scatter_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
// Must follow foreach_target.h.
#include <hwy/highway.h>

#include "src/engine/fused_scatter.h"

HWY_BEFORE_NAMESPACE();
namespace ulvo {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// A kernel value widened to 64 bits and, for a scaled copy, shifted to
// band units.
template <bool kShifted, class V>
HWY_INLINE V ToBand(V k, int shift) {
  if constexpr (kShifted) return hn::ShiftLeftSame(k, shift);
  return k;
}

template <bool kShifted, class D64, class D32>
HWY_INLINE void AddWidened(D64 d64, D32 d32, const uint32_t* HWY_RESTRICT kernel, int shift,
                           uint64_t* HWY_RESTRICT sums) {
  const auto k = ToBand<kShifted>(hn::PromoteTo(d64, hn::LoadU(d32, kernel)), shift);
  hn::StoreU(hn::Add(hn::LoadU(d64, sums), k), d64, sums);
}

template <class D64, class D32>
HWY_INLINE hn::Vec<D64> WeightSum(D64 d64, D32 d32, const FusedRow& row, size_t i) {
  if (row.weight[0] == row.weight[1] && row.weight[0] == row.weight[2]) {
    const auto w = hn::PromoteTo(d64, hn::LoadU(d32, row.weight[0] + i));
    return hn::Add(hn::Add(w, w), w);
  }
  return hn::Add(hn::Add(hn::PromoteTo(d64, hn::LoadU(d32, row.weight[0] + i)),
                         hn::PromoteTo(d64, hn::LoadU(d32, row.weight[1] + i))),
                 hn::PromoteTo(d64, hn::LoadU(d32, row.weight[2] + i)));
}

// Kernel values are widened from 32 to 64 bits (and shifted to band units
// when some copy is scaled) and added to the sums; the weight of a grey
// pattern is loaded once and tripled by two additions. Without kWeight the
// weight sums are left alone.
template <bool kShifted, bool kWeight = true>
HWY_INLINE void AddFusedRowLanes(const FusedRow& row) {
  const hn::ScalableTag<uint64_t> d64;
  const hn::Rebind<uint32_t, decltype(d64)> d32;
  const size_t lanes = hn::Lanes(d64);
  const size_t count = row.count > 0 ? static_cast<size_t>(row.count) : 0;
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) {
    for (int c = 0; c < 3; ++c) {
      AddWidened<kShifted>(d64, d32, row.colour[c] + i, row.shift[c], row.sums[c] + i);
    }
    if constexpr (kWeight) {
      uint64_t* weight = row.sums[3] + i;
      hn::StoreU(hn::Add(hn::LoadU(d64, weight), WeightSum(d64, d32, row, i)), d64, weight);
    }
  }
  if (i == count) return;
#if HWY_TARGET <= HWY_AVX2
  // Kernel rows are short, so the rest is one more vector step with the
  // lanes past the end masked off: these instruction sets neither read nor
  // write masked lanes.
  const auto m64 = hn::FirstN(d64, count - i);
  const auto m32 = hn::FirstN(d32, count - i);
  for (int c = 0; c < 3; ++c) {
    uint64_t* sums = row.sums[c] + i;
    const auto k = ToBand<kShifted>(hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, row.colour[c] + i)),
                                    row.shift[c]);
    hn::BlendedStore(hn::Add(hn::MaskedLoad(m64, d64, sums), k), m64, d64, sums);
  }
  if constexpr (kWeight) {
    hn::Vec<decltype(d64)> w;
    if (row.weight[0] == row.weight[1] && row.weight[0] == row.weight[2]) {
      const auto w1 = hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, row.weight[0] + i));
      w = hn::Add(hn::Add(w1, w1), w1);
    } else {
      w = hn::Add(hn::Add(hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, row.weight[0] + i)),
                          hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, row.weight[1] + i))),
                  hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, row.weight[2] + i)));
    }
    uint64_t* weight = row.sums[3] + i;
    hn::BlendedStore(hn::Add(hn::MaskedLoad(m64, d64, weight), w), m64, d64, weight);
  }
#else
  for (; i < count; ++i) {
    for (int c = 0; c < 3; ++c) {
      row.sums[c][i] += static_cast<uint64_t>(row.colour[c][i]) << (kShifted ? row.shift[c] : 0);
    }
    if constexpr (kWeight) {
      row.sums[3][i] +=
          static_cast<uint64_t>(row.weight[0][i]) + row.weight[1][i] + row.weight[2][i];
    }
  }
#endif
}

HWY_INLINE void AddFusedRowVector(const FusedRow& row) {
  if (row.sums[3] == nullptr) {
    if (row.shifted()) {
      AddFusedRowLanes<true, false>(row);
    } else {
      AddFusedRowLanes<false, false>(row);
    }
  } else if (row.shifted()) {
    AddFusedRowLanes<true>(row);
  } else {
    AddFusedRowLanes<false>(row);
  }
}

template <bool kShifted, bool kWeight>
HWY_INLINE uint64_t AddFusedPixelRows(const FusedPixel& pixel) {
  uint64_t cells = 0;
  // Band row of kernel row r, advanced row by row instead of divided out.
  int band_row = (pixel.y + pixel.row_first) % pixel.band_rows;
  for (int r = pixel.row_first; r < pixel.row_end;
       ++r, band_row = band_row + 1 == pixel.band_rows ? 0 : band_row + 1) {
    const FusedRow row = ClippedFusedRow(pixel, r, band_row);
    if (row.count == 0) continue;
    AddFusedRowLanes<kShifted, kWeight>(row);
    cells += static_cast<uint64_t>(row.count);
  }
  return cells;
}

// Unscaled copies (every render that needs no scale) skip the shifts.
uint64_t AddFusedPixelVector(const FusedPixel& pixel) {
  const bool shifted = (pixel.shift[0] | pixel.shift[1] | pixel.shift[2]) != 0;
  if (pixel.band[3] == nullptr) {
    return shifted ? AddFusedPixelRows<true, false>(pixel) : AddFusedPixelRows<false, false>(pixel);
  }
  return shifted ? AddFusedPixelRows<true, true>(pixel) : AddFusedPixelRows<false, true>(pixel);
}

// One channel's kernel cells, widened and shifted, added to its sums.
void AddShiftedRowVector(const uint32_t* HWY_RESTRICT kernel, uint64_t* HWY_RESTRICT sums,
                         int count, int shift) {
  const hn::ScalableTag<uint64_t> d64;
  const hn::Rebind<uint32_t, decltype(d64)> d32;
  const size_t lanes = hn::Lanes(d64);
  const size_t n = count > 0 ? static_cast<size_t>(count) : 0;
  size_t i = 0;
  for (; i + lanes <= n; i += lanes) {
    const auto k = hn::ShiftLeftSame(hn::PromoteTo(d64, hn::LoadU(d32, kernel + i)), shift);
    hn::StoreU(hn::Add(hn::LoadU(d64, sums + i), k), d64, sums + i);
  }
  for (; i < n; ++i) sums[i] += static_cast<uint64_t>(kernel[i]) << shift;
}

template <bool kShifted>
HWY_INLINE void AddDenseRowsLanes(const DenseRows& rows) {
  const hn::ScalableTag<uint64_t> d64;
  const hn::Rebind<uint32_t, decltype(d64)> d32;
  const size_t lanes = hn::Lanes(d64);
  const size_t width = static_cast<size_t>(rows.width);
  const size_t full = width / lanes * lanes;
#if HWY_TARGET <= HWY_AVX2
  // The same tail for every row: masked lanes are neither read nor written.
  const auto m64 = hn::FirstN(d64, width - full);
  const auto m32 = hn::FirstN(d32, width - full);
#endif
  int band_row = rows.band_row;
  for (int r = 0; r < rows.rows; ++r) {
    for (int c = 0; c < 3; ++c) {
      const uint32_t* HWY_RESTRICT k = rows.kernel[c] + static_cast<size_t>(r) * width;
      uint64_t* HWY_RESTRICT s = rows.sums[c] + static_cast<size_t>(band_row) * rows.band_stride;
      const int shift = rows.shift[c];
      size_t i = 0;
      for (; i < full; i += lanes) {
        const auto v = ToBand<kShifted>(hn::PromoteTo(d64, hn::LoadU(d32, k + i)), shift);
        hn::StoreU(hn::Add(hn::LoadU(d64, s + i), v), d64, s + i);
      }
      if (i == width) continue;
#if HWY_TARGET <= HWY_AVX2
      const auto v = ToBand<kShifted>(hn::PromoteTo(d64, hn::MaskedLoad(m32, d32, k + i)), shift);
      hn::BlendedStore(hn::Add(hn::MaskedLoad(m64, d64, s + i), v), m64, d64, s + i);
#else
      for (; i < width; ++i) s[i] += static_cast<uint64_t>(k[i]) << (kShifted ? shift : 0);
#endif
    }
    band_row = band_row + 1 == rows.band_rows ? 0 : band_row + 1;
  }
}

void AddDenseRowsVector(const DenseRows& rows) {
  if ((rows.shift[0] | rows.shift[1] | rows.shift[2]) != 0) {
    AddDenseRowsLanes<true>(rows);
  } else {
    AddDenseRowsLanes<false>(rows);
  }
}

const char* VectorTargetName() {
  return hwy::TargetName(HWY_TARGET);
}

}  // namespace HWY_NAMESPACE
}  // namespace ulvo
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ulvo {

HWY_EXPORT(AddFusedRowVector);
HWY_EXPORT(VectorTargetName);
HWY_EXPORT(AddFusedPixelVector);
HWY_EXPORT(AddShiftedRowVector);
HWY_EXPORT(AddDenseRowsVector);

void AddDenseRowsSimd(const DenseRows& rows) {
  HWY_DYNAMIC_DISPATCH(AddDenseRowsVector)(rows);
}

DenseRowsFunction ChooseDenseRows(bool simd) {
  if (!simd) return &AddDenseRowsPlain;
  hwy::ChosenTarget& chosen = hwy::GetChosenTarget();
  if (!chosen.IsInitialized()) chosen.Update(hwy::SupportedTargets());
  return HWY_DISPATCH_TABLE(AddDenseRowsVector)[chosen.GetIndex()];
}

void AddShiftedRowSimd(const uint32_t* kernel, uint64_t* sums, int count, int shift) {
  HWY_DYNAMIC_DISPATCH(AddShiftedRowVector)(kernel, sums, count, shift);
}

uint64_t AddFusedPixelSimd(const FusedPixel& pixel) {
  return HWY_DYNAMIC_DISPATCH(AddFusedPixelVector)(pixel);
}

FusedPixelFunction ChooseFusedPixel(bool simd) {
  if (!simd) return &AddFusedPixelPlain;
  // Until the first dispatch picks the target, the table's first entry
  // stands for "choose"; pick it here so that the entry is the function.
  hwy::ChosenTarget& chosen = hwy::GetChosenTarget();
  if (!chosen.IsInitialized()) chosen.Update(hwy::SupportedTargets());
  return HWY_DISPATCH_TABLE(AddFusedPixelVector)[chosen.GetIndex()];
}

void AddFusedRowSimd(const FusedRow& row) {
  HWY_DYNAMIC_DISPATCH(AddFusedRowVector)(row);
}

const char* SimdTargetName() {
  return HWY_DYNAMIC_DISPATCH(VectorTargetName)();
}

}  // namespace ulvo
#endif  // HWY_ONCE
