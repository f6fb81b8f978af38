#include "src/render/display_order.h"

#include <cstddef>
#include <new>

namespace ulvo {
namespace {

int PaddedRow(int bytes) {
  return (bytes + 3) & ~3;
}

}  // namespace

RenderSource DisplayOrderPicture::source() const {
  return RenderSource{pixels.data(), planes,  rowBytes, PaddedPictureWidth(width),
                      height,        nullptr, 0};
}

bool ToDisplayOrder(const TopDownPixels& in, bool withDepth, DisplayOrderPicture& out) {
  const int W = in.width, H = in.height;
  const int padded = PaddedPictureWidth(W);
  const bool grey = in.channels < 3;
  const int depthChannel = grey ? 1 : 3;
  withDepth = withDepth && in.channels > depthChannel;
  DisplayOrderPicture p;
  p.width = W;
  p.height = H;
  p.planes = withDepth ? 4 : 3;
  p.rowBytes = PaddedRow(p.planes * padded);
  p.displayStride = PaddedRow(3 * padded);
  try {
    p.pixels.assign(static_cast<size_t>(p.rowBytes) * H, 0);
    p.display.assign(static_cast<size_t>(p.displayStride) * H, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = 0; y < H; ++y) {
    const uint8_t* src = in.pixels + static_cast<ptrdiff_t>(in.stride) * y;
    uint8_t* pixel = p.pixels.data() + static_cast<size_t>(H - 1 - y) * p.rowBytes;
    uint8_t* disp = p.display.data() + static_cast<size_t>(H - 1 - y) * p.displayStride;
    for (int x = 0; x < W; ++x, src += in.channels, pixel += p.planes, disp += 3) {
      const uint8_t r = src[0], g = grey ? src[0] : src[1], b = grey ? src[0] : src[2];
      uint8_t* colour = pixel + (p.planes - 3);
      if (withDepth) pixel[0] = src[depthChannel];
      colour[0] = disp[0] = b;
      colour[1] = disp[1] = g;
      colour[2] = disp[2] = r;
    }
  }
  out = std::move(p);
  return true;
}

void DisplayToTopDown(const DisplayOrderPicture& picture, uint8_t* pixels, int channels,
                      int stride) {
  const int H = picture.height;
  const bool grey = channels < 3;
  for (int y = 0; y < H; ++y) {
    const uint8_t* disp =
        picture.display.data() + static_cast<size_t>(H - 1 - y) * picture.displayStride;
    uint8_t* dst = pixels + static_cast<ptrdiff_t>(stride) * y;
    for (int x = 0; x < picture.width; ++x, disp += 3, dst += channels) {
      dst[0] = disp[2];
      if (!grey) {
        dst[1] = disp[1];
        dst[2] = disp[0];
      }
    }
  }
}

}  // namespace ulvo
