#include "src/engine/input_checks.h"

namespace ulvo {

InputProblem CheckInputs(const RenderInputs& in) {
  if (in.sample_bytes != 1 && in.sample_bytes != 2) return InputProblem::kNothingToRender;
  // A pixel narrower than its three samples would read and write past the
  // last pixel of a row.
  const int samples_bytes = 3 * in.sample_bytes;
  if (in.width <= 0 || in.height <= 0 || in.colour == nullptr || in.output.base == nullptr ||
      in.source_pixel_stride < samples_bytes || in.output.pixel_stride < samples_bytes) {
    return InputProblem::kNothingToRender;
  }
  const PatternSource& p = in.pattern;
  if (p.pixels == nullptr || p.width <= 0 || p.height <= 0 || p.planes < 1) {
    return InputProblem::kNoPattern;
  }
  return InputProblem::kNone;
}

PatternSource PatternWindow(const PatternSource& pattern, int max_blur, int width, int height) {
  PatternSource window = pattern;
  if (max_blur <= width && max_blur <= height) return window;
  if (pattern.width > width) {
    window.pixels += static_cast<ptrdiff_t>(pattern.planes) * (pattern.width / 2 - width / 2);
    window.width = width;
  }
  if (pattern.height > height) {
    window.pixels += static_cast<ptrdiff_t>(pattern.row_stride) * (pattern.height / 2 - height / 2);
    window.height = height;
  }
  return window;
}

}  // namespace ulvo
