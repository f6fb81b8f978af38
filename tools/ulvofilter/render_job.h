// One render of an image file's pixels, calling the engine the way the
// filter's editor does: the image in the filter's display order (rows
// bottom-up, the bytes of each pixel reversed), the aperture pattern as the
// loader's bottom-up bitmap, the result in a bottom-up BGR display bitmap.
// Because image and pattern are both bottom-up, the aperture appears upright
// in the result, as it does in the filter.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "src/engine/defocus_engine.h"
#include "src/engine/render_values.h"
#include "src/imageio/image_file.h"
#include "src/imageio/pattern_loader.h"
#include "src/render/job_render.h"
#include "tools/ulvofilter/handoff_depth.h"

namespace ulvo {

// What the tool asks of one render.
struct RenderRequest {
  RenderValues values;  // the render takes them as EditorValues gives them
  // Render only this rectangle, as a preview does (rows counted from the
  // bottom, see RegionFromTop).
  std::optional<DisplayRegion> region;
  int threads = 0;  // engine threads; 0: one per hardware thread
  // The depth map has 255 near: every depth value d of the image is used as
  // 255 - d (the padding columns beyond the image stay at depth 0).
  bool invertDepth = false;
};

struct RenderReport {
  RenderStatus status = RenderStatus::kDone;
  int maxBlurUsed = 0;  // after fitting it to the pattern
  bool usedDepth = false;
};

// The values a render with `pattern` takes, as the filter's editor holds
// them in a full run: the maximum blur fitted to the pattern, hardness and
// brightness in single precision.
RenderValues EditorValues(const RenderValues& values, const PatternBitmap& pattern);

// The image's own depth channel (its first after the colour) when it has
// one and no plane is given.
RenderDepthKind ChooseDepthSource(const Image& image, const DepthPlane* plane);

// Renders the colour channels of `image` in place; extra channels are kept.
// `plane`, when given, must match the image's size. Returns true when
// `image` holds a result (a completed render, or the unchanged image when the
// maximum blur is too small to blur anything); false after cancellation or
// failure, with `image` untouched and the reason in `error`.
bool RenderImage(Image& image, const DepthPlane* plane, const PatternBitmap& pattern,
                 const RenderRequest& request, ProgressReporter* reporter, RenderReport& report,
                 std::string& error);

// The rectangle x, y, width, height of a width × height image, y counted
// from its top row as the tool's users give it, as the region a render
// covers; false with a message naming it when it is empty or reaches
// outside the image.
bool RegionFromTop(const std::array<int, 4>& rectangle, int width, int height,
                   DisplayRegion& region, std::string& error);

// The first channel of a grey image as a display-order depth plane.
bool DepthPlaneFromImage(const Image& grey, DepthPlane& out, std::string& error);

}  // namespace ulvo
