// The headless platform's message queue: messages in memory, handed to the
// window table's objects; input from an InputSource when it runs dry. Time
// stands still except when input lets it pass, and timers that fall due then
// fire once each, as coalesced timer messages do.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "src/editor/headless/headless_windows.h"
#include "src/editor/headless/input_source.h"
#include "src/editor/message_queue.h"

namespace ulvo {

class HeadlessQueue : public MessageQueue {
 public:
  HeadlessQueue(HeadlessWindows& windows, InputSource& input);

  bool NextMessage(Message& msg, int& quitCode) override;
  PeekResult PeekNextMessage(Message& msg, int& quitCode) override;
  void Dispatch(const Message& msg) override;
  bool Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void PostQuit(int exitCode) override;
  bool DialogMessage(WindowId dialog, const Message& msg) override;
  bool SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) override;
  void KillTimer(WindowId window, uintptr_t timerId) override;

  void AdvanceTime(uint64_t milliseconds);

  size_t pendingMessages() const { return queue_.size(); }

 private:
  struct Timer {
    WindowId window = 0;
    uintptr_t id = 0;
    uint64_t interval = 0;
    uint64_t due = 0;
  };

  HeadlessWindows& windows_;
  InputSource& input_;
  std::deque<Message> queue_;
  bool quitPending_ = false;
  int quitCode_ = 0;
  uint64_t now_ = 0;
  std::vector<Timer> timers_;
};

}  // namespace ulvo
