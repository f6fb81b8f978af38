#include "src/render/job_render.h"

#include <cstddef>
#include <cstring>
#include <new>
#include <vector>

namespace ulvo {
namespace {

// The depth bytes of a 16-bit picture's region: its extra plane's samples
// rounded to 8 bits, rows `region.width` apart. False when the memory is
// missing.
bool RoundedDepth(const RenderSource& source, const DisplayRegion& region,
                  std::vector<uint8_t>& depth) {
  try {
    depth.assign(static_cast<size_t>(region.width) * region.height, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const size_t pixelBytes = static_cast<size_t>(source.planes) * 2;
  for (int y = 0; y < region.height; ++y) {
    const uint8_t* sample = source.pixels +
                            static_cast<ptrdiff_t>(source.rowBytes) * (region.bottom + y) +
                            pixelBytes * region.left + 2 * (source.planes - 4);
    uint8_t* row = depth.data() + static_cast<size_t>(y) * region.width;
    for (int x = 0; x < region.width; ++x, sample += pixelBytes) {
      uint16_t v;
      std::memcpy(&v, sample, sizeof v);
      row[x] = static_cast<uint8_t>((static_cast<uint32_t>(v) * 255 + 32767) / 65535);
    }
  }
  return true;
}

}  // namespace

RenderDepthKind ChooseRenderDepth(const RenderSource& source) {
  if (source.planes >= 4) return RenderDepthKind::kExtraPlane;
  if (source.depthPlane != nullptr && source.depthRowBytes != 0) {
    return RenderDepthKind::kSeparatePlane;
  }
  return RenderDepthKind::kNone;
}

RenderOutcome RenderJobRegion(const RenderSource& source, const RenderPattern& pattern,
                              const RenderValues& values, const DisplayRegion& region,
                              RenderTarget target, ProgressReporter* reporter,
                              const EngineOptions& options) {
  const int planes = source.planes;
  const int sampleBytes = values.sample_bits == 16 ? 2 : 1;
  const ptrdiff_t offset = static_cast<ptrdiff_t>(source.rowBytes) * region.bottom +
                           static_cast<ptrdiff_t>(planes) * sampleBytes * region.left;
  DefocusEngine engine;
  std::vector<uint8_t> roundedDepth;
  switch (ChooseRenderDepth(source)) {
    case RenderDepthKind::kExtraPlane:
      if (sampleBytes == 1) {
        engine.SetDepthMap(source.pixels + offset + (planes - 4), planes, source.rowBytes);
      } else {
        if (!RoundedDepth(source, region, roundedDepth)) {
          return RenderOutcome{RenderStatus::kOutOfMemory, false};
        }
        engine.SetDepthMap(roundedDepth.data(), 1, region.width);
      }
      break;
    case RenderDepthKind::kSeparatePlane:
      engine.SetDepthMap(source.depthPlane +
                             static_cast<ptrdiff_t>(source.depthRowBytes) * region.bottom +
                             region.left,
                         1, source.depthRowBytes);
      break;
    case RenderDepthKind::kNone:
      break;
  }
  const int colourOffset = (planes >= 4 ? planes - 3 : 0) * sampleBytes;
  engine.SetImage(0, planes * sampleBytes, region.width, region.height,
                  source.pixels + offset + colourOffset, source.rowBytes);
  engine.SetPattern(0, 3, pattern.width, pattern.height, pattern.pixels, pattern.rowStride);
  engine.SetOutput(0, 3 * sampleBytes,
                   target.pixels + static_cast<ptrdiff_t>(target.rowStride) * region.bottom +
                       3 * sampleBytes * static_cast<ptrdiff_t>(region.left),
                   target.rowStride);
  if (reporter != nullptr) engine.SetProgressReporter(reporter);
  engine.SetOptions(options);
  RenderOutcome outcome;
  outcome.status = engine.Run(values);
  outcome.cancelled = engine.cancelled() != 0;
  return outcome;
}

}  // namespace ulvo
