#include "src/engine/tone_table.h"

#include <bit>
#include <cmath>
#include <limits>
#include <new>

#include "src/engine/tone_curve.h"

namespace ulvo {
namespace {

constexpr double kMargin = 1e-7;
constexpr int kBucketShift = 44;  // sign, exponent and 8 bits of the fraction

double FromBits(uint64_t bits) {
  return std::bit_cast<double>(bits);
}

}  // namespace

ToneTable::ToneTable(double hardness) : hardness_(hardness) {
  usable_ = std::isfinite(hardness) && hardness >= 0.1 && hardness <= 100.0;
  for (int k = 0; k < 256; ++k) {  // empty ranges until filled below
    first_[k] = 0.0;
    safe_lo_[k] = 1.0;
    safe_hi_[k] = 0.0;
  }
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
  // Buckets cover the lights between the first and the last step only.
  first_bucket_ = std::bit_cast<uint64_t>(first_[1]) >> kBucketShift;
  last_bucket_ = std::bit_cast<uint64_t>(first_[255]) >> kBucketShift;
  try {
    bucket_.resize(last_bucket_ - first_bucket_ + 1);  // under a megabyte
  } catch (const std::bad_alloc&) {
    usable_ = false;
    return;
  }
  int k = 0;
  for (size_t b = 0; b < bucket_.size(); ++b) {
    const double start = FromBits((first_bucket_ + b) << kBucketShift);
    while (k < 255 && first_[k + 1] <= start) ++k;
    bucket_[b] = static_cast<uint8_t>(k);
  }
}

int ToneTable::operator()(double light) const {
  if (!usable_ || !(light >= 0.0) || std::isinf(light)) return InverseTone(light, hardness_);
  const uint64_t b = std::bit_cast<uint64_t>(light) >> kBucketShift;
  int k = b < first_bucket_ ? 0 : b > last_bucket_ ? 255 : bucket_[b - first_bucket_];
  while (k < 255 && light >= first_[k + 1]) ++k;
  if (light >= safe_lo_[k] && light < safe_hi_[k]) return k;
  return InverseTone(light, hardness_);
}

}  // namespace ulvo
