// 16-bit images in the filter's display order, for a render with
// RenderValues::sample_bits = 16: the layout of src/render's
// DisplayOrderPicture with every sample two bytes wide.
#pragma once

#include <cstdint>
#include <vector>

#include "src/imageio/image_file.h"
#include "src/render/job_render.h"

namespace ulvo {

// Rows bottom-up, PaddedPictureWidth(width) pixels wide (the padding black
// at depth 0), `planes` native-endian 16-bit samples a pixel: the extra
// channel as depth, then blue, green, red with 4 planes; blue, green, red
// with 3. The display is a copy of the colours, 3 samples a pixel. Strides
// count bytes.
struct DisplayOrderPicture16 {
  int width = 0;  // of the image
  int height = 0;
  int planes = 3;
  int rowBytes = 0;
  std::vector<uint8_t> pixels;
  int displayStride = 0;
  std::vector<uint8_t> display;

  RenderSource source() const;
  RenderTarget target() { return RenderTarget{display.data(), displayStride}; }
};

// The picture of a 16-bit image (grey counts as all three colours);
// `withDepth`: its extra channel becomes the depth plane. False when the
// memory for it is missing (`out` is then left as it was).
bool ToDisplayOrder16(const Image& image, bool withDepth, DisplayOrderPicture16& out);

// Every depth sample of the image's own columns d becomes 65535 - d; the
// padding stays at 0.
void InvertDepth16(DisplayOrderPicture16& picture);

// Writes the display's colours back over the colour channels of the image
// it was made from (grey takes red); extra channels stay.
void DisplayToTopDown16(const DisplayOrderPicture16& picture, Image& image);

}  // namespace ulvo
