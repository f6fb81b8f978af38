#include "tools/ulvofilter/render_job.h"

#include <algorithm>
#include <new>
#include <vector>

namespace ulvo {
namespace {

int PaddedRow(int bytes) {
  return (bytes + 3) & ~3;
}

// The working copies a render needs, in the filter's display order.
struct DisplayBuffers {
  int planes = 3;    // bytes per input pixel
  int rowBytes = 0;  // input row distance
  std::vector<uint8_t> input;
  int displayStride = 0;  // BGR display bitmap
  std::vector<uint8_t> display;
};

// Input pixels reversed (depth, blue, green, red for a pixel with depth; blue,
// green, red otherwise), rows bottom-up; the display bitmap starts as a copy of
// the colours so that rows outside the rendered region stay as they were.
void FillDisplayBuffers(const Image& image, bool withDepthChannel, DisplayBuffers& b) {
  const int W = image.width, H = image.height;
  const bool grey = image.channels < 3;
  const int depthChannel = grey ? 1 : 3;
  b.planes = withDepthChannel ? 4 : 3;
  b.rowBytes = PaddedRow(b.planes * W);
  b.displayStride = PaddedRow(3 * W);
  b.input.assign(static_cast<size_t>(b.rowBytes) * H, 0);
  b.display.assign(static_cast<size_t>(b.displayStride) * H, 0);
  for (int y = 0; y < H; ++y) {
    const uint8_t* src = image.row(y);
    uint8_t* in = b.input.data() + static_cast<size_t>(H - 1 - y) * b.rowBytes;
    uint8_t* disp = b.display.data() + static_cast<size_t>(H - 1 - y) * b.displayStride;
    for (int x = 0; x < W; ++x, src += image.channels, in += b.planes, disp += 3) {
      const uint8_t r = src[0], g = grey ? src[0] : src[1], bl = grey ? src[0] : src[2];
      uint8_t* colour = in + (b.planes - 3);
      if (withDepthChannel) in[0] = src[depthChannel];
      colour[0] = disp[0] = bl;
      colour[1] = disp[1] = g;
      colour[2] = disp[2] = r;
    }
  }
}

void CopyResultBack(const DisplayBuffers& b, Image& image) {
  const int H = image.height;
  const bool grey = image.channels < 3;
  for (int y = 0; y < H; ++y) {
    const uint8_t* disp = b.display.data() + static_cast<size_t>(H - 1 - y) * b.displayStride;
    uint8_t* dst = image.row(y);
    for (int x = 0; x < image.width; ++x, disp += 3, dst += image.channels) {
      if (grey) {
        dst[0] = disp[2];
      } else {
        dst[0] = disp[2];
        dst[1] = disp[1];
        dst[2] = disp[0];
      }
    }
  }
}

}  // namespace

DepthSourceKind ChooseDepthSource(const Image& image, const DepthPlane* plane) {
  if (plane != nullptr) return DepthSourceKind::kPlane;
  const int colourChannels = image.channels >= 3 ? 3 : 1;
  return image.channels > colourChannels ? DepthSourceKind::kExtraChannel : DepthSourceKind::kNone;
}

bool CheckRegion(const Region& r, int width, int height, std::string& error) {
  if (r.width <= 0 || r.height <= 0) {
    error = "the region is empty";
    return false;
  }
  if (r.x < 0 || r.y < 0 || r.x > width - r.width || r.y > height - r.height) {
    error = "the region " + std::to_string(r.x) + "," + std::to_string(r.y) + "," +
            std::to_string(r.width) + "," + std::to_string(r.height) + " does not lie inside the " +
            std::to_string(width) + " x " + std::to_string(height) + " image";
    return false;
  }
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
  for (int y = 0; y < grey.height; ++y) {
    const uint8_t* src = grey.row(y);
    uint8_t* dst = plane.bottomUp.data() + static_cast<size_t>(grey.height - 1 - y) * grey.width;
    for (int x = 0; x < grey.width; ++x) dst[x] = src[x * grey.channels];
  }
  out = std::move(plane);
  return true;
}

bool RenderImage(Image& image, const DepthPlane* plane, const PatternBitmap& pattern,
                 const RenderSettings& settings, ProgressReporter* reporter, RenderReport& report,
                 std::string& error) {
  const int W = image.width, H = image.height;
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
  const Region region = settings.region.value_or(Region{0, 0, W, H});
  if (!CheckRegion(region, W, H, error)) return false;

  const DepthSourceKind source = ChooseDepthSource(image, plane);
  DisplayBuffers b;
  try {
    FillDisplayBuffers(image, source == DepthSourceKind::kExtraChannel, b);
  } catch (const std::bad_alloc&) {
    error = "not enough memory for a " + std::to_string(W) + " x " + std::to_string(H) + " image";
    return false;
  }

  // The full run's fit of the maximum blur to the pattern.
  int maxBlur = settings.maxBlur;
  if (maxBlur > pattern.width) maxBlur = pattern.width - 2;
  if (maxBlur > pattern.height) maxBlur = pattern.height - 2;
  maxBlur = std::max(maxBlur, 0);  // a pattern of one or two pixels allows no blur
  report.maxBlurUsed = maxBlur;
  report.usedDepth = source != DepthSourceKind::kNone;

  // Region in display order: `bottom` is the first display row it covers.
  const int left = region.x;
  const int bottom = H - (region.y + region.height);
  const size_t offset =
      static_cast<size_t>(b.rowBytes) * bottom + static_cast<size_t>(b.planes) * left;

  DefocusEngine engine;
  if (source == DepthSourceKind::kExtraChannel) {
    engine.SetDepthMap(settings.levels, maxBlur, settings.focusDepth,
                       b.input.data() + offset + (b.planes - 4), b.planes, b.rowBytes);
  } else if (source == DepthSourceKind::kPlane) {
    engine.SetDepthMap(
        settings.levels, maxBlur, settings.focusDepth,
        plane->bottomUp.data() + static_cast<size_t>(plane->rowBytes) * bottom + left, 1,
        plane->rowBytes);
  }
  engine.SetImage(0, b.planes, region.width, region.height,
                  b.input.data() + offset + (b.planes - 3), b.rowBytes);
  engine.SetPattern(0, 3, pattern.width, pattern.height, pattern.pixels.data(), pattern.rowStride);
  engine.SetOutput(0, 3,
                   b.display.data() + static_cast<size_t>(b.displayStride) * bottom + 3 * left,
                   b.displayStride);
  if (reporter != nullptr) engine.SetProgressReporter(reporter);
  EngineOptions options;
  options.threads = settings.threads;
  engine.SetOptions(options);
  report.status =
      engine.Run(settings.hardness, settings.brightness, static_cast<int16_t>(settings.skip));

  switch (report.status) {
    case RenderStatus::kDone:
    case RenderStatus::kNoLevels:
      CopyResultBack(b, image);
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
