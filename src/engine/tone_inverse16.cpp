#include "src/engine/tone_inverse16.h"

#include <cmath>

#include "src/engine/tone_curve.h"

namespace ulvo {

ToneInverse16::ToneInverse16(double hardness) {
  for (int i = 0; i < 256; ++i) knot_[i] = ToneLight(i, hardness) * kLightUnit;
  for (int k = 0; k < 255; ++k) {
    const double width = knot_[k + 1] - knot_[k];
    per_light_[k] = width > 0.0 && std::isfinite(width) ? 257.0 / width : 0.0;
  }
}

}  // namespace ulvo
