// Vector versions of the 16-bit pixels' additions (pair_scatter.h), compiled
// for each instruction set Highway targets and dispatched at run time like
// fused_scatter_simd.cpp. A copy's kernel values are widened to 64 bits,
// multiplied by their share (32 × 32-bit products of the even halves) and
// shifted to band units (once for both when the two copies have the same
// shift); the two copies of a channel are added together and then into the
// sums.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "src/engine/pair_scatter_simd.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep
// Must follow foreach_target.h.
#include <hwy/highway.h>

#include "src/engine/pair_scatter.h"

HWY_BEFORE_NAMESPACE();
namespace ulvo {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using D64 = hn::ScalableTag<uint64_t>;
using D32 = hn::Rebind<uint32_t, D64>;  // kernel values, one a 64-bit lane
#if HWY_TARGET == HWY_SCALAR
// One lane: the 32-bit value itself is the even half.
using DShare = D32;
#else
using DShare = hn::Repartition<uint32_t, D64>;  // the 64-bit lanes as 32-bit halves
#endif
using V64 = hn::Vec<D64>;
using VShare = hn::Vec<DShare>;

// Lanes past the end are masked off on the instruction sets that neither
// read nor write masked lanes; elsewhere the last cells are added one by one.
#if HWY_TARGET <= HWY_AVX2
constexpr bool kMaskedTails = true;
#else
constexpr bool kMaskedTails = false;
#endif

template <bool kMasked>
HWY_INLINE hn::Vec<D32> Load32(hn::Mask<D32> m, const uint32_t* p) {
  if constexpr (kMasked) return hn::MaskedLoad(m, D32(), p);
  return hn::LoadU(D32(), p);
}

template <bool kMasked>
HWY_INLINE V64 Load64(hn::Mask<D64> m, const uint64_t* p) {
  if constexpr (kMasked) return hn::MaskedLoad(m, D64(), p);
  return hn::LoadU(D64(), p);
}

template <bool kMasked>
HWY_INLINE void Store64(V64 v, hn::Mask<D64> m, uint64_t* p) {
  if constexpr (kMasked) {
    hn::BlendedStore(v, m, D64(), p);
  } else {
    hn::StoreU(v, D64(), p);
  }
}

// Kernel values times their share, shifted to band units.
template <bool kShifted>
HWY_INLINE V64 Weighted(hn::Vec<D32> k, VShare share, int shift) {
#if HWY_TARGET == HWY_SCALAR
  const V64 product = hn::MulEven(k, share);
#else
  const V64 product = hn::MulEven(hn::BitCast(DShare(), hn::PromoteTo(D64(), k)), share);
#endif
  if constexpr (kShifted) return hn::ShiftLeftSame(product, shift);
  return product;
}

// How a channel's two copies are shifted to band units: not at all, both by
// the same shift (the products are added first and shifted once; most
// pixels, whose two copies have the same storage scale), or each by its own.
enum class PairShift { kNone, kSame, kEach };

template <PairShift kShift>
HWY_INLINE V64 PairValue(hn::Vec<D32> a, VShare sa, int ha, hn::Vec<D32> b, VShare sb, int hb) {
  if constexpr (kShift == PairShift::kEach) {
    return hn::Add(Weighted<true>(a, sa, ha), Weighted<true>(b, sb, hb));
  }
  const V64 v = hn::Add(Weighted<false>(a, sa, ha), Weighted<false>(b, sb, hb));
  if constexpr (kShift == PairShift::kSame) return hn::ShiftLeftSame(v, ha);
  return v;
}

// The shift mode of one channel's copies, or of several channels'.
HWY_INLINE PairShift ShiftOf(int ha, int hb) {
  if (ha != hb) return PairShift::kEach;
  return ha != 0 ? PairShift::kSame : PairShift::kNone;
}
HWY_INLINE PairShift Wider(PairShift a, PairShift b) {
  return a > b ? a : b;
}

// sums[i..] += both copies' weighted values, over one vector of lanes.
template <PairShift kShift, bool kMasked>
HWY_INLINE void PairStep(const uint32_t* a, VShare sa, int ha, const uint32_t* b, VShare sb, int hb,
                         uint64_t* sums, hn::Mask<D32> m32, hn::Mask<D64> m64) {
  const V64 v = PairValue<kShift>(Load32<kMasked>(m32, a), sa, ha, Load32<kMasked>(m32, b), sb, hb);
  Store64<kMasked>(hn::Add(Load64<kMasked>(m64, sums), v), m64, sums);
}

template <bool kShifted, bool kMasked>
HWY_INLINE void ShareStep(const uint32_t* k, VShare share, int shift, uint64_t* sums,
                          hn::Mask<D32> m32, hn::Mask<D64> m64) {
  const V64 v = Weighted<kShifted>(Load32<kMasked>(m32, k), share, shift);
  Store64<kMasked>(hn::Add(Load64<kMasked>(m64, sums), v), m64, sums);
}

// The three channels' weight cells summed.
template <bool kMasked>
HWY_INLINE V64 WeightStep(const PairRow& row, size_t i, hn::Mask<D32> m32) {
  const D64 d64;
  if (row.weight[0] == row.weight[1] && row.weight[0] == row.weight[2]) {
    const V64 w = hn::PromoteTo(d64, Load32<kMasked>(m32, row.weight[0] + i));
    return hn::Add(hn::Add(w, w), w);
  }
  return hn::Add(hn::Add(hn::PromoteTo(d64, Load32<kMasked>(m32, row.weight[0] + i)),
                         hn::PromoteTo(d64, Load32<kMasked>(m32, row.weight[1] + i))),
                 hn::PromoteTo(d64, Load32<kMasked>(m32, row.weight[2] + i)));
}

// One channel's cells, both copies into the same sums.
template <PairShift kShift>
HWY_INLINE void PairCellsLanes(const uint32_t* a, uint32_t share_a, int shift_a, const uint32_t* b,
                               uint32_t share_b, int shift_b, uint64_t* sums, size_t count) {
  const D64 d64;
  const D32 d32;
  const VShare sa = hn::Set(DShare(), share_a);
  const VShare sb = hn::Set(DShare(), share_b);
  const size_t lanes = hn::Lanes(d64);
  const auto all32 = hn::FirstN(d32, lanes);
  const auto all64 = hn::FirstN(d64, lanes);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) {
    PairStep<kShift, false>(a + i, sa, shift_a, b + i, sb, shift_b, sums + i, all32, all64);
  }
  if (i == count) return;
  if constexpr (kMaskedTails) {
    PairStep<kShift, true>(a + i, sa, shift_a, b + i, sb, shift_b, sums + i,
                           hn::FirstN(d32, count - i), hn::FirstN(d64, count - i));
  } else {
    for (; i < count; ++i) {
      sums[i] += ShareLight(a[i], share_a, shift_a) + ShareLight(b[i], share_b, shift_b);
    }
  }
}

