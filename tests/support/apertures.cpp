#include "tests/support/apertures.h"

#include <algorithm>
#include <memory>

#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

// Plane q holds value − q × dimming inside the ellipse around (cx, cy) whose
// half-axes are rx − q × shrink and ry − q × shrink.
struct Ellipse {
  int width = 0;
  int height = 0;
  int planes = 1;
  double cx = 0;
  double cy = 0;
  double rx = 0;
  double ry = 0;
  double shrink = 0;
  uint8_t value = 255;
  int dimming = 0;
};

std::vector<uint8_t> Draw(const Ellipse& e) {
  std::vector<uint8_t> pixels(static_cast<size_t>(e.width) * e.height * e.planes, 0);
  for (int q = 0; q < e.planes; ++q) {
    const double rx = e.rx - q * e.shrink;
    const double ry = e.ry - q * e.shrink;
    const auto value = static_cast<uint8_t>(e.value - q * e.dimming);
    for (int y = 0; y < e.height; ++y) {
      for (int x = 0; x < e.width; ++x) {
        // Compared without division, so that no rounding decides a pixel on
        // the rim: with centres and half-axes in whole or half pixels every
        // term is exact.
        const double dx = (x - e.cx) * ry;
        const double dy = (y - e.cy) * rx;
        if (dx * dx + dy * dy <= rx * rx * ry * ry) {
          pixels[(static_cast<size_t>(y) * e.width + x) * e.planes + q] = value;
        }
      }
    }
  }
  return pixels;
}

}  // namespace

std::vector<uint8_t> DiscPattern(int size, double diameter, uint8_t value) {
  const double centre = size / 2;
  return Draw({.width = size,
               .height = size,
               .planes = 3,
               .cx = centre,
               .cy = centre,
               .rx = diameter / 2,
               .ry = diameter / 2,
               .value = value});
}

std::vector<uint8_t> TintedDiscPattern(int size, double diameter) {
  std::vector<uint8_t> p = DiscPattern(size, diameter);
  for (size_t i = 0; i < p.size(); i += 3) {
    if (p[i] == 0) continue;
    p[i + 0] = 255;
    p[i + 1] = 180;
    p[i + 2] = static_cast<uint8_t>(100 + (i / 3) % 50);
  }
  return p;
}

std::vector<uint8_t> EllipsePattern(int width, int height, int planes, bool fringed) {
  return Draw({.width = width,
               .height = height,
               .planes = planes,
               .cx = (width - 1) / 2.0,
               .cy = (height - 1) / 2.0,
               .rx = width / 2.0,
               .ry = height / 2.0,
               .shrink = fringed ? 1.0 : 0.0,
               .dimming = fringed ? 40 : 0});
}

PatternCopy FringedDiscCopy(int size, int planes) {
  const std::vector<uint8_t> pixels = EllipsePattern(size, size, planes, true);
  PatternCopy copy;
  copy.planes = planes;
  copy.width = copy.height = size;
  copy.bytes = std::make_unique<uint8_t[]>(pixels.size());
  std::copy(pixels.begin(), pixels.end(), copy.bytes.get());
  return copy;
}

bool WriteDiscTiff(const std::string& path, int width, int height) {
  TestTiff tiff;
  tiff.width = width;
  tiff.height = height;
  tiff.samples = 3;
  tiff.photometric = PHOTOMETRIC_RGB;
  tiff.data = EllipsePattern(width, height, 3, false);
  return WriteTestTiff(path, tiff);
}

}  // namespace ulvo
