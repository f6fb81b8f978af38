// A deliberately plain, slow render with 32-bit kernel values and 32-bit band
// sums, written independently of the engine. The engine must match it bit for
// bit wherever that arithmetic does not overflow; the reference records
// whether it did, so that a test can tell its settings were valid.
#pragma once

#include <cstdint>
#include <vector>

namespace ulvo::testing {

struct ReferenceScene {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> colour;  // 3 bytes a pixel, rows packed
  std::vector<uint8_t> depth;   // 1 byte a pixel, or empty for no depth map
  int pattern_width = 0;
  int pattern_height = 0;
  std::vector<uint8_t> pattern;  // 3 bytes a pixel, rows packed
  int large_levels = 10;
  int max_blur = 0;
  int focus = 128;
  double hardness = 1.0;
  double brightness = 1.0;
  int skip = 1;
};

struct ReferenceResult {
  std::vector<uint8_t> output;  // 3 bytes a pixel, output order flag 0
  bool overflowed = false;      // a kernel value or band sum left 32 bits
};

ReferenceResult ReferenceRender(const ReferenceScene& scene);

}  // namespace ulvo::testing