// One copy's cells.
template <bool kShifted>
HWY_INLINE void ShareCellsLanes(const uint32_t* kernel, uint32_t share, int shift, uint64_t* sums,
                                size_t count) {
  const D64 d64;
  const D32 d32;
  const VShare s = hn::Set(DShare(), share);
  const size_t lanes = hn::Lanes(d64);
  const auto all32 = hn::FirstN(d32, lanes);
  const auto all64 = hn::FirstN(d64, lanes);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) {
    ShareStep<kShifted, false>(kernel + i, s, shift, sums + i, all32, all64);
  }
  if (i == count) return;
  if constexpr (kMaskedTails) {
    ShareStep<kShifted, true>(kernel + i, s, shift, sums + i, hn::FirstN(d32, count - i),
                              hn::FirstN(d64, count - i));
  } else {
    for (; i < count; ++i) sums[i] += ShareLight(kernel[i], share, shift);
  }
}

// The three channels (and the weight) of one row that is not split, in one
// pass over the cells.
template <PairShift kShift, bool kWeight, bool kMasked>
HWY_INLINE void PairRowStep(const PairRow& row, const VShare (&share)[3][2], size_t i,
                            hn::Mask<D32> m32, hn::Mask<D64> m64) {
  for (int c = 0; c < 3; ++c) {
    PairStep<kShift, kMasked>(row.colour[c][0] + i, share[c][0], row.shift[c][0],
                              row.colour[c][1] + i, share[c][1], row.shift[c][1],
                              row.sums[c][0] + i, m32, m64);
  }
  if constexpr (kWeight) {
    uint64_t* weight = row.weight_sums + i;
    Store64<kMasked>(hn::Add(Load64<kMasked>(m64, weight), WeightStep<kMasked>(row, i, m32)), m64,
                     weight);
  }
}

