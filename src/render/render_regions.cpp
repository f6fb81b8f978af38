#include "src/render/render_regions.h"

#include <algorithm>

namespace ulvo {

std::optional<DisplayRegion> PreviewRegion(int column, int row, int previewWidth, int previewHeight,
                                           int width, int height) {
  const int hw = previewWidth / 2;
  const int hh = previewHeight / 2;
  const int left = std::max(column - hw, 0);
  const int right = std::min(column + hw, width);
  const int bottom = std::max(row - hh, 0);
  const int top = std::min(row + hh, height);
  if (right - left <= 0 || top - bottom <= 0) return std::nullopt;
  return DisplayRegion{left, bottom, right - left, top - bottom};
}

int FitFullRunBlur(int maxBlur, int patternWidth, int patternHeight) {
  if (maxBlur > patternWidth) maxBlur = patternWidth - 2;
  if (maxBlur > patternHeight) maxBlur = patternHeight - 2;
  return maxBlur;
}

}  // namespace ulvo
