#include "tools/ulvofilter/render_job.h"

#include <algorithm>
#include <new>
#include <vector>

#include "src/render/display_order.h"
#include "src/render/render_regions.h"

namespace ulvo {
namespace {

// Checks columns [x, x + w) and rows [top, top + h), counted from the top
// row, against a width × height image; the message names the rectangle as
// the tool's users give it.
bool CheckRectangle(int64_t x, int64_t top, int64_t w, int64_t h, int width, int height,
                    std::string& error) {
  if (w <= 0 || h <= 0) {
    error = "the region is empty";
    return false;
  }
  if (x < 0 || top < 0 || x > width - w || top > height - h) {
    error = "the region " + std::to_string(x) + "," + std::to_string(top) + "," +
            std::to_string(w) + "," + std::to_string(h) + " does not lie inside the " +
            std::to_string(width) + " x " + std::to_string(height) + " image";
    return false;
  }
  return true;
}

// A value as the filter's editor holds it, in single precision. Out of line
// on purpose: GCC 12 at -O2 turns two such round trips side by side into
// one vector conversion and then drops it as if it changed nothing.
[[gnu::noinline]] double SinglePrecision(double value) {
  return static_cast<float>(value);
}

}  // namespace

RenderValues EditorValues(const RenderValues& values, const PatternBitmap& pattern) {
  RenderValues editor = values;
  editor.max_blur = FitFullRunBlur(values.max_blur, pattern.width, pattern.height);
  editor.hardness = SinglePrecision(values.hardness);
  editor.brightness = SinglePrecision(values.brightness);
  return editor;
}

RenderDepthKind ChooseDepthSource(const Image& image, const DepthPlane* plane) {
  if (plane != nullptr) return RenderDepthKind::kSeparatePlane;
  const int colourChannels = image.channels >= 3 ? 3 : 1;
  return image.channels > colourChannels ? RenderDepthKind::kExtraPlane : RenderDepthKind::kNone;
}

bool RegionFromTop(const std::array<int, 4>& rectangle, int width, int height,
                   DisplayRegion& region, std::string& error) {
  const auto [x, y, w, h] = rectangle;
  // Checked before the rows are counted from the bottom, which could
  // overflow for a rectangle far outside.
  if (!CheckRectangle(x, y, w, h, width, height, error)) return false;
  region = DisplayRegion{x, height - (y + h), w, h};
  return true;
}

bool DepthPlaneFromImage(const Image& grey, DepthPlane& out, std::string& error) {
  if (grey.channels > 2) {
    error = "a depth map must be a grey image (this one has colour)";
    return false;
  }
  DepthPlane plane;
  plane.width = grey.width;
  plane.height = grey.height;
  plane.rowBytes = grey.width;
  plane.bottomUp.resize(static_cast<size_t>(grey.width) * grey.height);
  // Depth values are 8-bit: a 16-bit map is rounded to them.
  for (int y = 0; y < grey.height; ++y) {
    const size_t first = static_cast<size_t>(y) * grey.width * grey.channels;
    uint8_t* dst = plane.bottomUp.data() + static_cast<size_t>(grey.height - 1 - y) * grey.width;
    for (int x = 0; x < grey.width; ++x)
      dst[x] = grey.sample8(first + static_cast<size_t>(x) * grey.channels);
  }
  out = std::move(plane);
  return true;
}

bool RenderImage(Image& image, const DepthPlane* plane, const PatternBitmap& pattern,
                 const RenderRequest& request, ProgressReporter* reporter, RenderReport& report,
                 std::string& error) {
  const int W = image.width, H = image.height;
  if (image.bits != 8 && image.bits != 16) {
    error = std::to_string(image.bits) + "-bit images cannot be rendered (8 or 16 bits are)";
    return false;
  }
  if (plane != nullptr && (plane->width != W || plane->height != H)) {
    error = "the depth map is " + std::to_string(plane->width) + " x " +
            std::to_string(plane->height) + " pixels but the image is " + std::to_string(W) +
            " x " + std::to_string(H);
    return false;
  }
  if (pattern.width <= 0 || pattern.height <= 0 ||
      pattern.pixels.size() < static_cast<size_t>(pattern.rowStride) * pattern.height) {
    error = "the aperture pattern is empty";
    return false;
  }
  const DisplayRegion region = request.region.value_or(DisplayRegion{0, 0, W, H});
  if (!CheckRectangle(region.left, int64_t{H} - region.bottom - region.height, region.width,
                      region.height, W, H, error)) {
    return false;
  }

  const RenderDepthKind source = ChooseDepthSource(image, plane);
  const bool withDepth = source == RenderDepthKind::kExtraPlane;
  const bool sixteen = image.bits == 16;
  // The picture in display order, at the image's sample size.
  const int rowBytes = static_cast<int>(image.rowBytes());
  DisplayOrderPicture picture;
  if (!ToDisplayOrder(
          TopDownPixels{image.pixels.data(), W, H, image.channels, rowBytes, image.sampleBytes()},
          withDepth, picture)) {
    error = "not enough memory for a " + std::to_string(W) + " x " + std::to_string(H) + " image";
    return false;
  }
  if (request.invertDepth && withDepth) InvertDepth(picture);
  RenderSource renderSource = picture.source();
  // A copy of the plane when it is too narrow for the padded picture (the
  // padding columns then at depth 0) or is to be inverted (only the image's
  // own columns; a plane's bytes beyond them stay as they are). The
  // caller's plane stays as it is.
  std::vector<uint8_t> depthCopy;
  if (source == RenderDepthKind::kSeparatePlane) {
    renderSource.depthPlane = plane->bottomUp.data();
    renderSource.depthRowBytes = plane->rowBytes;
    if (plane->rowBytes < renderSource.width || request.invertDepth) {
      const bool wideEnough = plane->rowBytes >= renderSource.width;
      const int rowBytes = wideEnough ? plane->rowBytes : renderSource.width;
      const int copied = wideEnough ? plane->rowBytes : W;
      try {
        depthCopy.assign(static_cast<size_t>(rowBytes) * H, 0);
      } catch (const std::bad_alloc&) {
        error = "not enough memory for the depth map";
        return false;
      }
      for (int y = 0; y < H; ++y) {
        const uint8_t* src = plane->bottomUp.data() + static_cast<size_t>(plane->rowBytes) * y;
        uint8_t* dst = depthCopy.data() + static_cast<size_t>(rowBytes) * y;
        std::copy_n(src, copied, dst);
        if (request.invertDepth) {
          for (int x = 0; x < W; ++x) dst[x] = static_cast<uint8_t>(255 - src[x]);
        }
      }
      renderSource.depthPlane = depthCopy.data();
      renderSource.depthRowBytes = rowBytes;
    }
  }

  RenderValues values = EditorValues(request.values, pattern);
  values.sample_bits = sixteen ? 16 : 8;
  report.maxBlurUsed = std::max(values.max_blur, 0);  // a tiny pattern allows no blur
  report.usedDepth = source != RenderDepthKind::kNone;

  // The whole image is the whole padded picture, as in the filter.
  const DisplayRegion displayRegion = request.region.value_or(WholePicture(renderSource));
  const RenderPattern renderPattern{pattern.pixels.data(), pattern.width, pattern.height,
                                    pattern.rowStride};
  EngineOptions options;
  options.threads = request.threads;
  const RenderTarget target = picture.target();
  const RenderOutcome outcome = RenderJobRegion(renderSource, renderPattern, values, displayRegion,
                                                target, reporter, options);
  report.status = outcome.status;

  switch (report.status) {
    case RenderStatus::kDone:
    case RenderStatus::kNoLevels:
      DisplayToTopDown(picture, image.pixels.data(), image.channels, rowBytes);
      return true;
    case RenderStatus::kCancelled:
      error = "cancelled";
      return false;
    case RenderStatus::kOutOfMemory:
      error = "not enough memory to render this image";
      return false;
    case RenderStatus::kEmptyPattern:
      error = "the aperture pattern is empty (all black)";
      return false;
  }
  error = "unknown render status";
  return false;
}

}  // namespace ulvo