template <PairShift kShift, bool kWeight>
HWY_INLINE void PairRowLanes(const PairRow& row, const VShare (&share)[3][2]) {
  const D64 d64;
  const D32 d32;
  const size_t lanes = hn::Lanes(d64);
  const size_t count = row.count > 0 ? static_cast<size_t>(row.count) : 0;
  const auto all32 = hn::FirstN(d32, lanes);
  const auto all64 = hn::FirstN(d64, lanes);
  size_t i = 0;
  for (; i + lanes <= count; i += lanes) {
    PairRowStep<kShift, kWeight, false>(row, share, i, all32, all64);
  }
  if (i == count) return;
  if constexpr (kMaskedTails) {
    PairRowStep<kShift, kWeight, true>(row, share, i, hn::FirstN(d32, count - i),
                                       hn::FirstN(d64, count - i));
  } else {
    for (; i < count; ++i) {
      for (int c = 0; c < 3; ++c) {
        row.sums[c][0][i] += ShareLight(row.colour[c][0][i], row.share[c][0], row.shift[c][0]) +
                             ShareLight(row.colour[c][1][i], row.share[c][1], row.shift[c][1]);
      }
      if constexpr (kWeight) {
        row.weight_sums[i] +=
            static_cast<uint64_t>(row.weight[0][i]) + row.weight[1][i] + row.weight[2][i];
      }
    }
  }
}

template <class Pair>
HWY_INLINE void ShareVectors(const Pair& pair, VShare (&share)[3][2]) {
  for (int c = 0; c < 3; ++c) {
    for (int t = 0; t < 2; ++t) share[c][t] = hn::Set(DShare(), pair.share[c][t]);
  }
}

// The widest shift mode of the three channels.
template <class Pair>
HWY_INLINE PairShift ShiftMode(const Pair& pair) {
  PairShift mode = PairShift::kNone;
  for (int c = 0; c < 3; ++c) mode = Wider(mode, ShiftOf(pair.shift[c][0], pair.shift[c][1]));
  return mode;
}

template <bool kWeight>
HWY_INLINE void PairRowIn(PairShift mode, const PairRow& row, const VShare (&share)[3][2]) {
  switch (mode) {
    case PairShift::kNone:
      return PairRowLanes<PairShift::kNone, kWeight>(row, share);
    case PairShift::kSame:
      return PairRowLanes<PairShift::kSame, kWeight>(row, share);
    case PairShift::kEach:
      return PairRowLanes<PairShift::kEach, kWeight>(row, share);
  }
}

void AddPairRowVector(const PairRow& row) {
  VShare share[3][2];
  ShareVectors(row, share);
  const PairShift mode = ShiftMode(row);
  if (row.weight_sums == nullptr) {
    PairRowIn<false>(mode, row, share);
  } else {
    PairRowIn<true>(mode, row, share);
  }
}

template <PairShift kShift, bool kWeight>
HWY_INLINE uint64_t PairPixelRows(const PairPixel& pixel) {
  VShare share[3][2];
  ShareVectors(pixel, share);
  uint64_t cells = 0;
  int band_row = (pixel.y + pixel.row_first) % pixel.band_rows;
  for (int r = pixel.row_first; r < pixel.row_end;
       ++r, band_row = band_row + 1 == pixel.band_rows ? 0 : band_row + 1) {
    const PairRow row = ClippedPairRow(pixel, r, band_row);
    if (row.count == 0) continue;
    PairRowLanes<kShift, kWeight>(row, share);
    cells += static_cast<uint64_t>(row.count);
  }
  return cells;
}

template <bool kWeight>
HWY_INLINE uint64_t PairPixelIn(PairShift mode, const PairPixel& pixel) {
  switch (mode) {
    case PairShift::kNone:
      return PairPixelRows<PairShift::kNone, kWeight>(pixel);
    case PairShift::kSame:
      return PairPixelRows<PairShift::kSame, kWeight>(pixel);
    case PairShift::kEach:
      break;
  }
  return PairPixelRows<PairShift::kEach, kWeight>(pixel);
}

