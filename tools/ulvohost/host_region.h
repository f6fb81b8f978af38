// The host's buffers for the rectangles a module asks for: samples of the
// document copied out with the host's own row distance, with the requested
// padding outside the image, and the module's output copied back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/host/filter_record.h"
#include "src/imageio/image_file.h"

namespace ulvo::host {

inline constexpr int16_t kPaddingReplicate = -1;
inline constexpr int16_t kPaddingNone = -2;
inline constexpr int16_t kPaddingError = -3;

struct RegionRequest {
  pi::Rect rect{};
  int16_t loPlane = 0;
  int16_t hiPlane = 0;
  int16_t padding = 0;  // 0..255 fill byte, or one of the kPadding values
  pi::Fixed rate = pi::kFixedOne;
  int rowAlign = 4;
};

struct HostRegion {
  std::vector<uint8_t> bytes;
  int32_t rowBytes = 0;
  int width = 0;        // pixels per buffer row
  int height = 0;       // buffer rows
  int planes = 0;       // interleaved samples per pixel
  int sampleBytes = 1;  // bytes per sample: 1, or 2 for 16-bit documents

  bool empty() const { return bytes.empty(); }
  uint8_t* data() { return bytes.empty() ? nullptr : bytes.data(); }
};

bool RectIsEmpty(const pi::Rect& rect);

// Copies the requested samples of `image` into `region`. An empty rectangle
// gives an empty region. Returns false with a message when the request cannot
// be served (planes out of range, a bad padding value, an out-of-bounds request
// with kPaddingError, a buffer too large).
bool ExtractRegion(const Image& image, const RegionRequest& request, HostRegion& region,
                   std::string& error);

// Copies the pixels of `region` that lie inside the image back into `image`,
// planes loPlane.. of the request (one sample per pixel: no sub-sampling).
void StoreRegion(const HostRegion& region, const RegionRequest& request, Image& image);

// Bounding box of the non-zero mask pixels; false when the mask is all zero.
bool MaskBounds(const Image& mask, pi::VRect& bounds);

// Bytes per host buffer row: width × pixel bytes rounded up to a multiple of
// align.
int64_t HostRowBytes(int width, int pixelBytes, int align);

}  // namespace ulvo::host
