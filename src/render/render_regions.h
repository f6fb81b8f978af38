// The arithmetic of what a render covers: the preview's rectangle around a
// clicked pixel, and the fit of the widest blur to the aperture pattern
// before a full run.
#pragma once

#include <optional>

#include "src/render/job_render.h"

namespace ulvo {

// The preview rectangle around pixel (column, bottom-up row) of a picture
// width × height: half the preview size (truncated) to each side, cut at the
// picture's edges (right and top exclusive). Nothing when it comes out
// empty.
std::optional<DisplayRegion> PreviewRegion(int column, int row, int previewWidth, int previewHeight,
                                           int width, int height);

// The widest blur of a full run: above the pattern's width it becomes the
// width - 2, then above its height the height - 2.
int FitFullRunBlur(int maxBlur, int patternWidth, int patternHeight);

}  // namespace ulvo
