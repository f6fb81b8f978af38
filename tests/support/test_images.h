// Pictures generated for the tests: every sample a function of its place.
#pragma once

#include <cstdint>
#include <functional>

#include "src/imageio/image_file.h"

namespace ulvo {

// The value of sample `channel` of pixel (x, y).
using SampleFunction = std::function<uint8_t(int x, int y, int channel)>;

Image FilledImage(int width, int height, int channels, const SampleFunction& sample);

// Samples that differ from their neighbours in every direction and channel
// (x × 7 + y × 13 + channel × 71 + seed); `seed` shifts the whole picture.
Image MakeImage(int width, int height, int channels, int seed = 0);

// Every sample tells its place: channel × 64 + y × 8 + x, one value per
// sample up to 8 × 8 pixels of 4 channels.
Image NumberedImage(int width, int height, int channels);

// A 16-bit image whose samples differ from their neighbours in both bytes
// (x × 1031 + y × 4099 + channel × 16411 + seed, modulo 65536).
Image MakeImage16(int width, int height, int channels, int seed = 0);

// The 8-bit image at 16 bits, every sample × 257 (0 stays 0, 255 becomes
// 65535); it rounds back to the same 8-bit image.
Image Widened(const Image& image);

}  // namespace ulvo
