#include "src/editor/view_pattern.h"

#include <cstdint>
#include <new>

namespace ulvo {
namespace {

constexpr double kInchesPerMetre = 39.37007874015748;

// Dots an inch as pixels a metre, truncated; a file's absurd resolution
// (the tag is a free rational) ends at the field's range instead of
// overflowing it.
int32_t PixelsPerMetre(float dotsPerInch) {
  const double value = static_cast<double>(dotsPerInch) * kInchesPerMetre;
  if (!(value > -2147483648.0)) return value < 0 ? INT32_MIN : 0;  // also NaN
  if (value >= 2147483647.0) return INT32_MAX;
  return static_cast<int32_t>(value);
}

}  // namespace

BitmapInfoHeader PatternHeader(const PatternDescription& description) {
  BitmapInfoHeader header;
  header.width = static_cast<int32_t>(description.imageWidth);
  header.height = static_cast<int32_t>(description.imageLength);
  header.planes = 1;
  header.bitCount = 24;
  header.xPelsPerMeter = PixelsPerMetre(description.xResolution);
  header.yPelsPerMeter = PixelsPerMetre(description.yResolution);
  return header;
}

bool ViewPattern::Adopt(const PatternDescription& description, PatternLoader& loader,
                        UserMessages& messages) {
  PatternDescription adopted = description;
  adopted.destRowStride = PatternRowStride(adopted.imageWidth);
  std::vector<uint8_t> pixels;
  try {
    pixels.assign(static_cast<size_t>(adopted.destRowStride) * adopted.imageLength + kPatternSlack,
                  0);
  } catch (const std::bad_alloc&) {
    messages.ShowMessage(kPatternOutOfMemoryText);
    return false;
  }
  // A file that changed or broke since its description was read keeps the
  // pattern that was loaded before, instead of leaving an empty one.
  if (!loader.ReadPixels(adopted, pixels.data())) return false;
  description_ = adopted;
  header_ = PatternHeader(adopted);
  pixels_ = std::move(pixels);
  return true;
}

}  // namespace ulvo
