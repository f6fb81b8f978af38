#include "tools/ulvofilter/demo_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace ulvo {
namespace {

// Small deterministic generator so that the scene is the same everywhere.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed) {}
  uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  int Range(int lo, int hi) {
    return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1));
  }

 private:
  uint32_t state_;
};

struct Rgb {
  uint8_t r, g, b;
};

class Canvas {
 public:
  explicit Canvas(Image& image) : image_(image) {}

  void Put(int x, int y, Rgb c, uint8_t depth) {
    if (x < 0 || y < 0 || x >= image_.width || y >= image_.height) return;
    uint8_t* p = image_.row(y) + 4 * x;
    p[0] = c.r;
    p[1] = c.g;
    p[2] = c.b;
    p[3] = depth;
  }
  void Rect(int x0, int y0, int w, int h, Rgb c, uint8_t depth) {
    for (int y = y0; y < y0 + h; ++y)
      for (int x = x0; x < x0 + w; ++x) Put(x, y, c, depth);
  }
  // A small light: a saturated core of the given radius.
  void Light(int cx, int cy, double radius, Rgb c, uint8_t depth) {
    const int r = static_cast<int>(std::ceil(radius));
    for (int y = -r; y <= r; ++y)
      for (int x = -r; x <= r; ++x)
        if (x * x + y * y <= radius * radius) Put(cx + x, cy + y, c, depth);
  }

 private:
  Image& image_;
};

}  // namespace

Image MakeDemoScene(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  Canvas canvas(image);
  Random random(20261207);

  // Far background: a night sky fading into a dim street.
  for (int y = 0; y < height; ++y) {
    const double t = static_cast<double>(y) / height;
    const Rgb sky{static_cast<uint8_t>(10 + 30 * t), static_cast<uint8_t>(14 + 24 * t),
                  static_cast<uint8_t>(40 + 20 * t)};
    for (int x = 0; x < width; ++x) canvas.Put(x, y, sky, 240);
  }

  // Buildings with lit windows, far away.
  for (int x = 0; x < width;) {
    const int w = random.Range(width / 16, width / 7);
    const int h = random.Range(height / 4, height / 2);
    canvas.Rect(x, height - h, w, h, Rgb{28, 26, 34}, 220);
    for (int wy = height - h + 10; wy < height - 20; wy += 18) {
      for (int wx = x + 6; wx < x + w - 6; wx += 14) {
        if (random.Next() % 3 == 0) canvas.Rect(wx, wy, 4, 5, Rgb{255, 214, 140}, 220);
      }
    }
    x += w + random.Range(0, 12);
  }

  // Street lights and signal lights at several distances; the nearer, the
  // larger and the lower in the frame.
  static constexpr Rgb kLightColours[] = {
      {255, 244, 220}, {255, 190, 90}, {255, 70, 60}, {90, 255, 140}, {120, 180, 255}};
  for (int i = 0; i < 70; ++i) {
    const int depth = random.Range(110, 250);
    const double nearness = (250.0 - depth) / 140.0;
    const int x = random.Range(0, width - 1);
    const int y =
        random.Range(height / 8, height * 3 / 4) + static_cast<int>(nearness * height / 8);
    canvas.Light(x, y, 1.0 + 1.5 * nearness, kLightColours[random.Next() % 5],
                 static_cast<uint8_t>(depth));
  }

  // A lamp post between the sign and the buildings, with its own lamp.
  const int postX = width * 3 / 4;
  canvas.Rect(postX, height / 5, std::max(width / 100, 3), height, Rgb{60, 58, 64}, 120);
  canvas.Light(postX + 2, height / 5 - 6, 4.0, Rgb{255, 250, 235}, 120);

  // The foreground sign in focus: fine black and white checks in a red frame,
  // and a row of small bulbs along its top edge.
  const int signW = width / 3, signH = height / 4;
  const int signX = width / 6, signY = height * 11 / 20;
  const auto near = static_cast<uint8_t>(kDemoFocusDepth);
  canvas.Rect(signX, signY, signW, signH, Rgb{200, 30, 36}, near);
  const int check = std::max(width / 200, 2);
  for (int y = signY + 8; y < signY + signH - 8; ++y) {
    for (int x = signX + 8; x < signX + signW - 8; ++x) {
      const bool white = ((x - signX) / check + (y - signY) / check) % 2 == 0;
      canvas.Put(x, y, white ? Rgb{235, 235, 230} : Rgb{20, 20, 24}, near);
    }
  }
  canvas.Rect(signX + signW / 2 - 3, signY + signH, 6, height - signY - signH, Rgb{70, 70, 74},
              near);
  for (int x = signX + 10; x < signX + signW - 10; x += 24) {
    canvas.Light(x, signY + 3, 2.0, Rgb{255, 236, 170}, near);
  }
  return image;
}

}  // namespace ulvo
