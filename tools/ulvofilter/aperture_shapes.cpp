#include "tools/ulvofilter/aperture_shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "src/engine/portable_math.h"

namespace ulvo {
namespace {

constexpr int kSupersample = 4;  // samples per pixel side for the edge coverage

// Whether the point (x, y), measured from the centre in units of the opening's
// radius, lies inside the shape; `radiusScale` shrinks or grows the opening.
bool Inside(ApertureShape shape, double x, double y, double radiusScale) {
  x /= radiusScale;
  y /= radiusScale;
  const double pi = std::numbers::pi;
  switch (shape) {
    case ApertureShape::kDisc:
    case ApertureShape::kColourFringe:
      return x * x + y * y <= 1.0;
    case ApertureShape::kHexagon: {
      // Inside all six half-planes whose edges touch the unit circle's
      // inscribed hexagon; its corners point left and right.
      const double apothem = math::Cos(pi / 6);
      for (int i = 0; i < 6; ++i) {
        const double a = pi / 6 + i * pi / 3;
        if (x * math::Cos(a) + y * math::Sin(a) > apothem) return false;
      }
      return true;
    }
    case ApertureShape::kCurvedHeptagon: {
      // Each blade edge is an arc of a large circle centred on the far side,
      // so the edges bulge outward as on a rounded diaphragm.
      const double apothem = math::Cos(pi / 7);
      const double arcRadius = 2.2;
      for (int i = 0; i < 7; ++i) {
        const double a = -pi / 2 + pi / 7 + i * 2 * pi / 7;
        const double cx = -(arcRadius - apothem) * math::Cos(a);
        const double cy = -(arcRadius - apothem) * math::Sin(a);
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) > arcRadius * arcRadius) return false;
      }
      return true;
    }
  }
  return false;
}

uint8_t Coverage(ApertureShape shape, int px, int py, int size, double radiusScale) {
  const double centre = (size - 1) / 2.0;
  const double radius = (size - 1) / 2.0 - 1.0;  // a dark border pixel all round
  int hits = 0;
  for (int sy = 0; sy < kSupersample; ++sy) {
    for (int sx = 0; sx < kSupersample; ++sx) {
      const double x = px - 0.5 + (sx + 0.5) / kSupersample - centre;
      const double y = py - 0.5 + (sy + 0.5) / kSupersample - centre;
      hits += Inside(shape, x / radius, y / radius, radiusScale) ? 1 : 0;
    }
  }
  return static_cast<uint8_t>(hits * 255 / (kSupersample * kSupersample));
}

}  // namespace

const std::vector<std::pair<std::string, ApertureShape>>& ApertureShapeNames() {
  static const std::vector<std::pair<std::string, ApertureShape>> names = {
      {"disc", ApertureShape::kDisc},
      {"hexagon", ApertureShape::kHexagon},
      {"heptagon-curved", ApertureShape::kCurvedHeptagon},
      {"colour-fringe", ApertureShape::kColourFringe},
  };
  return names;
}

Image DrawAperture(ApertureShape shape, int size) {
  Image image;
  image.width = size;
  image.height = size;
  image.channels = shape == ApertureShape::kColourFringe ? 3 : 1;
  image.pixels.resize(static_cast<size_t>(size) * size * image.channels);
  // The fringe: red reaches furthest, blue least, as with lateral colour.
  static constexpr double kFringeScale[3] = {1.0, 0.93, 0.86};
  for (int y = 0; y < size; ++y) {
    uint8_t* row = image.row(y);
    for (int x = 0; x < size; ++x) {
      for (int c = 0; c < image.channels; ++c) {
        const double scale = image.channels == 3 ? kFringeScale[c] : 1.0;
        row[x * image.channels + c] = Coverage(shape, x, y, size, scale);
      }
    }
  }
  return image;
}

PatternBitmap ToPatternBitmap(const Image& image) {
  PatternBitmap bitmap;
  bitmap.width = image.width;
  bitmap.height = image.height;
  bitmap.rowStride = PatternRowStride(static_cast<uint32_t>(image.width));
  bitmap.pixels.assign(static_cast<size_t>(bitmap.rowStride) * image.height, 0);
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* src = image.row(y);
    uint8_t* dst =
        bitmap.pixels.data() + static_cast<size_t>(image.height - 1 - y) * bitmap.rowStride;
    for (int x = 0; x < image.width; ++x, src += image.channels, dst += 3) {
      const bool grey = image.channels < 3;
      dst[0] = grey ? src[0] : src[2];
      dst[1] = grey ? src[0] : src[1];
      dst[2] = src[0];
    }
  }
  return bitmap;
}

PatternBitmap DefaultPattern() {
  return ToPatternBitmap(DrawAperture(ApertureShape::kDisc, 64));
}

}  // namespace ulvo
