// What every scatter does first for a source pixel: find out whether it
// adds light at all (its level's kernels exist and the skip rule lets it
// scatter), then read its three channels against the level's kernel set
// (8-bit or 16-bit samples).
// The focus level's one-pixel kernel puts all of a pixel's light back on
// the pixel itself, which the scatters add as one cell.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/engine/band_output.h"
#include "src/engine/kernel_set.h"
#include "src/engine/level_kernels.h"
#include "src/engine/render_context.h"
#include "src/engine/scatter.h"

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

// One source pixel's light in a 16-bit render. Sample v = 257 i + a (a in
// 0..256) of a channel adds its level's intensity copy i times 257 − a and
// copy i + 1 times a, each shifted by its own storage shift into its own
// colour plane (copy i + 1 may sum in the coarse sums and copy i in the
// fine ones): the sums hold 257 times the light, which is the copies' light
// drawn straight between whole intensities, and a sample 257 i adds exactly
// 257 times copy i. With a = 0 both terms are copy i, the second with share
// 0 (copy i + 1 may not exist). The weight is that of an 8-bit pixel.
// ReadPixelLight16 fills every member; they have no initialisers because
// clearing the struct first cost more per pixel than reading it.
struct PixelLight16 {
  int copy[3][2];                // i and i + 1 (i when a = 0)
  uint32_t share[3][2];          // 257 − a and a
  const uint32_t* colour[3][2];  // the copies in the level's kernel set
  int shift[3][2];               // their storage shifts
  int plane[3][2];               // the band planes they add into
  const uint32_t* weight[3];
  bool one_pixel;
};

inline PixelLight16 ReadPixelLight16(const RenderContext& context, const KernelSet& set, int level,
                                     int x, int y) {
  const RenderInputs& in = context.inputs;
  const KernelTone& tone = context.tone;
  const int planes = context.pattern.planes;
  const uint8_t* pixel = in.SourcePixel(x, y);
  PixelLight16 light;
  for (int k = 0; k < 3; ++k) {
    const int plane = PatternPlane(k, planes);
    const int v = in.SourceSample16(pixel, k);
    const int i = v / 257;
    const int a = v - 257 * i;
    light.copy[k][0] = i;
    light.copy[k][1] = a > 0 ? i + 1 : i;
    light.share[k][0] = static_cast<uint32_t>(257 - a);
    light.share[k][1] = static_cast<uint32_t>(a);
    for (int t = 0; t < 2; ++t) {
      const int copy = light.copy[k][t];
      light.colour[k][t] = set.Copy(copy, plane);
      light.shift[k][t] = tone.copy_shift[copy];
      light.plane[k][t] = ColourPlane(k, tone.fine[copy]);
    }
    light.weight[k] = set.Weight(plane);
  }
  light.one_pixel = level == 0 && set.width == 1 && set.height == 1;
  return light;
}

// AddOnePixel for a 16-bit pixel.
inline void AddOnePixel(const PixelLight16& light, uint64_t* const planes[], size_t at,
                        bool weight) {
  for (int k = 0; k < 3; ++k) {
    for (int t = 0; t < 2; ++t) {
      planes[light.plane[k][t]][at] +=
          ShareLight(light.colour[k][t][0], light.share[k][t], light.shift[k][t]);
    }
  }
  if (weight) {
    planes[kWeightPlane][at] +=
        static_cast<uint64_t>(light.weight[0][0]) + light.weight[1][0] + light.weight[2][0];
  }
}

// The scatters are written once for both sample sizes, over the pixel's
// light type: ReadLight<PixelLight> reads an 8-bit pixel, ReadLight<
// PixelLight16> a 16-bit one.
template <class Light>
Light ReadLight(const RenderContext& context, const KernelSet& set, int level, int x, int y);

template <>
inline PixelLight ReadLight<PixelLight>(const RenderContext& context, const KernelSet& set,
                                        int level, int x, int y) {
  return ReadPixelLight(context, set, level, x, y);
}

template <>
inline PixelLight16 ReadLight<PixelLight16>(const RenderContext& context, const KernelSet& set,
                                            int level, int x, int y) {
  return ReadPixelLight16(context, set, level, x, y);
}

}  // namespace ulvo
