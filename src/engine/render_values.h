// The values one render takes: how depth selects a blur and how the light
// of bright pixels is weighted. The editor's commands, the render library
// and the command-line tool all hand these to DefocusEngine::Run.
#pragma once

#include <cstdint>

namespace ulvo {

struct RenderValues {
  // The depth map's part. Without a depth map they are not used: the whole
  // region takes one level as wide as the trimmed pattern.
  int large_levels = 10;  // the "Ndepth" setting: aperture-shaped levels
  int max_blur = 24;      // the widest kernel in pixels
  int focus_depth = 128;  // only the low 8 bits count
  // The highlight curve. The editor holds these in single precision; they
  // arrive here widened.
  double hardness = 1.0;
  double brightness = 1.0;
  // Pixels with wide kernels are scattered only on every skip-th column and
  // row (1: every pixel).
  int16_t skip = 1;
  // Bits of the source's and the result's samples: 8, or 16 (0..65535).
  int sample_bits = 8;
};

}  // namespace ulvo
