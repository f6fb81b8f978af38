// The accumulator band and its output: finished rows are normalised by the
// aperture coverage they received, mapped back to 8 bits through the inverse
// tone curve, written to the output image, and the band moves up.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/buffer_allocator.h"

namespace ulvo {

// Band planes: colour channels 0..2 and the weight, then, where the render
// needs them, the fine colour sums of channels 0..2 (see KernelTone).
inline constexpr int kWeightPlane = 3;
inline constexpr int kFinePlane = 4;  // fine sums of channel c: plane kFinePlane + c
inline constexpr int kMaxBandPlanes = 7;

// Plane that channel c of an intensity adds its colour into.
inline int ColourPlane(int channel, bool fine) {
  return fine ? kFinePlane + channel : channel;
}

// band_rows × width sums per plane, 64-bit so that they never wrap.
struct Band {
  std::unique_ptr<uint64_t[]> planes[kMaxBandPlanes];
  int count = 4;  // planes in use: 4, or 7 with fine sums
  int rows = 0;
  int width = 0;

  uint64_t* plane(int p) { return planes[p].get(); }
  void Free() {
    for (auto& p : planes) p.reset();
  }
};

// Starts of one band row in every plane in use; fine is null without fine
// sums.
struct BandRow {
  const uint64_t* colour[3] = {};
  const uint64_t* weight = nullptr;
  const uint64_t* fine[3] = {};
};

// The sums of band row `row`.
BandRow BandRowAt(Band& band, int row);

// Band depth for a region of height rows and kernels at most kernel_rows
// high: the whole region up to 512 rows, else max(2 × kernel_rows, 256).
int BandRows(int height, int kernel_rows);

// Allocates the planes zeroed, in order: four, or seven with fine sums. On
// failure the planes already allocated stay for the caller to free, and false
// is returned.
bool AllocateBand(int rows, int width, bool fine, BufferAllocator& allocator, Band* band);

// Where and how output pixels are written, borrowed.
struct OutputTarget {
  uint8_t* base = nullptr;
  int order_flag = 0;    // 0: samples 0, 1, 2 take channels 2, 1, 0; else the last three 0, 1, 2
  int pixel_stride = 3;  // bytes
  int row_stride = 0;    // bytes
  int sample_bytes = 1;  // 1, or 2: native-endian 16-bit samples
};

// Writes one pixel's three channel values in the target's byte order.
void WriteOutputPixel(const OutputTarget& target, uint8_t* pixel, const uint8_t channels[3]);
// The same for a target of 16-bit samples.
void WriteOutputPixel16(const OutputTarget& target, uint8_t* pixel, const uint16_t channels[3]);

struct FlushSettings {
  double hardness = 1.0;
  int colour_shift = 0;          // colour sums hold light / 2^colour_shift (the band scale)
  int fine_shift = 0;            // fine sums, where present, hold light / 2^fine_shift
  int64_t reference_weight = 0;  // 0 disables the normalisation
  int image_width = 0;
  int image_height = 0;
};

class ToneTable;
class ToneInverse16;

// Normalises and tone-maps one band row and writes it as output row
// image_row. The sums are left as they are. A tone table, when given, must be
// the table of settings.hardness; it gives the same bytes faster.
//
// A target of 16-bit samples takes sums that hold 257 times the light (see
// PixelLight16): the light is normalised in double precision, without the
// 8-bit path's rounding to whole units, and mapped back through `inverse16`
// (the render's, for settings.hardness; made here when null).
void WriteBandRow(const BandRow& row, const OutputTarget& target, const FlushSettings& settings,
                  int image_row, const ToneTable* table = nullptr,
                  const ToneInverse16* inverse16 = nullptr);

// Normalises, tone-maps and writes band rows 0..n−1 to output rows first..,
// moves the remaining rows up and clears the freed ones. n is limited to the
// band and the image; returns false (band untouched) when nothing could be
// written.
bool FlushRows(Band& band, const OutputTarget& target, const FlushSettings& settings, int first,
               int n, const ToneInverse16* inverse16 = nullptr);

}  // namespace ulvo
