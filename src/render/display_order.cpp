#include "src/render/display_order.h"

#include <cstddef>
#include <cstring>
#include <new>

namespace ulvo {
namespace {

int PaddedRow(int bytes) {
  return (bytes + 3) & ~3;
}

// Samples of either size, read and written through bytes (rows of 16-bit
// samples need not be aligned).
template <class Sample>
Sample Load(const uint8_t* p) {
  Sample v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class Sample>
void Store(uint8_t* p, Sample v) {
  std::memcpy(p, &v, sizeof v);
}

template <class Sample>
void FillPicture(const TopDownPixels& in, bool withDepth, int depthChannel,
                 DisplayOrderPicture& p) {
  constexpr int kBytes = sizeof(Sample);
  const int W = in.width, H = in.height;
  const bool grey = in.channels < 3;
  for (int y = 0; y < H; ++y) {
    const uint8_t* src = in.pixels + static_cast<ptrdiff_t>(in.stride) * y;
    uint8_t* pixel = p.pixels.data() + static_cast<size_t>(H - 1 - y) * p.rowBytes;
    uint8_t* disp = p.display.data() + static_cast<size_t>(H - 1 - y) * p.displayStride;
    for (int x = 0; x < W;
         ++x, src += in.channels * kBytes, pixel += p.planes * kBytes, disp += 3 * kBytes) {
      const Sample r = Load<Sample>(src);
      const Sample g = grey ? r : Load<Sample>(src + kBytes);
      const Sample b = grey ? r : Load<Sample>(src + 2 * kBytes);
      uint8_t* colour = pixel + (p.planes - 3) * kBytes;
      if (withDepth) Store(pixel, Load<Sample>(src + depthChannel * kBytes));
      const Sample order[3] = {b, g, r};
      for (int c = 0; c < 3; ++c) {
        Store(colour + c * kBytes, order[c]);
        Store(disp + c * kBytes, order[c]);
      }
    }
  }
}

template <class Sample>
void InvertPlane(DisplayOrderPicture& picture) {
  constexpr int kBytes = sizeof(Sample);
  constexpr Sample kMax = static_cast<Sample>(~Sample{0});
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* pixel = picture.pixels.data() + static_cast<size_t>(picture.rowBytes) * y;
    for (int x = 0; x < picture.width; ++x, pixel += picture.planes * kBytes) {
      Store(pixel, static_cast<Sample>(kMax - Load<Sample>(pixel)));
    }
  }
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
  p.sampleBytes = in.sampleBytes == 2 ? 2 : 1;
  p.rowBytes = PaddedRow(p.planes * padded * p.sampleBytes);
  p.displayStride = PaddedRow(3 * padded * p.sampleBytes);
  try {
    p.pixels.assign(static_cast<size_t>(p.rowBytes) * H, 0);
    p.display.assign(static_cast<size_t>(p.displayStride) * H, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (p.sampleBytes == 2) {
    FillPicture<uint16_t>(in, withDepth, depthChannel, p);
  } else {
    FillPicture<uint8_t>(in, withDepth, depthChannel, p);
  }
  out = std::move(p);
  return true;
}

void InvertDepth(DisplayOrderPicture& picture) {
  if (picture.planes < 4) return;
  if (picture.sampleBytes == 2) {
    InvertPlane<uint16_t>(picture);
  } else {
    InvertPlane<uint8_t>(picture);
  }
}

void DisplayToTopDown(const DisplayOrderPicture& picture, uint8_t* pixels, int channels,
                      int stride) {
  const int H = picture.height;
  const size_t bytes = static_cast<size_t>(picture.sampleBytes);
  const bool grey = channels < 3;
  for (int y = 0; y < H; ++y) {
    const uint8_t* disp =
        picture.display.data() + static_cast<size_t>(H - 1 - y) * picture.displayStride;
    uint8_t* dst = pixels + static_cast<ptrdiff_t>(stride) * y;
    for (int x = 0; x < picture.width; ++x, disp += 3 * bytes, dst += channels * bytes) {
      std::memcpy(dst, disp + 2 * bytes, bytes);
      if (!grey) {
        std::memcpy(dst + bytes, disp + bytes, bytes);
        std::memcpy(dst + 2 * bytes, disp, bytes);
      }
    }
  }
}

}  // namespace ulvo