uint64_t AddPairPixelVector(const PairPixel& pixel) {
  if (pixel.split()) return AddPairPixelPlain(pixel);
  const PairShift mode = ShiftMode(pixel);
  return pixel.weight_band == nullptr ? PairPixelIn<false>(mode, pixel)
                                      : PairPixelIn<true>(mode, pixel);
}

// One channel's cells, both copies into the same sums, in the shift mode of
// their shifts.
HWY_INLINE void PairCellsIn(const uint32_t* a, uint32_t share_a, int shift_a, const uint32_t* b,
                            uint32_t share_b, int shift_b, uint64_t* sums, size_t count) {
  switch (ShiftOf(shift_a, shift_b)) {
    case PairShift::kNone:
      return PairCellsLanes<PairShift::kNone>(a, share_a, shift_a, b, share_b, shift_b, sums,
                                              count);
    case PairShift::kSame:
      return PairCellsLanes<PairShift::kSame>(a, share_a, shift_a, b, share_b, shift_b, sums,
                                              count);
    case PairShift::kEach:
      return PairCellsLanes<PairShift::kEach>(a, share_a, shift_a, b, share_b, shift_b, sums,
                                              count);
  }
}

HWY_INLINE void ShareCellsIn(const uint32_t* kernel, uint32_t share, int shift, uint64_t* sums,
                             size_t count) {
  if (shift != 0) {
    ShareCellsLanes<true>(kernel, share, shift, sums, count);
  } else {
    ShareCellsLanes<false>(kernel, share, shift, sums, count);
  }
}

// Whole kernel rows of the three channels, as AddDenseRowsLanes adds them
// for 8-bit pixels: the shares, the shift mode and the tail's masks are set
// up once for the pixel, then each row of each channel is one pass over its
// cells. Channels whose copies sum in different planes add each copy on its
// own.
template <PairShift kShift>
HWY_INLINE void DensePairRowsLanes(const DensePairRows& rows) {
  const D64 d64;
  const D32 d32;
  const size_t lanes = hn::Lanes(d64);
  const size_t width = static_cast<size_t>(rows.width);
  const size_t full = width / lanes * lanes;
  const auto all32 = hn::FirstN(d32, lanes);
  const auto all64 = hn::FirstN(d64, lanes);
  const auto tail32 = hn::FirstN(d32, width - full);
  const auto tail64 = hn::FirstN(d64, width - full);
  VShare share[3][2];
  ShareVectors(rows, share);
  int band_row = rows.band_row;
  for (int r = 0; r < rows.rows; ++r) {
    const size_t kernel_at = static_cast<size_t>(r) * width;
    const size_t band_at = static_cast<size_t>(band_row) * rows.band_stride;
    for (int c = 0; c < 3; ++c) {
      const uint32_t* a = rows.kernel[c][0] + kernel_at;
      const uint32_t* b = rows.kernel[c][1] + kernel_at;
      uint64_t* s0 = rows.sums[c][0] + band_at;
      uint64_t* s1 = rows.sums[c][1] + band_at;
      const int ha = rows.shift[c][0];
      const int hb = rows.shift[c][1];
      if (s0 != s1) {  // the copies sum in different planes
        ShareCellsIn(a, rows.share[c][0], ha, s0, width);
        ShareCellsIn(b, rows.share[c][1], hb, s1, width);
        continue;
      }
      size_t i = 0;
      for (; i < full; i += lanes) {
        PairStep<kShift, false>(a + i, share[c][0], ha, b + i, share[c][1], hb, s0 + i, all32,
                                all64);
      }
      if (i == width) continue;
      if constexpr (kMaskedTails) {
        PairStep<kShift, true>(a + i, share[c][0], ha, b + i, share[c][1], hb, s0 + i, tail32,
                               tail64);
      } else {
        for (; i < width; ++i) {
          s0[i] += ShareLight(a[i], rows.share[c][0], ha) + ShareLight(b[i], rows.share[c][1], hb);
        }
      }
    }
    band_row = band_row + 1 == rows.band_rows ? 0 : band_row + 1;
  }
}

