// The inverse tone curve of 16-bit renders. A 16-bit sample v = 257 i + a
// (a in 0..256) carries the light of 8-bit intensity i and i + 1 mixed
// linearly, (257 − a) : a, so that the light of a sample is the curve's
// light drawn straight between its values at whole intensities. The
// inverse undoes exactly that: it finds the 8-bit step of a light as the
// 8-bit output does (InverseTone or its table) and interpolates inside the
// step between the lights of its two ends. A uniform region therefore comes
// back as itself, and a result divided by 257 is within one of the 8-bit
// result of the same light.
#pragma once

namespace ulvo {

class ToneInverse16 {
 public:
  explicit ToneInverse16(double hardness);

  // The 16-bit value 0..65535 of `light` (in the units InverseTone takes),
  // whose 8-bit step is `step` (0..255).
  int Sample(double light, int step) const {
    const int k = step < 255 ? (step > 0 ? step : 0) : 254;
    const double v = 257.0 * k + (light - knot_[k]) * per_light_[k];
    if (!(v > 0.0)) return 0;  // also catches NaN
    if (v >= 65534.5) return 65535;
    return static_cast<int>(v + 0.5);
  }

  // The light of intensity i (0..255), the ends of the steps.
  double knot(int i) const { return knot_[i]; }

 private:
  double knot_[256];
  double per_light_[255];  // 257 / (knot_[k + 1] − knot_[k]), 0 for an empty step
};

}  // namespace ulvo
