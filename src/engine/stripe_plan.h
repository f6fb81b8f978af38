// How a threaded render cuts its region into horizontal stripes: one per
// worker thread, each scattering its own source rows into a band of its own
// that covers the stripe and the kernels' reach above and below it. Pure
// arithmetic, no memory is touched.
#pragma once

#include <cstdint>
#include <vector>

namespace ulvo {

struct StripePlanRequest {
  int width = 0;
  int height = 0;
  int up = 0;  // kernel rows above a source row, at most
  int dn = 0;  // kernel rows below it, at most
  int threads = 1;
  int64_t threaded_min_pixels = 0;  // smaller regions render on one thread
  uint64_t band_row_bytes = 0;      // one band row of every plane
  uint64_t band_budget = 0;         // the bands of all stripes together stay below this
  int row_group = 1;                // source rows a stripe scatters before retiring rows
};

// Source rows [first, end) scattered into a band that covers the target
// rows [lo, hi) they reach; target row t lives in band row t mod band_rows.
struct StripeRows {
  int first = 0;
  int end = 0;
  int lo = 0;
  int hi = 0;
  int band_rows = 1;
};

struct StripePlan {
  // Rows are written only after every row was scattered: regions of up to
  // 512 rows, which the reference driver also holds in one band.
  bool deferred = false;
  std::vector<StripeRows> stripes;
  // Target rows that the stripes on both sides of a boundary reach: the
  // boundary below stripe j covers rows [BoundaryFirst(j), + shared_rows).
  int shared_rows = 0;
  int up = 0;  // the request's reach above and below a source row
  int dn = 0;

  int BoundaryFirst(int j) const { return stripes[j + 1].first - up; }
};

// At most `threads` stripes: one for regions below threaded_min_pixels,
// none shorter than the kernels' reach (or 16 rows), and as many fewer as
// it takes to keep the bands within the budget.
StripePlan PlanStripes(const StripePlanRequest& request);

// The whole region as one stripe.
StripePlan PlanOneStripe(const StripePlanRequest& request);

}  // namespace ulvo
