#include "src/engine/band_output.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "src/engine/exact_convert.h"
#include "src/engine/tone_curve.h"
#include "src/engine/tone_inverse16.h"
#include "src/engine/tone_table.h"

namespace ulvo {
namespace {

// Scales a partly covered sum up to full coverage. A position with at least
// about a full aperture's weight, or with 1 % or less (nothing sensible to
// scale), keeps its sum.
// Scale that brings a partly covered position up to full coverage, or 0
// when its sums stay as they are: positions with at least about a full
// aperture's weight, or with 1 % or less (nothing sensible to scale).
double CoverageScale(uint64_t weight, uint64_t threshold, int64_t reference) {
  if (reference <= 0 || weight >= threshold) return 0.0;
  const double ratio = static_cast<double>(weight) / static_cast<double>(reference);
  if (!(ratio > 0.01f)) return 0.0;
  return 1.0 / ratio;
}

// The sum as a double. Sums below 2^63 (all but absurd ones) convert as
// signed integers, one instruction instead of the unsigned sequence; the
// value is the same.
inline double ToDouble(uint64_t value) {
  return value < (UINT64_C(1) << 63) ? static_cast<double>(static_cast<int64_t>(value))
                                     : static_cast<double>(value);
}

uint64_t Normalise(uint64_t value, double scale) {
  if (scale == 0.0) return value;
  const double scaled = scale * ToDouble(value);
  return scaled < 1.8e19 ? static_cast<uint64_t>(scaled) : UINT64_C(18000000000000000000);
}

}  // namespace

BandRow BandRowAt(Band& band, int row) {
  const size_t at = static_cast<size_t>(row) * band.width;
  BandRow sums;
  for (int c = 0; c < 3; ++c) {
    sums.colour[c] = band.plane(c) + at;
    if (band.count > kFinePlane) sums.fine[c] = band.plane(kFinePlane + c) + at;
  }
  sums.weight = band.plane(kWeightPlane) + at;
  return sums;
}

int BandRows(int height, int kernel_rows) {
  if (height <= 512) return height;
  return std::max(2 * kernel_rows, 256);
}

bool AllocateBand(int rows, int width, bool fine, BufferAllocator& allocator, Band* band) {
  band->rows = rows;
  band->width = width;
  band->count = fine ? kMaxBandPlanes : 4;
  const uint64_t count = static_cast<uint64_t>(rows) * static_cast<uint64_t>(width);
  for (int p = 0; p < band->count; ++p) {
    band->planes[p] = allocator.Zeroed<uint64_t>(count);
    if (!band->planes[p]) return false;
  }
  return true;
}

void WriteOutputPixel(const OutputTarget& target, uint8_t* pixel, const uint8_t channels[3]) {
  if (target.order_flag == 0) {
    pixel[0] = channels[2];
    pixel[1] = channels[1];
    pixel[2] = channels[0];
  } else {
    uint8_t* last3 = pixel + target.pixel_stride - 3;
    last3[0] = channels[0];
    last3[1] = channels[1];
    last3[2] = channels[2];
  }
}

void WriteOutputPixel16(const OutputTarget& target, uint8_t* pixel, const uint16_t channels[3]) {
  if (target.order_flag == 0) {
    const uint16_t reversed[3] = {channels[2], channels[1], channels[0]};
    std::memcpy(pixel, reversed, sizeof reversed);
  } else {
    std::memcpy(pixel + target.pixel_stride - 6, channels, 3 * sizeof(uint16_t));
  }
}

namespace {

// WriteBandRow for 16-bit samples.
void WriteBandRow16(const BandRow& row, const OutputTarget& target, const FlushSettings& settings,
                    int image_row, const ToneTable* table, const ToneInverse16& inverse) {
  const int width = settings.image_width;
  const int64_t reference = settings.reference_weight;
  const uint64_t threshold =
      reference > 0 ? static_cast<uint64_t>(static_cast<double>(reference) * 1.05) : 0;
  // The sums hold 257 times the light.
  const double light_scale = std::ldexp(1.0, settings.colour_shift) / 257.0;
  const double fine_scale = std::ldexp(1.0, settings.fine_shift) / 257.0;
  const bool fine = row.fine[0] != nullptr;
  const uint64_t* weight = row.weight;
  const double hardness = settings.hardness;
  uint8_t* out = target.base + static_cast<ptrdiff_t>(image_row) * target.row_stride;
  int last[3] = {0, 0, 0};
  uint64_t last_weight = 0;
  double scale = CoverageScale(last_weight, threshold, reference);
  for (int x = 0; x < width; ++x, out += target.pixel_stride) {
    if (weight[x] != last_weight) {
      last_weight = weight[x];
      scale = CoverageScale(last_weight, threshold, reference);
    }
    uint16_t samples[3];
    for (int c = 0; c < 3; ++c) {
      double light = ExactDouble(row.colour[c][x]) * light_scale;
      if (fine) light += ExactDouble(row.fine[c][x]) * fine_scale;
      if (scale != 0.0) light *= scale;
      const int step =
          table != nullptr ? table->Near(light, last[c]) : InverseTone(light, hardness);
      samples[c] = static_cast<uint16_t>(inverse.Sample(light, step));
    }
    WriteOutputPixel16(target, out, samples);
  }
}

}  // namespace

void WriteBandRow(const BandRow& row, const OutputTarget& target, const FlushSettings& settings,
                  int image_row, const ToneTable* table, const ToneInverse16* inverse16) {
  if (target.sample_bytes == 2) {
    if (inverse16 != nullptr) {
      WriteBandRow16(row, target, settings, image_row, table, *inverse16);
    } else {
      WriteBandRow16(row, target, settings, image_row, table, ToneInverse16(settings.hardness));
    }
    return;
  }
  const int width = settings.image_width;
  const int64_t reference = settings.reference_weight;
  const uint64_t threshold =
      reference > 0 ? static_cast<uint64_t>(static_cast<double>(reference) * 1.05) : 0;
  const double light_scale = std::ldexp(1.0, settings.colour_shift);
  const double fine_scale = std::ldexp(1.0, settings.fine_shift);
  const bool fine = row.fine[0] != nullptr;
  const uint64_t* weight = row.weight;
  const uint64_t* const colour[3] = {row.colour[0], row.colour[1], row.colour[2]};
  const uint64_t* const fine_sums[3] = {row.fine[0], row.fine[1], row.fine[2]};
  const double hardness = settings.hardness;
  uint8_t* out = target.base + static_cast<ptrdiff_t>(image_row) * target.row_stride;
  int last[3] = {0, 0, 0};
  uint64_t last_weight = 0;
  double scale = CoverageScale(last_weight, threshold, reference);
  for (int x = 0; x < width; ++x, out += target.pixel_stride) {
    // The scale depends on the weight only: worked out once for all channels,
    // and again only when the weight changes.
    if (weight[x] != last_weight) {
      last_weight = weight[x];
      scale = CoverageScale(last_weight, threshold, reference);
    }
    const auto channel = [&](int c) __attribute__((always_inline)) {
      double light = ToDouble(Normalise(colour[c][x], scale)) * light_scale;
      if (fine) light += ToDouble(Normalise(fine_sums[c][x], scale)) * fine_scale;
      return static_cast<uint8_t>(table != nullptr ? table->Near(light, last[c])
                                                   : InverseTone(light, hardness));
    };
    // Each byte is stored as soon as it is known: gathering them in an array
    // first made the processor wait to read them back.
    if (target.order_flag == 0) {
      out[2] = channel(0);
      out[1] = channel(1);
      out[0] = channel(2);
    } else {
      uint8_t* last3 = out + target.pixel_stride - 3;
      last3[0] = channel(0);
      last3[1] = channel(1);
      last3[2] = channel(2);
    }
  }
}

bool FlushRows(Band& band, const OutputTarget& target, const FlushSettings& settings, int first,
               int n, const ToneInverse16* inverse16) {
  for (int p = 0; p < band.count; ++p) {
    if (!band.planes[p]) return false;
  }
  if (target.base == nullptr || target.pixel_stride < 3 * target.sample_bytes || n <= 0) {
    return false;
  }
  // Never past the band or the last image row.
  n = std::min({n, settings.image_height - first, band.rows});
  if (n <= 0 || first < 0) return false;

  FlushSettings row_settings = settings;
  row_settings.image_width = band.width;
  for (int i = 0; i < n; ++i) {
    WriteBandRow(BandRowAt(band, i), target, row_settings, first + i, nullptr, inverse16);
  }

  const int width = band.width;
  const size_t moved = static_cast<size_t>(band.rows - n) * width;
  const size_t freed = static_cast<size_t>(n) * width;
  for (int p = 0; p < band.count; ++p) {
    uint64_t* plane = band.plane(p);
    std::memmove(plane, plane + freed, moved * sizeof(uint64_t));
    std::memset(plane + moved, 0, freed * sizeof(uint64_t));
  }
  return true;
}

}  // namespace ulvo
