#include "tools/ulvohost/host_region.h"

#include <algorithm>
#include <new>

namespace ulvo::host {
namespace {

// Largest buffer the host hands out for one rectangle.
constexpr int64_t kMaxRegionBytes = int64_t{1} << 30;

int SampledExtent(int extent, pi::Fixed rate) {
  // Samples are taken every rate/65536 pixels, starting at the first one.
  const int64_t r = rate;
  return static_cast<int>((static_cast<int64_t>(extent) * pi::kFixedOne + r - 1) / r);
}

}  // namespace

bool RectIsEmpty(const pi::Rect& rect) {
  return rect.right <= rect.left || rect.bottom <= rect.top;
}

int64_t HostRowBytes(int width, int pixelBytes, int align) {
  const int64_t raw = static_cast<int64_t>(width) * pixelBytes;
  const int64_t a = std::max(align, 1);
  return (raw + a - 1) / a * a;
}

bool ExtractRegion(const Image& image, const RegionRequest& request, HostRegion& region,
                   std::string& error) {
  region = HostRegion{};
  const pi::Rect& r = request.rect;
  if (RectIsEmpty(r)) return true;

  if (request.loPlane < 0 || request.hiPlane < request.loPlane ||
      request.hiPlane >= image.channels) {
    error = "planes " + std::to_string(request.loPlane) + ".." + std::to_string(request.hiPlane) +
            " requested of an image with " + std::to_string(image.channels);
    return false;
  }
  const int16_t padding = request.padding;
  if (padding < kPaddingError || padding > 255) {
    error = "bad padding value " + std::to_string(padding);
    return false;
  }
  const bool outside = r.left < 0 || r.top < 0 || r.right > image.width || r.bottom > image.height;
  if (outside && padding == kPaddingError) {
    error = "rectangle extends beyond the image and the module asked for no padding";
    return false;
  }
  const pi::Fixed rate = request.rate > 0 ? request.rate : pi::kFixedOne;

  const int width = SampledExtent(r.right - r.left, rate);
  const int height = SampledExtent(r.bottom - r.top, rate);
  const int planes = request.hiPlane - request.loPlane + 1;
  const int sampleBytes = image.sampleBytes();
  const int64_t rowBytes = HostRowBytes(width, planes * sampleBytes, request.rowAlign);
  const int64_t total = rowBytes * height;
  if (rowBytes > INT32_MAX || total > kMaxRegionBytes) {
    error = "requested rectangle needs " + std::to_string(total) + " bytes";
    return false;
  }
  try {
    // Bytes beyond the pixels of a row are host memory the module may read.
    region.bytes.assign(static_cast<size_t>(total), 0xCD);
  } catch (const std::bad_alloc&) {
    error = "out of memory for a " + std::to_string(total) + "-byte buffer";
    return false;
  }
  region.rowBytes = static_cast<int32_t>(rowBytes);
  region.width = width;
  region.height = height;
  region.planes = planes;
  region.sampleBytes = sampleBytes;

  // A padding value fills every byte of the padded samples.
  const uint8_t fill = padding >= 0 ? static_cast<uint8_t>(padding) : 0;
  const size_t pixelBytes = static_cast<size_t>(planes) * sampleBytes;
  for (int y = 0; y < height; ++y) {
    int iy = r.top + static_cast<int>(static_cast<int64_t>(y) * rate / pi::kFixedOne);
    uint8_t* dst = region.bytes.data() + static_cast<size_t>(y) * region.rowBytes;
    const bool rowInside = iy >= 0 && iy < image.height;
    if (!rowInside && padding == kPaddingReplicate) {
      iy = std::clamp(iy, 0, image.height - 1);
    }
    for (int x = 0; x < width; ++x) {
      int ix = r.left + static_cast<int>(static_cast<int64_t>(x) * rate / pi::kFixedOne);
      bool inside = rowInside && ix >= 0 && ix < image.width;
      if (padding == kPaddingReplicate) {
        ix = std::clamp(ix, 0, image.width - 1);
        inside = true;
      }
      uint8_t* px = dst + static_cast<size_t>(x) * pixelBytes;
      if (!inside) {
        std::fill(px, px + pixelBytes, fill);
        continue;
      }
      const uint8_t* src =
          image.row(iy) +
          (static_cast<size_t>(ix) * image.channels + request.loPlane) * sampleBytes;
      std::copy_n(src, pixelBytes, px);
    }
  }
  return true;
}

void StoreRegion(const HostRegion& region, const RegionRequest& request, Image& image) {
  if (region.empty()) return;
  const pi::Rect& r = request.rect;
  const int planes = std::min(region.planes, image.channels - request.loPlane);
  if (planes <= 0) return;
  const size_t sampleBytes = static_cast<size_t>(image.sampleBytes());
  const size_t regionPixelBytes = static_cast<size_t>(region.planes) * sampleBytes;
  for (int y = 0; y < region.height; ++y) {
    const int iy = r.top + y;
    if (iy < 0 || iy >= image.height) continue;
    const uint8_t* src = region.bytes.data() + static_cast<size_t>(y) * region.rowBytes;
    for (int x = 0; x < region.width; ++x) {
      const int ix = r.left + x;
      if (ix < 0 || ix >= image.width) continue;
      uint8_t* dst = image.row(iy) +
                     (static_cast<size_t>(ix) * image.channels + request.loPlane) * sampleBytes;
      std::copy_n(src + static_cast<size_t>(x) * regionPixelBytes, planes * sampleBytes, dst);
    }
  }
}

bool MaskBounds(const Image& mask, pi::VRect& bounds) {
  bool any = false;
  bounds = pi::VRect{0, 0, 0, 0};
  for (int y = 0; y < mask.height; ++y) {
    const size_t row = static_cast<size_t>(y) * mask.width;
    for (int x = 0; x < mask.width; ++x) {
      if (mask.sample((row + x) * mask.channels) == 0) continue;
      if (!any) {
        bounds = pi::VRect{y, x, y + 1, x + 1};
        any = true;
      } else {
        bounds.top = std::min(bounds.top, y);
        bounds.left = std::min(bounds.left, x);
        bounds.bottom = std::max(bounds.bottom, y + 1);
        bounds.right = std::max(bounds.right, x + 1);
      }
    }
  }
  return any;
}

}  // namespace ulvo::host
