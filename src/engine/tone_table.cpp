#include "src/engine/tone_table.h"

#include <bit>
#include <cmath>
#include <limits>

#include "src/engine/tone_curve.h"

namespace ulvo {
namespace {

constexpr double kMargin = 1e-7;
constexpr int kBucketShift = 48;

double FromBits(uint64_t bits) {
  return std::bit_cast<double>(bits);
}

}  // namespace

ToneTable::ToneTable(double hardness) : hardness_(hardness) {
  usable_ = std::isfinite(hardness) && hardness >= 0.1 && hardness <= 100.0;
  if (!usable_) return;
  // Non-negative doubles are ordered like their bit patterns.
  const uint64_t infinity_bits = std::bit_cast<uint64_t>(std::numeric_limits<double>::infinity());
  first_[0] = 0.0;
  uint64_t lo = 0;
  for (int k = 1; k < 256; ++k) {
    uint64_t hi = infinity_bits;  // InverseTone(inf) = 255
    while (lo < hi) {
      const uint64_t mid = lo + (hi - lo) / 2;
      if (InverseTone(FromBits(mid), hardness) >= k) {
        hi = mid;
      } else {
        lo = mid + 1;
      }
    }
    first_[k] = FromBits(lo);
  }
  for (int k = 0; k < 256; ++k) {
    safe_lo_[k] = k == 0 ? 0.0 : first_[k] * (1.0 + kMargin);
    safe_hi_[k] =
        k == 255 ? std::numeric_limits<double>::infinity() : first_[k + 1] * (1.0 - kMargin);
  }
  bucket_.resize((infinity_bits >> kBucketShift) + 1);
  int k = 0;
  for (size_t b = 0; b < bucket_.size(); ++b) {
    const double start = FromBits(static_cast<uint64_t>(b) << kBucketShift);
    while (k < 255 && first_[k + 1] <= start) ++k;
    bucket_[b] = static_cast<uint8_t>(k);
  }
}

int ToneTable::operator()(double light) const {
  if (!usable_ || !(light >= 0.0) || std::isinf(light)) return InverseTone(light, hardness_);
  int k = bucket_[std::bit_cast<uint64_t>(light) >> kBucketShift];
  while (k < 255 && light >= first_[k + 1]) ++k;
  if (light >= safe_lo_[k] && light < safe_hi_[k]) return k;
  return InverseTone(light, hardness_);
}

}  // namespace ulvo
