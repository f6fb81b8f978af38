// Pictures in the filter's display order, made from and turned back into
// ordinary top-down interleaved pixels (red, green, blue first; grey counts
// as all three), for callers that do not get them from a host. Samples are
// 8-bit, or native-endian 16-bit for a render with
// RenderValues::sample_bits = 16.
#pragma once

#include <cstdint>
#include <vector>

#include "src/render/job_render.h"

namespace ulvo {

// Top-down pixels: `channels` samples a pixel (1 grey, 2 grey + extra, 3
// RGB, 4 RGB + extra) of `sampleBytes` bytes (1, or 2), rows `stride` bytes
// apart.
struct TopDownPixels {
  const uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  int channels = 3;
  int stride = 0;
  int sampleBytes = 1;
};

// The source of a render and the display bitmap it renders into, as the
// filter holds them while its editor runs: pixels of 4 planes (the extra
// channel as depth, then blue, green, red) or 3 (blue, green, red), rows
// bottom-up padded to 4 bytes; the display a copy of the colours. Like the
// filter, which asks its host for rows a multiple of 4 pixels wide filled
// with zeros beyond the image, the picture is `width` rounded up to a
// multiple of 4 pixels wide, the extra columns black at depth 0. Every
// sample is `sampleBytes` bytes wide (with 2, every row starts 8-byte
// aligned).
struct DisplayOrderPicture {
  int width = 0;  // of the image; the picture is PaddedPictureWidth(width) wide
  int height = 0;
  int planes = 3;
  int sampleBytes = 1;
  int rowBytes = 0;
  std::vector<uint8_t> pixels;
  int displayStride = 0;
  std::vector<uint8_t> display;

  RenderSource source() const;
  RenderTarget target() { return RenderTarget{display.data(), displayStride}; }
};

// A width rounded up to a multiple of 4 pixels.
inline int PaddedPictureWidth(int width) {
  return (width + 3) & ~3;
}

// False when the memory for it is missing (`out` is then left as it was).
// `withDepth`: the picture's extra channel becomes the depth plane.
bool ToDisplayOrder(const TopDownPixels& in, bool withDepth, DisplayOrderPicture& out);

// Every depth sample d of the image's own columns becomes its largest value
// minus d (255 or 65535); the padding stays at depth 0. Nothing without a
// depth plane.
void InvertDepth(DisplayOrderPicture& picture);

// Writes the display's colours back over the colour channels of top-down
// pixels of the same size and sample size (grey pixels take red); extra
// channels stay.
void DisplayToTopDown(const DisplayOrderPicture& picture, uint8_t* pixels, int channels,
                      int stride);

}  // namespace ulvo
