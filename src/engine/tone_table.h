// A lookup table for the inverse tone curve that gives exactly what
// InverseTone gives. The curve is monotonic and its 8-bit result changes at
// 255 points; the table holds the smallest light that reaches each result,
// found by bisection on the curve itself. Light close to such a point
// (within a relative 1e-7, far wider than the rounding error of the curve's
// logarithm and arc tangent, far narrower than a step of the result) is
// handed to InverseTone, so that rounding can never make the table differ.
#pragma once

#include <cstdint>
#include <vector>

namespace ulvo {

class ToneTable {
 public:
  // Unusable (every value goes to InverseTone) for hardness values outside
  // the range in which the margin above is proven wide enough.
  explicit ToneTable(double hardness);

  int operator()(double light) const;
  // The same, trying first the result of the previous light: neighbouring
  // pixels mostly share it. `last` starts at 0.
  int Near(double light, int& last) const {
    if (light >= safe_lo_[last] && light < safe_hi_[last]) return last;
    // Smooth images mostly step by one.
    if (last < 255 && light >= safe_lo_[last + 1] && light < safe_hi_[last + 1]) return ++last;
    if (last > 0 && light >= safe_lo_[last - 1] && light < safe_hi_[last - 1]) return --last;
    const int k = (*this)(light);
    last = k;
    return k;
  }

 private:
  double hardness_;
  bool usable_ = false;
  double first_[256];    // smallest light giving at least k (first_[0] = 0)
  double safe_lo_[256];  // light in [safe_lo_[k], safe_hi_[k]) gives k
  double safe_hi_[256];
  // Result at the start of each bucket of the light's top 20 bits (sign,
  // exponent and eight bits of the fraction), from the bucket of the first
  // step to that of the last.
  std::vector<uint8_t> bucket_;
  uint64_t first_bucket_ = 0;
  uint64_t last_bucket_ = 0;
};

}  // namespace ulvo
