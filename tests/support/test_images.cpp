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

Image MakeImage16(int width, int height, int channels, int seed) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = channels;
  image.bits = 16;
  image.pixels.resize(image.sampleCount() * 2);
  size_t i = 0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      for (int c = 0; c < channels; ++c) {
        image.setSample(i++, static_cast<uint16_t>(x * 1031 + y * 4099 + c * 16411 + seed));
      }
    }
  }
  return image;
}

Image Widened(const Image& image) {
  Image wide = image;
  wide.bits = 16;
  wide.pixels.resize(image.sampleCount() * 2);
  for (size_t i = 0; i < image.sampleCount(); ++i) {
    wide.setSample(i, static_cast<uint16_t>(image.pixels[i] * 257));
  }
  return wide;
}

}  // namespace ulvo
