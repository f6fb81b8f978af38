#include "tools/ulvofilter/display_order16.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "src/render/display_order.h"

namespace ulvo {
namespace {

uint16_t Load(const uint8_t* p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}

void Store(uint8_t* p, uint16_t v) {
  std::memcpy(p, &v, 2);
}

}  // namespace

RenderSource DisplayOrderPicture16::source() const {
  return RenderSource{pixels.data(), planes,  rowBytes, PaddedPictureWidth(width),
                      height,        nullptr, 0};
}

bool ToDisplayOrder16(const Image& image, bool withDepth, DisplayOrderPicture16& out) {
  const int W = image.width, H = image.height;
  const int padded = PaddedPictureWidth(W);
  const bool grey = image.channels < 3;
  const int depthChannel = grey ? 1 : 3;
  withDepth = withDepth && image.channels > depthChannel;
  DisplayOrderPicture16 p;
  p.width = W;
  p.height = H;
  p.planes = withDepth ? 4 : 3;
  // A multiple of 4 pixels of 2-byte samples: every row starts 8-byte aligned.
  p.rowBytes = p.planes * padded * 2;
  p.displayStride = 3 * padded * 2;
  try {
    p.pixels.assign(static_cast<size_t>(p.rowBytes) * H, 0);
    p.display.assign(static_cast<size_t>(p.displayStride) * H, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const size_t inPixel = static_cast<size_t>(image.channels) * 2;
  for (int y = 0; y < H; ++y) {
    const uint8_t* src = image.row(y);
    uint8_t* pixel = p.pixels.data() + static_cast<size_t>(H - 1 - y) * p.rowBytes;
    uint8_t* disp = p.display.data() + static_cast<size_t>(H - 1 - y) * p.displayStride;
    for (int x = 0; x < W; ++x, src += inPixel, pixel += p.planes * 2, disp += 6) {
      const uint16_t r = Load(src);
      const uint16_t g = grey ? r : Load(src + 2);
      const uint16_t b = grey ? r : Load(src + 4);
      uint8_t* colour = pixel + (p.planes - 3) * 2;
      if (withDepth) Store(pixel, Load(src + depthChannel * 2));
      Store(colour, b);
      Store(colour + 2, g);
      Store(colour + 4, r);
      Store(disp, b);
      Store(disp + 2, g);
      Store(disp + 4, r);
    }
  }
  out = std::move(p);
  return true;
}

void InvertDepth16(DisplayOrderPicture16& picture) {
  if (picture.planes < 4) return;
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* pixel = picture.pixels.data() + static_cast<size_t>(picture.rowBytes) * y;
    for (int x = 0; x < picture.width; ++x, pixel += picture.planes * 2) {
      Store(pixel, static_cast<uint16_t>(65535 - Load(pixel)));
    }
  }
}

void DisplayToTopDown16(const DisplayOrderPicture16& picture, Image& image) {
  const int H = picture.height;
  const bool grey = image.channels < 3;
  const size_t outPixel = static_cast<size_t>(image.channels) * 2;
  for (int y = 0; y < H; ++y) {
    const uint8_t* disp =
        picture.display.data() + static_cast<size_t>(H - 1 - y) * picture.displayStride;
    uint8_t* dst = image.row(y);
    for (int x = 0; x < picture.width; ++x, disp += 6, dst += outPixel) {
      std::memcpy(dst, disp + 4, 2);
      if (!grey) {
        std::memcpy(dst + 2, disp + 2, 2);
        std::memcpy(dst + 4, disp, 2);
      }
    }
  }
}

}  // namespace ulvo
