#include <algorithm>
#include <vector>

#include "src/engine/kernel_set.h"

namespace ulvo {
namespace {

// Where one pattern row or column lands on the kernel grid: wholly in cell
// first, or split between first and second by the fractional start.
struct SplatStep {
  int first = 0;
  int second = 0;
  double first_share = 1.0;
  double second_share = 0.0;
};

std::vector<SplatStep> SplatSteps(int pattern_size, int kernel_size) {
  const double scale = static_cast<double>(kernel_size) / pattern_size;
  std::vector<SplatStep> steps(static_cast<size_t>(pattern_size));
  for (int j = 0; j < pattern_size; ++j) {
    const double start = j * scale;
    SplatStep& step = steps[j];
    step.first = static_cast<int>(start);
    step.second = static_cast<int>((j + 1) * scale);
    step.first_share = step.first == step.second ? 1.0 : step.second - start;
    step.second_share = 1.0 - step.first_share;
  }
  return steps;
}

inline void AddTo(uint32_t& cell, double value) {
  cell = ToKernelValue(static_cast<double>(cell) + ToKernelValue(value));
}

double CopyTone(const KernelTone& tone, int copy, int plane) {
  return copy < 256 ? tone.colour[plane][copy] : tone.weight[plane];
}

}  // namespace

void RoundKernel(const double* exact, size_t count, uint32_t* out) {
  for (size_t i = 0; i < count; ++i) {
    if (!(exact[i] > 0.0)) {
      out[i] = 0;
      continue;
    }
    const uint32_t value = ToKernelValue(exact[i], true);
    out[i] = value > 0 ? value : 1;
  }
}

void QuantiseKernel(const double* exact, size_t count, uint32_t* out) {
  double carry = 0.0;
  for (size_t i = 0; i < count; ++i) {
    if (!(exact[i] > 0.0)) {
      out[i] = 0;
      continue;
    }
    const double wanted = exact[i] + carry;
    out[i] = ToKernelValue(wanted, true);
    carry = wanted - out[i];
  }
}

namespace {

// One share of a pattern byte on the kernel grid: cell `at` receives
// byte × light × weight of every copy.
struct SplatTerm {
  size_t at = 0;
  double weight = 0.0;
  uint8_t byte = 0;
};

// The shares of one plane's bytes, in the order the splat adds them. Shares
// of weight 0 (a byte that lies wholly in one column or row) and bytes of 0
// would add nothing and are left out.
std::vector<SplatTerm> SplatTerms(const PatternCopy& pattern, int plane,
                                  const std::vector<SplatStep>& rows,
                                  const std::vector<SplatStep>& columns, int width, int height) {
  std::vector<SplatTerm> terms;
  const auto add = [&](size_t at, double weight, uint8_t byte) {
    if (weight != 0.0) terms.push_back({at, weight, byte});
  };
  for (int j = 0; j < pattern.height; ++j) {
    const SplatStep& row = rows[j];
    const bool second_row = row.second < height;
    const size_t row0 = static_cast<size_t>(row.first) * width;
    const size_t row1 = static_cast<size_t>(row.second) * width;
    for (int k = 0; k < pattern.width; ++k) {
      const uint8_t v = pattern.at(k, j, plane);
      if (v == 0) continue;
      const SplatStep& col = columns[k];
      const bool second_col = col.second < width;
      add(row0 + col.first, col.first_share * row.first_share, v);
      if (second_col) add(row0 + col.second, col.second_share * row.first_share, v);
      if (second_row) add(row1 + col.first, col.first_share * row.second_share, v);
      if (second_col && second_row) add(row1 + col.second, col.second_share * row.second_share, v);
    }
  }
  return terms;
}

// The area splat of one copy. Where no scale is needed (kExact false), every
// share is truncated and added as 32-bit values, cell by cell, into copy.
// Scaled copies are summed exactly into `exact`, to be quantised afterwards
// so that each keeps its total however small its cells are.
template <bool kExact>
void SplatCopy(const std::vector<SplatTerm>& terms, double light, uint32_t* copy, double* exact) {
  for (const SplatTerm& term : terms) {
    const double e = term.byte * light;
    if constexpr (kExact) {
      exact[term.at] += e * term.weight;
    } else {
      AddTo(copy[term.at], e * term.weight);
    }
  }
}

void FillPlane(const PatternCopy& pattern, const KernelTone& tone, int plane, const uint8_t* needed,
               KernelSet* set) {
  const int width = set->width;
  const int height = set->height;
  if (width == 1 && height == 1) {
    for (int p = 0; p < set->copies; ++p) {
      if (!CopyNeeded(needed, set->copies, p)) continue;
      const KernelRounding rounding = tone.rounding[p];
      const double exact = tone.plane_sum[plane] * CopyTone(tone, p, plane);
      uint32_t* cell = set->MutableCopy(p, plane);
      if (rounding == KernelRounding::kNearest) {
        RoundKernel(&exact, 1, cell);
      } else {
        *cell = ToKernelValue(exact, rounding == KernelRounding::kCarry);
      }
    }
    return;
  }
  const std::vector<SplatTerm> terms =
      SplatTerms(pattern, plane, SplatSteps(pattern.height, height),
                 SplatSteps(pattern.width, width), width, height);
  const size_t cells = static_cast<size_t>(width) * height;
  bool any_exact = false;
  for (int p = 0; p < set->copies; ++p) {
    any_exact = any_exact || (CopyNeeded(needed, set->copies, p) &&
                              tone.rounding[p] != KernelRounding::kTruncate);
  }
  std::vector<double> exact(any_exact ? cells : 0);
  for (int p = 0; p < set->copies; ++p) {
    if (!CopyNeeded(needed, set->copies, p)) continue;
    const double light = CopyTone(tone, p, plane);
    uint32_t* copy = set->MutableCopy(p, plane);
    switch (tone.rounding[p]) {
      case KernelRounding::kTruncate:
        SplatCopy<false>(terms, light, copy, nullptr);
        break;
      case KernelRounding::kCarry:
        std::fill(exact.begin(), exact.end(), 0.0);
        SplatCopy<true>(terms, light, copy, exact.data());
        QuantiseKernel(exact.data(), cells, copy);
        break;
      case KernelRounding::kNearest:
        std::fill(exact.begin(), exact.end(), 0.0);
        SplatCopy<true>(terms, light, copy, exact.data());
        RoundKernel(exact.data(), cells, copy);
        break;
    }
  }
}

// Narrows each row's span to the columns where intensity 255 (the widest
// copy: light grows with intensity) is non-zero in every plane.
void SetApertureSpans(KernelSet* set) {
  for (int y = 0; y < set->height; ++y) {
    set->span_first[y] = 0;
    set->span_last[y] = set->width - 1;
  }
  for (int q = 0; q < set->planes; ++q) {
    const uint32_t* copy = set->Copy(255, q);
    for (int y = 0; y < set->height; ++y) {
      const uint32_t* row = copy + static_cast<size_t>(y) * set->width;
      for (int j = 0; j < set->width; ++j) {
        if (row[j] != 0) {
          if (j > set->span_first[y]) set->span_first[y] = j;
          break;
        }
      }
      for (int k = set->width - 1; k >= 1; --k) {
        if (row[k] != 0) {
          if (k < set->span_last[y]) set->span_last[y] = k;
          break;
        }
      }
    }
  }
}

}  // namespace

bool BuildLevelKernels(const PatternCopy& pattern, const KernelTone& tone,
                       const LevelGeometry& geometry, int level, BufferAllocator& allocator,
                       KernelSet* out, const uint8_t* needed) {
  KernelSet set;
  set.width = geometry.width;
  set.height = geometry.height;
  set.planes = pattern.planes;
  set.copies = tone.separate_weight() ? 257 : 256;
  set.values = allocator.Zeroed<uint32_t>(static_cast<uint64_t>(set.copies) * set.planes *
                                          static_cast<uint64_t>(set.height) *
                                          static_cast<uint64_t>(set.width));
  if (!set.values) return false;
  set.span_first = allocator.Zeroed<int32_t>(static_cast<uint64_t>(set.height));
  if (!set.span_first) return false;
  set.span_last = allocator.Zeroed<int32_t>(static_cast<uint64_t>(set.height));
  if (!set.span_last) return false;

  for (int q = 0; q < set.planes; ++q) {
    if (tone.plane_sum[q] > 0.0) FillPlane(pattern, tone, q, needed, &set);
  }
  if (IsSmallLevel(level)) {
    if (!SoftenSmallLevel(geometry.diameter, tone.rounding, allocator, &set, needed)) {
      return false;
    }
  } else {
    SetApertureSpans(&set);
  }
  *out = std::move(set);
  return true;
}

void ClearOutsideSpans(KernelSet* set) {
  const size_t width = static_cast<size_t>(set->width);
  for (int p = 0; p < set->copies; ++p) {
    for (int q = 0; q < set->planes; ++q) {
      uint32_t* copy = set->MutableCopy(p, q);
      for (int r = 0; r < set->height; ++r) {
        uint32_t* row = copy + r * width;
        const int first = std::clamp(static_cast<int>(set->span_first[r]), 0, set->width);
        const int end = std::clamp(static_cast<int>(set->span_last[r]) + 1, first, set->width);
        std::fill(row, row + first, 0u);
        std::fill(row + end, row + width, 0u);
      }
    }
  }
}

}  // namespace ulvo
