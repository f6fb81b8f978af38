#include "src/engine/progress_ticker.h"

#include <algorithm>

namespace ulvo {

bool ProgressShown(int width, int height) {
  return width > 120 && height > 120;
}

ProgressTicker::ProgressTicker(ProgressReporter* reporter, int width, int height)
    : reporter_(ProgressShown(width, height) ? reporter : nullptr), height_(height) {}

void ProgressTicker::Start() {
  if (reporter_ != nullptr) reporter_->Report(0);
}

void ProgressTicker::Finish() {
  if (reporter_ != nullptr) reporter_->Report(100);
}

int ProgressTicker::Percent(int rows) const {
  return static_cast<int>(rows * 100.0 / height_);
}

bool ProgressTicker::BeforeRow(int y) {
  if (reporter_ == nullptr) return true;
  const int percent = Percent(y);
  if (percent > 0 && percent < 100 && !reporter_->Report(percent) && reporter_->ConfirmCancel()) {
    cancelled_ = true;
  }
  return !cancelled_;
}

bool ProgressTicker::Poll(int rows_done, bool all_done, bool cancellable) {
  if (reporter_ == nullptr || cancelled_) return !cancelled_;
  const int percent = Percent(rows_done);
  bool go_on = true;
  if (percent > last_reported_) {
    for (int p = last_reported_ + 1; p <= std::min(percent, 99) && go_on; ++p) {
      go_on = reporter_->Report(p);
      last_reported_ = p;
    }
  } else if (!all_done && last_reported_ > 0) {
    go_on = reporter_->Report(last_reported_);
  }
  if (!go_on && cancellable && reporter_->ConfirmCancel()) cancelled_ = true;
  return !cancelled_;
}

}  // namespace ulvo
