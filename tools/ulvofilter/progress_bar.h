// Progress of a render on the terminal, and cancellation by Ctrl-C: the
// signal handler only sets a flag, which the next progress report turns into
// a cancel request.
#pragma once

#include <atomic>
#include <cstdio>

#include "src/engine/progress_reporter.h"

namespace ulvo {

class ProgressBar : public ProgressReporter {
 public:
  // Draws on `stream` when `draw` is set (stderr is a terminal); `cancel` may
  // be null when nothing can cancel.
  ProgressBar(std::FILE* stream, bool draw, const std::atomic<bool>* cancel)
      : stream_(stream), draw_(draw), cancel_(cancel) {}

  bool Report(int percent) override;
  bool ConfirmCancel() override { return true; }  // Ctrl-C needs no second question

 private:
  void Draw(int percent);

  std::FILE* stream_;
  bool draw_;
  const std::atomic<bool>* cancel_;
  bool open_ = false;
  int lastDrawn_ = -1;
};

// Installs the Ctrl-C handler that sets `CancelRequested()`; a second Ctrl-C
// ends the program at once.
void InstallInterruptHandler();
const std::atomic<bool>& CancelRequested();

// Whether stderr goes to a terminal.
bool StderrIsTerminal();

}  // namespace ulvo
