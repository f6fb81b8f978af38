#include "src/engine/stripe_worker.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace ulvo {

StripeWorker::StripeWorker(const StripeShared& shared, int index, const ScatterMethod& method)
    : shared_(shared),
      context_(*shared.context),
      in_(shared.context->inputs),
      index_(index),
      rows_(shared.plan->stripes[index]),
      scatter_(method.ForStripe(shared, band_)) {}

bool StripeWorker::Allocate(int max_row_group) {
  const int width = in_.width + shared_.margin_left + shared_.margin_right;
  if (!AllocateBand(rows_.band_rows, width, context_.tone.has_fine, context_.allocator, &band_)) {
    return false;
  }
  return scatter_->Allocate(rows_, max_row_group);
}

// Target row t is complete as far as this stripe goes: written out, or
// first merged with the neighbouring stripe's share.
void StripeWorker::Retire(int t) {
  const int width = in_.width;
  const int planes = shared_.band_planes;
  const int band_row = t % band_.rows;
  scatter_->CompleteRows(t + 1);
  uint64_t* sums[kMaxBandPlanes];
  for (int p = 0; p < planes; ++p) sums[p] = Sums(p, band_row) + shared_.margin_left;

  Boundary* boundary = nullptr;
  const StripePlan& plan = *shared_.plan;
  if (shared_.boundaries != nullptr) {
    if (index_ > 0 && t < rows_.first + plan.dn) {
      boundary = &shared_.boundaries[index_ - 1];
    } else if (index_ + 1 < static_cast<int>(plan.stripes.size()) && t >= rows_.end - plan.up) {
      boundary = &shared_.boundaries[index_];
    }
  }
  bool complete = true;
  if (boundary != nullptr) {
    const int row = t - boundary->first;
    std::lock_guard<std::mutex> lock(boundary->mutex);
    for (int p = 0; p < planes; ++p) {
      uint64_t* shared = boundary->sums.get() + (static_cast<size_t>(p) * boundary->rows + row) *
                                                    static_cast<size_t>(width);
      if (boundary->arrived[row]) {
        for (int x = 0; x < width; ++x) sums[p][x] += shared[x];
      } else {
        std::memcpy(shared, sums[p], static_cast<size_t>(width) * sizeof(uint64_t));
      }
    }
    complete = boundary->arrived[row] != 0;
    boundary->arrived[row] = 1;
  }
  if (complete) {
    BandRow row;
    for (int c = 0; c < 3; ++c) {
      row.colour[c] = sums[c];
      if (planes > kFinePlane) row.fine[c] = sums[kFinePlane + c];
    }
    row.weight = sums[kWeightPlane];
    RowBackup* backup = shared_.backup;
    if (backup != nullptr && backup->active()) backup->Keep(t);
    WriteBandRow(row, in_.output, context_.flush, t, shared_.tone_table, shared_.inverse16);
    if (backup != nullptr && backup->active()) backup->MarkWritten(t);
  }
  for (int p = 0; p < planes; ++p) {
    std::memset(Sums(p, band_row), 0, static_cast<size_t>(band_.width) * sizeof(uint64_t));
  }
}

bool StripeWorker::Run(const std::function<bool(int)>& before_row, int row_group) {
  const int width = in_.width;
  const int up = shared_.plan->up;
  const bool deferred = shared_.plan->deferred;
  const int block = shared_.block_columns;
  int next = rows_.lo;
  // Groups of rows, block by block of columns: the band rows a block reaches
  // then stay in the processor's cache while the group is added into them.
  for (int y0 = rows_.first; y0 < rows_.end; y0 += row_group) {
    const int y1 = std::min(y0 + row_group, rows_.end);
    if (before_row) {
      for (int y = y0; y < y1; ++y) {
        if (!before_row(y)) return false;
      }
    }
    for (int x0 = 0; x0 < width; x0 += block) {
      if (shared_.stop->load(std::memory_order_relaxed)) return false;
      const int x1 = std::min(x0 + block, width);
      for (int y = y0; y < y1; ++y) scatter_->ScatterRow(y, x0, x1);
    }
    shared_.rows_done->fetch_add(y1 - y0, std::memory_order_relaxed);
    // Rows no later source row of the stripe reaches.
    scatter_->CompleteRows(std::min(y1 - up, rows_.hi));
    if (!deferred) {
      for (; next <= y1 - 1 - up && next < rows_.hi; ++next) Retire(next);
    }
  }
  scatter_->CompleteRows(rows_.hi);
  if (!deferred) {
    for (; next < rows_.hi; ++next) Retire(next);
  }
  return true;
}

void StripeWorker::RetireAll() {
  for (int t = rows_.lo; t < rows_.hi; ++t) Retire(t);
}

}  // namespace ulvo
