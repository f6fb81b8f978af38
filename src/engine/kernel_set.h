// Level kernel sets: for one depth level, the aperture pattern resampled to
// the level's kernel size and pre-multiplied with the light of every source
// intensity, so that scattering a pixel is a plain addition.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/pattern_trim.h"

namespace ulvo {

// Per-render light tables shared by every level.
//
// Kernel values are 32-bit. When the light of a white pixel (brightness ×
// u(255) × kLightUnit) would not fit, every colour kernel is divided by
// 2^colour_shift, chosen once before any level is built; the band output
// multiplies the sums back before the inverse tone curve, and the band sums
// are 64-bit, so nothing wraps. The price at extreme settings is resolution
// at the dark end: at hardness 3 and above, light of dark intensities is a
// vanishing fraction of white's and rounds to nothing in large kernels, so
// dark regions come out darker than they went in.
//
// The weight kernels only measure how much aperture reached a pixel. They get
// their own shift (from intensity 128's light), so that coverage stays finely
// resolved and the normalisation keeps working even where the colour scale
// is coarse; the reference weight is in the same units, is never 0 for a
// non-empty pattern, and the normalisation never divides by anything else.
// Without any shift both are the same numbers and the weight kernel is simply
// the colour kernel of intensity 128.
struct KernelTone {
  int planes = 1;
  double hardness = 1.0;
  double brightness = 1.0;
  double plane_sum[3] = {0, 0, 0};
  double colour[3][256] = {};    // light of intensity i per pattern unit, scaled
  double weight[3] = {0, 0, 0};  // light of intensity 128 per pattern unit, weight scale
  int colour_shift = 0;
  int weight_shift = 0;
  // Weight-plane total of a pixel that every neighbouring kernel covers
  // fully, in weight units. Never 0 for a non-empty pattern.
  int64_t reference_weight = 0;

  // Scaled kernels are an approximation of the light anyway; they are rounded
  // to nearest so that truncation does not bias them below the weight
  // kernels (which would darken white after the normalisation).
  bool round_values() const { return colour_shift > 0; }
  bool separate_weight() const { return weight_shift != colour_shift; }
};

KernelTone PrepareKernelTone(const PatternCopy& pattern, double hardness, double brightness);

// Converts a non-negative double to a kernel value, truncating toward zero
// (or rounding to nearest); out-of-range values and NaN are held at the ends
// of the 32-bit range.
// Inline: the kernel build calls it for every cell of every intensity copy.
inline uint32_t ToKernelValue(double value, bool round_to_nearest = false) {
  if (round_to_nearest) value += 0.5;
  if (!(value > 0.0)) return 0;
  if (value >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(value);
}

struct KernelSet {
  std::unique_ptr<uint32_t[]> values;
  std::unique_ptr<int32_t[]> span_first;  // per kernel row, first column visited
  std::unique_ptr<int32_t[]> span_last;   // per kernel row, last column visited
  int width = 0;
  int height = 0;
  int planes = 0;
  int copies = 0;  // 256 intensity copies, plus one weight copy when scaled apart

  bool built() const { return values != nullptr; }
  const uint32_t* Copy(int intensity, int plane) const {
    return values.get() +
           (static_cast<size_t>(intensity) * planes + plane) * static_cast<size_t>(height) * width;
  }
  uint32_t* MutableCopy(int intensity, int plane) {
    return const_cast<uint32_t*>(Copy(intensity, plane));
  }
  const uint32_t* Weight(int plane) const { return Copy(copies > 256 ? 256 : 128, plane); }
};

// Builds the kernel set of one level: the area splat of the pattern onto the
// level's grid (one value for a 1 × 1 level), the Gaussian replacement for
// the small levels 1..9 and the row spans. False after an allocation failure,
// with *out untouched.
bool BuildLevelKernels(const PatternCopy& pattern, const KernelTone& tone,
                       const LevelGeometry& geometry, int level, BufferAllocator& allocator,
                       KernelSet* out);

// Width and height of the Gaussian kernel that replaces a small level of
// the given nominal diameter: 3 × trunc(diameter + 2), made odd.
int SmallLevelSize(double diameter);

// Replaces the single-pixel kernel of small level 1..9 by a Gaussian of the
// level's diameter carrying the same total per copy, with whole-row spans.
// False after an allocation failure.
bool SoftenSmallLevel(double diameter, bool round_values, BufferAllocator& allocator,
                      KernelSet* set);

}  // namespace ulvo
