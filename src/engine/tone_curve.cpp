#include "src/engine/tone_curve.h"

#include <cmath>

#include "src/engine/portable_math.h"

namespace ulvo {

bool UsesExponentialCurve(double hardness) {
  return hardness >= 1.55;
}

double ToneLight(int intensity, double hardness) {
  if (UsesExponentialCurve(hardness)) {
    return math::Pow(10.0, hardness * 0.011764705882352941 * intensity - 2.0);
  }
  return 20.0 *
         math::Pow(10.0,
                   math::Tan((intensity - 135) * 0.006666666666666667) / (0.65 / hardness) - 1.4);
}

int InverseTone(double light, double hardness) {
  if (light == 0.0) return 0;
  double value;
  if (UsesExponentialCurve(hardness)) {
    value = (255.0 / (3.0 * hardness)) * (math::Log10(light * 2e-8) + 2.0);
  } else {
    value = 150.0 * math::Atan((math::Log10(light * 1e-9) + 1.4) * 0.65 / hardness) + 135.0;
  }
  if (!(value > 0.0)) return 0;  // also catches NaN
  // White maps exactly onto 255; rounding in the light sums must not turn a
  // hair below it into 254.
  if (value > 255.0 - 1e-3) return 255;
  return static_cast<int>(value);
}

int KernelScaleShift(double max_total) {
  int shift = 0;
  while (std::ldexp(max_total, -shift) > 4294967295.0 && shift < 1100) ++shift;
  return shift;
}

int BandScaleShift(double white_total, int levels) {
  const double bound = white_total * (levels > 1 ? levels : 1);
  int shift = 0;
  while (std::ldexp(bound, -shift) > 36028797018963968.0 && shift < 1100) ++shift;  // 2^55
  return shift;
}

namespace {

// The smallest k, negative if need be, with value / 2^k <= limit; `shift`
// is the smallest such k >= 0. Held above −1100 for absurd settings.
int FinestShift(double value, double limit, int shift) {
  if (shift > 0 || !(value > 0.0)) return shift;
  while (shift > -1100 && std::ldexp(value, -(shift - 1)) <= limit) --shift;
  return shift;
}

}  // namespace

int FinestKernelShift(double max_total) {
  return FinestShift(max_total, 4294967295.0, KernelScaleShift(max_total));
}

int FinestBandShift(double white_total, int levels) {
  const double bound = white_total * (levels > 1 ? levels : 1);
  return FinestShift(bound, 36028797018963968.0, BandScaleShift(white_total, levels));
}

int FineScaleShift(double light, double units) {
  if (!(light > 0.0) || !(units > 0.0)) return 0;
  int shift = std::ilogb(light / units);  // 2^shift <= light / units < 2^(shift + 1)
  while (std::ldexp(light, -shift) < units) --shift;
  return shift;
}

}  // namespace ulvo
