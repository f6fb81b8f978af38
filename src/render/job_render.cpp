#include "src/render/job_render.h"

#include <cstddef>

namespace ulvo {

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
  const ptrdiff_t offset = static_cast<ptrdiff_t>(source.rowBytes) * region.bottom +
                           static_cast<ptrdiff_t>(planes) * region.left;
  DefocusEngine engine;
  switch (ChooseRenderDepth(source)) {
    case RenderDepthKind::kExtraPlane:
      engine.SetDepthMap(source.pixels + offset + (planes - 4), planes, source.rowBytes);
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
  const int colourOffset = planes >= 4 ? planes - 3 : 0;
  engine.SetImage(0, planes, region.width, region.height, source.pixels + offset + colourOffset,
                  source.rowBytes);
  engine.SetPattern(0, 3, pattern.width, pattern.height, pattern.pixels, pattern.rowStride);
  engine.SetOutput(0, 3,
                   target.pixels + static_cast<ptrdiff_t>(target.rowStride) * region.bottom +
                       3 * static_cast<ptrdiff_t>(region.left),
                   target.rowStride);
  if (reporter != nullptr) engine.SetProgressReporter(reporter);
  engine.SetOptions(options);
  RenderOutcome outcome;
  outcome.status = engine.Run(values);
  outcome.cancelled = engine.cancelled() != 0;
  return outcome;
}

}  // namespace ulvo
