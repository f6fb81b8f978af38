#include "src/engine/stripe_plan.h"

#include <algorithm>

namespace ulvo {
namespace {

constexpr int kMinStripeRows = 16;
constexpr int kMaxThreads = 64;

bool Deferred(const StripePlanRequest& r) {
  return r.height <= 512;
}

int BandRowsOf(const StripePlanRequest& r, bool deferred, const StripeRows& s) {
  const int rows = deferred ? s.hi - s.lo : std::min(s.hi - s.lo, r.up + r.dn + r.row_group);
  return std::max(rows, 1);
}

// Band bytes of n stripes, with the rows the boundaries share.
uint64_t BandBytes(const StripePlanRequest& r, bool deferred, int n) {
  const uint64_t reach = static_cast<uint64_t>(r.up + r.dn);
  const uint64_t rows = deferred ? static_cast<uint64_t>(r.height) + n * reach
                                 : static_cast<uint64_t>(n) * (reach + r.row_group);
  return (rows + static_cast<uint64_t>(n - 1) * reach) * r.band_row_bytes;
}

StripePlan Plan(const StripePlanRequest& r, int threads) {
  StripePlan plan;
  plan.deferred = Deferred(r);
  plan.up = r.up;
  plan.dn = r.dn;
  plan.shared_rows = threads > 1 ? r.up + r.dn : 0;
  plan.stripes.resize(static_cast<size_t>(threads));
  for (int i = 0; i < threads; ++i) {
    StripeRows& s = plan.stripes[i];
    s.first = static_cast<int>(static_cast<int64_t>(r.height) * i / threads);
    s.end = static_cast<int>(static_cast<int64_t>(r.height) * (i + 1) / threads);
    s.lo = std::max(0, s.first - r.up);
    s.hi = std::min(r.height, s.end + r.dn);
    s.band_rows = BandRowsOf(r, plan.deferred, s);
  }
  return plan;
}

}  // namespace

StripePlan PlanStripes(const StripePlanRequest& r) {
  int threads = std::clamp(r.threads, 1, kMaxThreads);
  if (static_cast<int64_t>(r.width) * r.height < r.threaded_min_pixels) threads = 1;
  threads = std::max(1, std::min(threads, r.height / std::max(r.up + r.dn, kMinStripeRows)));
  while (threads > 1 && BandBytes(r, Deferred(r), threads) > r.band_budget) --threads;
  return Plan(r, threads);
}

StripePlan PlanOneStripe(const StripePlanRequest& r) {
  return Plan(r, 1);
}

}  // namespace ulvo
