// The progress protocol of a render, shared by every driver: which regions
// show progress at all, the report that opens it and the one that closes
// it, the percentages in between and the question that follows a Cancel.
// Only the thread that renders (or waits on the workers) talks to it.
#pragma once

#include "src/engine/progress_reporter.h"

namespace ulvo {

// Progress is shown only for regions larger than 120 × 120 pixels; smaller
// ones render without reports and cannot be cancelled.
bool ProgressShown(int width, int height);

class ProgressTicker {
 public:
  // Without a reporter, or for a region too small to show progress, every
  // call does nothing and the render goes on.
  ProgressTicker(ProgressReporter* reporter, int width, int height);

  bool active() const { return reporter_ != nullptr; }
  bool cancelled() const { return cancelled_; }

  // 0: the render starts; 100: it ended, however it ended.
  void Start();
  void Finish();

  // Before source row y of a render that scatters on the calling thread:
  // reports the row's percentage when it lies in 1..99. False when the user
  // pressed Cancel and confirmed it.
  bool BeforeRow(int y);

  // While workers run, with the rows they have scattered so far: every
  // percentage not reported yet is reported once, in order, up to 99, as a
  // single thread would; with nothing new the last one is repeated so that
  // the dialog stays responsive. A Cancel is asked about only when
  // `cancellable` (while the stripes scatter). False once the user
  // confirmed an abort; nothing is reported after that until Finish.
  bool Poll(int rows_done, bool all_done, bool cancellable);

 private:
  int Percent(int rows) const;

  ProgressReporter* reporter_ = nullptr;
  int height_ = 0;
  int last_reported_ = 0;
  bool cancelled_ = false;
};

}  // namespace ulvo
