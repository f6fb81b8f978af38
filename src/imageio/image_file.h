// Image files for the tools: PNG, JPEG and TIFF, 8 bits per sample.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

// Interleaved 8-bit samples, rows top-down without padding.
// channels: 1 grey, 2 grey + one extra, 3 RGB, 4 or more RGB + extras.
// The first extra channel of a colour image is its depth plane.
struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> pixels;  // width * height * channels bytes

  uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * width * channels; }
  const uint8_t* row(int y) const {
    return pixels.data() + static_cast<size_t>(y) * width * channels;
  }
};

// Reads a PNG, JPEG or TIFF file, recognised by its content. On failure returns
// false with a message for the user in `error` and leaves `out` unchanged.
bool ReadImageFile(const std::string& path, Image& out, std::string& error);

// Writes the image; the format follows the extension (.png, .jpg/.jpeg,
// .tif/.tiff). The file is written under a temporary name and renamed, so a
// failed write never leaves a partial file behind.
bool WriteImageFile(const std::string& path, const Image& image, std::string& error);

}  // namespace ulvo
