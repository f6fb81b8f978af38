// The aperture pattern the view has loaded: what the file says about
// itself, a bitmap header to draw it with, and its pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/editor/bitmap_header.h"
#include "src/imageio/pattern_loader.h"

namespace ulvo {

// Pixels are allocated with this much to spare after the last row.
inline constexpr size_t kPatternSlack = 1028;

class ViewPattern {
 public:
  // Takes a checked description and reads its pixels. False (after a
  // message) when they cannot be read or held; what was loaded stays.
  bool Adopt(const PatternDescription& description, PatternLoader& loader, UserMessages& messages);

  bool loaded() const { return !pixels_.empty(); }
  const PatternDescription& description() const { return description_; }
  const BitmapInfoHeader& header() const { return header_; }
  const uint8_t* pixels() const { return pixels_.data(); }
  int32_t stride() const { return description_.destRowStride; }
  int32_t width() const { return header_.width; }
  int32_t height() const { return header_.height; }

 private:
  PatternDescription description_;
  BitmapInfoHeader header_;
  std::vector<uint8_t> pixels_;
};

// The bitmap header of a pattern: its size, 24 bits a pixel, and its
// resolution in pixels a metre (truncated).
BitmapInfoHeader PatternHeader(const PatternDescription& description);

}  // namespace ulvo
