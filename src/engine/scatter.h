// The depth-aware scatter: lays one source pixel's kernel, for one channel,
// over the accumulator band, clipped to the image and to the aperture's row
// spans, and adds the matching weight kernel into the weight plane. Light
// falling on clearly nearer pixels is dimmed so that the blur of a distant
// area does not spill over a nearer object.
#pragma once

#include <cstddef>
#include <cstdint>

#include "src/engine/engine_options.h"
#include "src/engine/exact_convert.h"

namespace ulvo {

struct ScatterLevel {
  int width = 1;
  int height = 1;
  float diameter = 0.0f;
  const int32_t* span_first = nullptr;
  const int32_t* span_last = nullptr;
};

// Optional depth map, borrowed; depth of (x, y) at x × pixel_stride + y × row_stride.
struct DepthView {
  const uint8_t* data = nullptr;
  ptrdiff_t pixel_stride = 0;
  ptrdiff_t row_stride = 0;

  bool present() const { return data != nullptr; }
  const uint8_t* at(int x, int y) const { return data + x * pixel_stride + y * row_stride; }
};

// One colour plane and the weight plane of the band. Band row r holds image
// row out_y + r; each row holds image_width sums.
struct BandTarget {
  uint64_t* colour = nullptr;
  uint64_t* weight = nullptr;
  int image_width = 0;
  int image_height = 0;
  int band_rows = 0;
  int out_y = 0;
};

// colour_shift: the colour kernel's values are added shifted left by this
// many bits (the storage scale of its intensity copy).
void ScatterPixel(const ScatterLevel& level, const uint32_t* colour_kernel,
                  const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                  int x, int y, int colour_shift = 0);

// True when band row `band_row` lies inside the band. A row outside would
// break the driver's band schedule: it is reported and its light dropped
// rather than written outside the band.
bool InsideBand(const BandTarget& band, int band_row);

// Inner loops of the scatter, one kernel row at a time. They only add; all
// clipping is done by the caller.

// No occlusion: colour[i] += kernel[i] << shift, weight[i] += weight_kernel[i].
void AddKernelRow(const uint32_t* kernel, const uint32_t* weight_kernel, uint64_t* colour,
                  uint64_t* weight, int count, int shift = 0);

// Occlusion for one kernel row: target depths start at depth and advance by
// depth_stride; the first target lies dx0 columns left of the source (dx
// falls by one per column) and dy rows above it.
struct OcclusionRow {
  const uint8_t* depth = nullptr;
  ptrdiff_t depth_stride = 0;
  float source_depth = 0.0f;
  float diameter = 0.0f;
  int dx0 = 0;
  int dy = 0;
};

void AddKernelRowOccluded(const uint32_t* kernel, const uint32_t* weight_kernel, uint64_t* colour,
                          uint64_t* weight, int count, const OcclusionRow& occlusion,
                          int shift = 0);

// A copy's kernel value of a 16-bit pixel weighted by its share, in band
// units.
inline uint64_t ShareLight(uint32_t value, uint32_t share, int shift) {
  return (static_cast<uint64_t>(value) * share) << shift;
}

// The colour of one channel of a 16-bit pixel (see PixelLight16): two
// intensity copies, each added times its share and shifted left by its
// storage shift, each into its own colour sums. For ScatterPixel16 the
// kernels are whole copies and the sums whole band planes; for the row
// functions both start at the row's first cell.
struct ColourPair {
  const uint32_t* kernel[2] = {};
  uint32_t share[2] = {0, 0};
  int shift[2] = {0, 0};
  uint64_t* sums[2] = {};
};

// ScatterPixel for a 16-bit pixel: band.colour is not used, the pair's
// sums take the colour.
void ScatterPixel16(const ScatterLevel& level, const ColourPair& colour,
                    const uint32_t* weight_kernel, const BandTarget& band, const DepthView& depth,
                    int x, int y);

// AddKernelRow and AddKernelRowOccluded for a pair of copies.
void AddKernelRowPair(const ColourPair& colour, const uint32_t* weight_kernel, uint64_t* weight,
                      int count);
void AddKernelRowPairOccluded(const ColourPair& colour, const uint32_t* weight_kernel,
                              uint64_t* weight, int count, const OcclusionRow& occlusion);

// Light of a colour kernel value that falls on a target dimmed by factor f
// (0..1): the value, shifted to band units, scaled and truncated. Both
// scatter paths dim through this.
// Equal to (uint64) ((double) (value << shift) * f): value << shift holds
// at most 32 significant bits, so value × 2^shift is that double exactly.
inline uint64_t DimmedLight(uint32_t value, int shift, float f) {
  return TruncatedUnsigned(ExactDouble(value) * kPowersOfTwo[shift] * static_cast<double>(f));
}

// The same for a copy of a 16-bit pixel weighted by its share: value × share
// holds at most 41 significant bits, so it too is exact as a double.
inline uint64_t DimmedShareLight(uint32_t value, uint32_t share, int shift, float f) {
  return TruncatedUnsigned(ExactDouble(value) * ExactDouble(share) * kPowersOfTwo[shift] *
                           static_cast<double>(f));
}

}  // namespace ulvo
