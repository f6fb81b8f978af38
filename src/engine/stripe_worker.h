// One stripe of a threaded render: scatters its source rows into a band of
// its own through the render's scatter (stripe_scatter.h) and writes each
// target row once it is complete. Rows near a stripe boundary are reached
// by both neighbouring stripes: the first to finish such a row leaves its
// sums in the boundary, the second adds them to its own and writes the
// row. Sums are integers, so the order of the additions does not matter
// and the bytes are the same for any cut.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "src/engine/band_output.h"
#include "src/engine/render_context.h"
#include "src/engine/stripe_plan.h"
#include "src/engine/stripe_scatter.h"
#include "src/engine/stripe_shared.h"

namespace ulvo {

class StripeWorker {
 public:
  StripeWorker(const StripeShared& shared, int index, const ScatterMethod& method);

  bool Allocate(int max_row_group);
  // Scatters the stripe's source rows in groups of row_group (at most
  // max_row_group given to Allocate); unless writing is deferred, writes
  // each target row as soon as no later source row of the stripe reaches
  // it. before_row, when set, is asked before each row whether to go on.
  // False when stopped.
  bool Run(const std::function<bool(int)>& before_row, int row_group);
  // Writes every target row of the stripe (deferred writing).
  void RetireAll();
  uint64_t cells() const { return scatter_->cells(); }

 private:
  void Retire(int t);
  uint64_t* Sums(int plane, int band_row) {
    return band_.plane(plane) + static_cast<size_t>(band_row) * band_.width;
  }

  const StripeShared& shared_;
  const RenderContext& context_;
  const RenderInputs& in_;
  const int index_;
  const StripeRows& rows_;
  Band band_;
  const std::unique_ptr<StripeScatter> scatter_;  // adds into band_
};

}  // namespace ulvo
