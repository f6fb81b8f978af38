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

}  // namespace ulvo
