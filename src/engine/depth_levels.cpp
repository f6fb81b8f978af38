#include "src/engine/depth_levels.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace ulvo {

bool PrepareLevels(int large_levels, int max_size, int min_size, int focus_depth, int pattern_width,
                   int pattern_height, DepthLevels* out) {
  const int c = max_size;
  if (c < 0 || min_size < 0 || c <= min_size || large_levels < 1) return false;
  const int m = std::min(large_levels, kMaxLargeLevels);
  const int n = kSmallLevels + m;

  std::vector<LevelGeometry> levels(static_cast<size_t>(n));
  for (int i = 0; i < kSmallLevels; ++i) {
    levels[i].diameter = (i * c) * 0.00390625;
  }
  // The smallest large kernel is one pixel wider than the small ones.
  const int d = levels[kSmallLevels - 1].width + 1;
  for (int i = kSmallLevels; i < n; ++i) {
    LevelGeometry& level = levels[i];
    if (m < 3) {
      level.width = c;
      level.diameter = c;
    } else {
      const int step = i - kSmallLevels;
      level.width = d + (step * (c - d)) / (m - 1);
      level.diameter = d + static_cast<double>(step * (c - d)) / (m - 1);
    }
    if (level.width < d) level.width = d;
    level.height =
        static_cast<int>(static_cast<double>(level.width) * pattern_height / pattern_width);
    if (level.height < d) level.height = d;
  }

  const double per_step = 256.0 / (levels[n - 1].diameter - levels[0].diameter);
  for (int j = 0; j < 256; ++j) {
    const double wanted = std::abs(j - (focus_depth & 0xff)) / per_step;
    double best = 9999999.0;
    int choice = 0;
    for (int k = 0; k < n; ++k) {
      const double distance = std::fabs(wanted - levels[k].diameter);
      if (distance < best) {
        best = distance;
        choice = k;
      }
    }
    out->depth_to_level[j] = choice;
  }
  out->levels = std::move(levels);
  return true;
}

}  // namespace ulvo
