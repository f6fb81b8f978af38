// How the engine reports progress and learns that the user wants to stop.
// The editor implements it with its progress dialog, the command-line tool
// with a progress bar, tests with a recorder.
#pragma once

namespace ulvo {

class ProgressReporter {
 public:
  virtual ~ProgressReporter() = default;

  // percent 0: a long render starts (open the dialog); 1..99: update, returns
  // false when the user pressed Cancel since the previous report; 100 or more:
  // the render ended (close the dialog). Negative values are ignored.
  virtual bool Report(int percent) = 0;

  // Asked after Report returned false: true when the user confirms the abort.
  virtual bool ConfirmCancel() = 0;
};

}  // namespace ulvo
