// Reads aperture pattern files (TIFF) into 24-bit bottom-up bitmaps: blue,
// green, red per pixel, the first file row in the last bitmap row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/imageio/user_messages.h"

namespace ulvo {

// Patterns larger than this in either direction are refused.
inline constexpr uint32_t kMaxPatternDimension = 4096;

// What ReadDescription learnt about a pattern file; owned by the caller.
struct PatternDescription {
  std::string fileName;  // opened again by ReadPixels
  uint32_t imageLength = 0;
  uint32_t imageWidth = 0;
  uint16_t samplesPerPixel = 0;
  uint16_t bitsPerSample = 0;
  float xResolution = 0.0f;  // dots per inch; left as they were when absent
  float yResolution = 0.0f;
  int32_t scanlineSize = 0;   // bytes of one decoded file row
  int32_t destRowStride = 0;  // set by the caller before ReadPixels
};

// The usual destination stride: 3 bytes a pixel, rows padded to 4 bytes.
inline int32_t PatternRowStride(uint32_t width) {
  return static_cast<int32_t>((width * 3 + 3) & ~3u);
}

class PatternLoader {
 public:
  // Failures the user must know about are reported through `messages`.
  explicit PatternLoader(UserMessages& messages) : messages_(messages) {}

  // 1 when the file can be used as a pattern, 0 otherwise (after a message).
  // `description` is only updated on success.
  int ReadDescription(PatternDescription& description, const std::string& path);

  // Decodes the file named in the description into `destination`, which holds
  // imageLength rows of description.destRowStride bytes. 1 on success; 0 when
  // the file cannot be opened or decoded, no longer matches the description,
  // or the stride is too small. On 0 the destination is left untouched. A
  // null destination reads nothing and returns 1.
  int ReadPixels(const PatternDescription& description, uint8_t* destination);

 private:
  UserMessages& messages_;
};

// A loaded pattern with its own memory.
struct PatternBitmap {
  int width = 0;
  int height = 0;
  int rowStride = 0;
  std::vector<uint8_t> pixels;  // rowStride * height bytes, bottom-up BGR

  const uint8_t* row(int y) const { return pixels.data() + static_cast<size_t>(y) * rowStride; }
};

// Both steps with the usual stride. On failure `bitmap` keeps what it held.
bool LoadPatternBitmap(const std::string& path, PatternBitmap& bitmap, UserMessages& messages);

}  // namespace ulvo
