// The 40-byte device-independent bitmap header, laid out as the system's
// drawing functions expect it, without depending on the system headers.
#pragma once

#include <cstdint>

namespace ulvo {

struct BitmapInfoHeader {
  uint32_t size = 40;
  int32_t width = 0;
  int32_t height = 0;  // positive: rows are stored bottom-up
  uint16_t planes = 1;
  uint16_t bitCount = 24;
  uint32_t compression = 0;  // uncompressed RGB
  uint32_t sizeImage = 0;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t clrUsed = 0;
  uint32_t clrImportant = 0;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// Bytes per row of a 24-bit bitmap: three per pixel, padded to a multiple of 4.
inline constexpr int64_t Stride24(int64_t width) {
  return (width * 3 + 3) / 4 * 4;
}

}  // namespace ulvo
