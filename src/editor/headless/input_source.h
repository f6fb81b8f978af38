// Where the headless message queue takes its input from when it has run
// dry: the script player. The queue knows nothing else of the script.
#pragma once

namespace ulvo {

class InputSource {
 public:
  virtual ~InputSource() = default;

  // Turns the next step into input; false when there is none left, and the
  // editor then ends as on a quit.
  virtual bool FeedNext() = 0;
  // The same for a step that is taken while long work pumps the waiting
  // input (a busy editor takes only some); false when there is none. This
  // never ends the script.
  virtual bool FeedWaiting() = 0;
};

}  // namespace ulvo
