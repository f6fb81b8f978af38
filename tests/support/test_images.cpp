#include "tests/support/test_images.h"

#include <cstddef>

namespace ulvo {

Image FilledImage(int width, int height, int channels, const SampleFunction& sample) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.pixels.resize(static_cast<size_t>(width) * height * channels);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.row(y);
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) row[x * channels + c] = sample(x, y, c);
    }
  }
  return image;
}

Image MakeImage(int width, int height, int channels, int seed) {
  return FilledImage(width, height, channels, [seed](int x, int y, int c) {
    return static_cast<uint8_t>(x * 7 + y * 13 + c * 71 + seed);
  });
}

Image NumberedImage(int width, int height, int channels) {
  return FilledImage(width, height, channels,
                     [](int x, int y, int c) { return static_cast<uint8_t>(c * 64 + y * 8 + x); });
}

}  // namespace ulvo
