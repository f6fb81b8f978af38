// Depth levels: the quantised blur diameters of a render, their kernel sizes
// and the table that maps a depth value to its level.
#pragma once

#include <array>
#include <vector>

namespace ulvo {

// Levels 0..9 are the small ones: 0 is the focus plane (one pixel), 1..9
// become small Gaussian kernels. The large, aperture-shaped levels follow.
inline constexpr int kSmallLevels = 10;

// Levels 1..9 get a small Gaussian kernel instead of the aperture's shape.
inline bool IsSmallLevel(int level) {
  return level >= 1 && level < kSmallLevels;
}
// Large levels beyond this add nothing but memory; requests are clamped.
inline constexpr int kMaxLargeLevels = 1024;

struct LevelGeometry {
  int width = 1;          // kernel width in pixels
  int height = 1;         // kernel height in pixels
  double diameter = 0.0;  // nominal blur diameter in pixels
};

struct DepthLevels {
  std::vector<LevelGeometry> levels;      // small levels first, then the large ones
  std::array<int, 256> depth_to_level{};  // level index of every depth value
};

// Sets up kSmallLevels + large_levels levels for a largest kernel width of
// max_size pixels, large kernels keeping the pattern's aspect ratio, and maps
// every depth value to the level whose diameter is nearest to
// max_size × |depth − focus| / 256 (the lower index on ties). False, with
// *out unchanged, when max_size <= min_size, a size is negative or
// large_levels < 1.
bool PrepareLevels(int large_levels, int max_size, int min_size, int focus_depth, int pattern_width,
                   int pattern_height, DepthLevels* out);

}  // namespace ulvo
