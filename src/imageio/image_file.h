// Image files for the tools: PNG, JPEG and TIFF, 8 or 16 bits per sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace ulvo {

// A 16-bit sample rounded to 8 bits: (v × 255 + 32767) / 65535.
inline uint8_t RoundTo8Bits(uint16_t value) {
  return static_cast<uint8_t>((uint32_t{value} * 255u + 32767u) / 65535u);
}

// Interleaved samples, rows top-down without padding.
// channels: 1 grey, 2 grey + one extra, 3 RGB, 4 or more RGB + extras.
// The first extra channel of a colour image is its depth plane.
// With bits == 16 every sample is a native-endian uint16_t (0..65535) taking
// two bytes of `pixels`; the accessors below read and write them without
// caring about the buffer's alignment.
struct Image {
  int width = 0;
  int height = 0;
  int channels = 0;
  std::vector<uint8_t> pixels;  // width * height * channels samples
  int bits = 8;                 // per sample: 8 or 16

  int sampleBytes() const { return bits == 16 ? 2 : 1; }
  size_t sampleCount() const { return static_cast<size_t>(width) * height * channels; }
  size_t rowBytes() const { return static_cast<size_t>(width) * channels * sampleBytes(); }
  uint16_t maxValue() const { return bits == 16 ? 65535 : 255; }

  uint8_t* row(int y) { return pixels.data() + static_cast<size_t>(y) * rowBytes(); }
  const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * rowBytes(); }

  // Sample `index`, counted in samples (not bytes) from the first.
  uint16_t sample(size_t index) const {
    if (bits != 16) return pixels[index];
    uint16_t value;
    std::memcpy(&value, pixels.data() + 2 * index, 2);
    return value;
  }
  void setSample(size_t index, uint16_t value) {
    if (bits != 16) {
      pixels[index] = static_cast<uint8_t>(value);
      return;
    }
    std::memcpy(pixels.data() + 2 * index, &value, 2);
  }
  // The sample at 8 bits: a 16-bit one rounded (RoundTo8Bits).
  uint8_t sample8(size_t index) const {
    return bits == 16 ? RoundTo8Bits(sample(index)) : pixels[index];
  }
};

// The image at 8 bits per sample, 16-bit samples rounded; an 8-bit image is
// returned as it is.
Image ReducedTo8Bits(const Image& image);

// Reads a PNG, JPEG or TIFF file, recognised by its content. PNG and TIFF
// files of 16 bits per sample give 16-bit images, everything else 8-bit ones
// (samples of fewer bits are scaled up to 8, palettes expanded to RGB). On
// failure returns false with a message for the user in `error` and leaves
// `out` unchanged.
bool ReadImageFile(const std::string& path, Image& out, std::string& error);

// Writes the image; the format follows the extension (.png, .jpg/.jpeg,
// .tif/.tiff). PNG and TIFF files take the image's sample size; JPEG files
// hold 8 bits, so a 16-bit image is rounded to 8 bits for them. The file is
// written under a temporary name and renamed, so a failed write never leaves
// a partial file behind.
bool WriteImageFile(const std::string& path, const Image& image, std::string& error);

}  // namespace ulvo