void AddDensePairRowsVector(const DensePairRows& rows) {
  // The shift mode of the channels whose copies sum in one plane.
  PairShift mode = PairShift::kNone;
  for (int c = 0; c < 3; ++c) {
    if (rows.sums[c][0] == rows.sums[c][1]) {
      mode = Wider(mode, ShiftOf(rows.shift[c][0], rows.shift[c][1]));
    }
  }
  switch (mode) {
    case PairShift::kNone:
      return DensePairRowsLanes<PairShift::kNone>(rows);
    case PairShift::kSame:
      return DensePairRowsLanes<PairShift::kSame>(rows);
    case PairShift::kEach:
      return DensePairRowsLanes<PairShift::kEach>(rows);
  }
}

void AddPairCellsVector(const uint32_t* a, uint32_t share_a, int shift_a, const uint32_t* b,
                        uint32_t share_b, int shift_b, uint64_t* sums, int count) {
  PairCellsIn(a, share_a, shift_a, b, share_b, shift_b, sums,
              count > 0 ? static_cast<size_t>(count) : 0);
}

void AddShareCellsVector(const uint32_t* kernel, uint32_t share, int shift, uint64_t* sums,
                         int count) {
  ShareCellsIn(kernel, share, shift, sums, count > 0 ? static_cast<size_t>(count) : 0);
}

}  // namespace HWY_NAMESPACE
}  // namespace ulvo
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace ulvo {

HWY_EXPORT(AddPairRowVector);
HWY_EXPORT(AddPairPixelVector);
HWY_EXPORT(AddDensePairRowsVector);
HWY_EXPORT(AddPairCellsVector);
HWY_EXPORT(AddShareCellsVector);

namespace {

// The dispatch table's entry for the instruction set chosen now. Until the
// first dispatch picks the target, a table's first entry stands for
// "choose"; it is picked here so that the entry is the function itself.
size_t ChosenIndex() {
  hwy::ChosenTarget& chosen = hwy::GetChosenTarget();
  if (!chosen.IsInitialized()) chosen.Update(hwy::SupportedTargets());
  return chosen.GetIndex();
}

}  // namespace

void AddPairRowSimd(const PairRow& row) {
  HWY_DYNAMIC_DISPATCH(AddPairRowVector)(row);
}

uint64_t AddPairPixelSimd(const PairPixel& pixel) {
  return HWY_DYNAMIC_DISPATCH(AddPairPixelVector)(pixel);
}

PairPixelFunction ChoosePairPixel(bool simd) {
  if (!simd) return &AddPairPixelPlain;
  return HWY_DISPATCH_TABLE(AddPairPixelVector)[ChosenIndex()];
}

void AddDensePairRowsSimd(const DensePairRows& rows) {
  HWY_DYNAMIC_DISPATCH(AddDensePairRowsVector)(rows);
}

DensePairRowsFunction ChooseDensePairRows(bool simd) {
  if (!simd) return &AddDensePairRowsPlain;
  return HWY_DISPATCH_TABLE(AddDensePairRowsVector)[ChosenIndex()];
}

void AddPairCells(const uint32_t* a, uint32_t share_a, int shift_a, const uint32_t* b,
                  uint32_t share_b, int shift_b, uint64_t* sums, int count, bool simd) {
  if (simd) {
    HWY_DYNAMIC_DISPATCH(AddPairCellsVector)(a, share_a, shift_a, b, share_b, shift_b, sums, count);
    return;
  }
  for (int i = 0; i < count; ++i) {
    sums[i] += ShareLight(a[i], share_a, shift_a) + ShareLight(b[i], share_b, shift_b);
  }
}

void AddShareCells(const uint32_t* kernel, uint32_t share, int shift, uint64_t* sums, int count,
                   bool simd) {
  if (simd) {
    HWY_DYNAMIC_DISPATCH(AddShareCellsVector)(kernel, share, shift, sums, count);
    return;
  }
  for (int i = 0; i < count; ++i) sums[i] += ShareLight(kernel[i], share, shift);
}

}  // namespace ulvo
#endif  // HWY_ONCE
