// Checks of the caller's inputs, made once before any pixel work, and the
// pattern window that keeps kernels no larger than a small render region.
#pragma once

#include "src/engine/render_inputs.h"

namespace ulvo {

enum class InputProblem {
  kNone,
  // Empty region, no image or output to work with, samples of a size other
  // than 8 or 16 bits, or source or output pixels narrower than their three
  // samples.
  kNothingToRender,
  kNoPattern,  // no pattern pixels at all
};

InputProblem CheckInputs(const RenderInputs& inputs);

// When the maximum blur exceeds the region's width or height, narrows the
// pattern to the region's size, centred, in each dimension in which the
// pattern is larger than the region.
PatternSource PatternWindow(const PatternSource& pattern, int max_blur, int width, int height);

}  // namespace ulvo
