// The accumulator band and its output: finished rows are normalised by the
// aperture coverage they received, mapped back to 8 bits through the inverse
// tone curve, written to the output image, and the band moves up.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/buffer_allocator.h"

namespace ulvo {

// Four planes of band_rows × width sums: colour channels 0..2 and the weight.
// Sums are 64-bit so that they never wrap.
struct Band {
  std::unique_ptr<uint64_t[]> planes[4];
  int rows = 0;
  int width = 0;

  uint64_t* plane(int p) { return planes[p].get(); }
  void Free() {
    for (auto& p : planes) p.reset();
  }
};

// Band depth for a region of height rows and kernels at most kernel_rows
// high: the whole region up to 512 rows, else max(2 × kernel_rows, 256).
int BandRows(int height, int kernel_rows);

// Allocates the four planes zeroed, in order. On failure the planes already
// allocated stay for the caller to free, and false is returned.
bool AllocateBand(int rows, int width, BufferAllocator& allocator, Band* band);

// Where and how output pixels are written, borrowed.
struct OutputTarget {
  uint8_t* base = nullptr;
  int order_flag = 0;  // 0: bytes 0, 1, 2 take channels 2, 1, 0
  int pixel_stride = 3;
  int row_stride = 0;
};

// Writes one pixel's three channel values in the target's byte order.
void WriteOutputPixel(const OutputTarget& target, uint8_t* pixel, const uint8_t channels[3]);

struct FlushSettings {
  double hardness = 1.0;
  int colour_shift = 0;          // colour sums hold light / 2^colour_shift (the band scale)
  int64_t reference_weight = 0;  // 0 disables the normalisation
  int image_width = 0;
  int image_height = 0;
};

class ToneTable;

// Normalises and tone-maps one band row, given by the starts of its four
// planes' rows (colour 0..2, weight), and writes it as output row image_row.
// The sums are left as they are. A tone table, when given, must be the table of
// settings.hardness; it gives the same bytes faster.
void WriteBandRow(const uint64_t* const sums[4], const OutputTarget& target,
                  const FlushSettings& settings, int image_row, const ToneTable* table = nullptr);

// Normalises, tone-maps and writes band rows 0..n−1 to output rows first..,
// moves the remaining rows up and clears the freed ones. n is limited to the
// band and the image; returns false (band untouched) when nothing could be
// written.
bool FlushRows(Band& band, const OutputTarget& target, const FlushSettings& settings, int first,
               int n);

}  // namespace ulvo
