// What every scatter does first for a source pixel: find out whether it
// adds light at all (its level's kernels exist and the skip rule lets it
// scatter), then read its three channels against the level's kernel set.
// The focus level's one-pixel kernel puts all of a pixel's light back on
// the pixel itself, which the scatters add as one cell.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/engine/band_output.h"
#include "src/engine/kernel_set.h"
#include "src/engine/level_kernels.h"
#include "src/engine/render_context.h"

namespace ulvo {

// One source pixel's light, per engine channel.
struct PixelLight {
  int intensity[3] = {};
  const uint32_t* colour[3] = {};  // the intensity copy of the level's kernel
  const uint32_t* weight[3] = {};  // the weight kernel of the channel's pattern plane
  int shift[3] = {};               // the copy's storage shift
  int plane[3] = {};               // the band plane the colour adds into
  bool one_pixel = false;          // the focus level's 1 × 1 kernel
};

// True when pixel (x, y) on `level` adds light: `set` (null when the level
// has none) is built and the skip rule scatters the pixel.
inline bool PixelScatters(const RenderContext& context, const KernelSet* set, int level, int x,
                          int y) {
  if (set == nullptr || !set->built()) return false;
  return context.skip < 2 ||
         ScatteredUnderSkip(x, y, context.skip, context.levels.levels[level].diameter);
}

inline PixelLight ReadPixelLight(const RenderContext& context, const KernelSet& set, int level,
                                 int x, int y) {
  const RenderInputs& in = context.inputs;
  const KernelTone& tone = context.tone;
  const int planes = context.pattern.planes;
  const uint8_t* pixel = in.SourcePixel(x, y);
  PixelLight light;
  for (int k = 0; k < 3; ++k) {
    const int plane = PatternPlane(k, planes);
    const int intensity = in.SourceChannel(pixel, k);
    light.intensity[k] = intensity;
    light.colour[k] = set.Copy(intensity, plane);
    light.weight[k] = set.Weight(plane);
    light.shift[k] = tone.copy_shift[intensity];
    light.plane[k] = ColourPlane(k, tone.fine[intensity]);
  }
  light.one_pixel = level == 0 && set.width == 1 && set.height == 1;
  return light;
}

// Adds a one-pixel kernel's light into cell `at` of the band planes: each
// channel's colour into its plane and, with `weight`, the three channels'
// weights into the weight plane.
inline void AddOnePixel(const PixelLight& light, uint64_t* const planes[], size_t at, bool weight) {
  for (int k = 0; k < 3; ++k) {
    planes[light.plane[k]][at] += static_cast<uint64_t>(light.colour[k][0]) << light.shift[k];
  }
  if (weight) {
    planes[kWeightPlane][at] +=
        static_cast<uint64_t>(light.weight[0][0]) + light.weight[1][0] + light.weight[2][0];
  }
}

}  // namespace ulvo
