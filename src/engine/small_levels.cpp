#include <algorithm>
#include <cmath>
#include <vector>

#include "src/engine/kernel_set.h"
#include "src/engine/portable_math.h"

namespace ulvo {

int SmallLevelSize(double diameter) {
  int size = 3 * static_cast<int>(diameter + 2.0);
  if (size % 2 == 0) ++size;
  return size;
}

bool SoftenSmallLevel(double diameter, const KernelRounding* rounding, BufferAllocator& allocator,
                      KernelSet* set, const uint8_t* needed) {
  const int size = SmallLevelSize(diameter);
  const int old_width = set->width;
  const int old_height = set->height;

  KernelSet soft;
  soft.width = size;
  soft.height = size;
  soft.planes = set->planes;
  soft.copies = set->copies;
  soft.values = allocator.Zeroed<uint32_t>(static_cast<uint64_t>(soft.copies) * soft.planes *
                                           static_cast<uint64_t>(size) * size);
  if (!soft.values) return false;

  const double offset_x = (size - old_width) * 0.5;
  const double offset_y = (size - old_height) * 0.5;
  const double h = diameter * 0.3333333333333333 + 0.1;
  const double o = h * h + h * h;
  const double t = 0.3183098861837907 / o;

  // The Gaussian factor depends only on the offset between old and new cell.
  const int span_x = size + old_width - 1;
  const int span_y = size + old_height - 1;
  std::vector<double> factor(static_cast<size_t>(span_x) * span_y);
  for (int ry = 0; ry < span_y; ++ry) {
    for (int rx = 0; rx < span_x; ++rx) {
      const double dx = (rx - (old_width - 1)) - offset_x;
      const double dy = (ry - (old_height - 1)) - offset_y;
      factor[static_cast<size_t>(ry) * span_x + rx] = t * math::Exp(-(dx * dx + dy * dy) / o);
    }
  }

  // The spread of one copy is summed in doubles: with a narrow Gaussian the
  // centre factor exceeds 1, so a bright copy's cells may pass 32 bits until
  // the total is restored below.
  const size_t cells = static_cast<size_t>(size) * size;
  std::vector<double> spread_cells(cells);
  for (int p = 0; p < soft.copies; ++p) {
    if (!CopyNeeded(needed, soft.copies, p)) continue;
    const bool round_values = rounding[p] != KernelRounding::kTruncate;
    for (int q = 0; q < soft.planes; ++q) {
      const uint32_t* old_copy = set->Copy(p, q);
      std::fill(spread_cells.begin(), spread_cells.end(), 0.0);
      double spread = 0.0;  // sum of what was spread
      double total = 0.0;   // sum of the old copy
      for (int cy = 0; cy < old_height; ++cy) {
        for (int cx = 0; cx < old_width; ++cx) {
          const uint32_t w = old_copy[static_cast<size_t>(cy) * old_width + cx];
          if (w == 0) continue;
          total += w;
          for (int ny = 0; ny < size; ++ny) {
            const double* f = &factor[static_cast<size_t>(ny - cy + old_height - 1) * span_x +
                                      (old_width - 1 - cx)];
            double* row = &spread_cells[static_cast<size_t>(ny) * size];
            for (int nx = 0; nx < size; ++nx) {
              // Scaled copies may hold only a few units: their spread stays
              // exact until QuantiseKernel, or it would vanish.
              const double g = round_values ? f[nx] * w : std::trunc(f[nx] * w);
              row[nx] += g;
              spread += g;
            }
          }
        }
      }
      if (spread == 0.0) continue;
      // Restore the old total lost to the truncated tails.
      const double rescale = total / spread;
      uint32_t* copy = soft.MutableCopy(p, q);
      if (round_values) {
        for (double& cell : spread_cells) cell *= rescale;
        if (rounding[p] == KernelRounding::kNearest) {
          RoundKernel(spread_cells.data(), cells, copy);
        } else {
          QuantiseKernel(spread_cells.data(), cells, copy);
        }
      } else {
        for (size_t i = 0; i < cells; ++i) copy[i] = ToKernelValue(spread_cells[i] * rescale);
      }
    }
  }

  // Span arrays: the last one first, as the spans of the old grid go away.
  soft.span_last = allocator.Zeroed<int32_t>(static_cast<uint64_t>(size));
  if (!soft.span_last) return false;
  soft.span_first = allocator.Zeroed<int32_t>(static_cast<uint64_t>(size));
  if (!soft.span_first) return false;
  for (int y = 0; y < size; ++y) {
    soft.span_first[y] = 0;
    soft.span_last[y] = size - 1;
  }
  *set = std::move(soft);
  return true;
}

}  // namespace ulvo
