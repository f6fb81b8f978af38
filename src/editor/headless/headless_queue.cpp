#include "src/editor/headless/headless_queue.h"

#include <algorithm>

namespace ulvo {

HeadlessQueue::HeadlessQueue(HeadlessWindows& windows, InputSource& input)
    : windows_(windows), input_(input) {
  // A window's timers end with it.
  windows_.OnDestroyed([this](WindowId window) {
    std::erase_if(timers_, [&](const Timer& t) { return t.window == window; });
  });
}

bool HeadlessQueue::SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) {
  if (!windows_.windowExists(window)) return false;
  KillTimer(window, timerId);
  const uint64_t interval = milliseconds == 0 ? 1 : milliseconds;
  timers_.push_back(Timer{window, timerId, interval, now_ + interval});
  return true;
}

void HeadlessQueue::KillTimer(WindowId window, uintptr_t timerId) {
  std::erase_if(timers_, [&](const Timer& t) { return t.window == window && t.id == timerId; });
}

void HeadlessQueue::AdvanceTime(uint64_t milliseconds) {
  now_ += milliseconds;
  for (Timer& timer : timers_) {
    if (timer.due > now_) continue;
    Post(timer.window, kMsgTimer, timer.id, 0);
    while (timer.due <= now_) timer.due += timer.interval;
  }
}

bool HeadlessQueue::NextMessage(Message& msg, int& quitCode) {
  for (;;) {
    if (!queue_.empty()) {
      msg = queue_.front();
      queue_.pop_front();
      if (msg.id == kMsgQuit) {
        quitCode = static_cast<int>(msg.wParam);
        return false;
      }
      return true;
    }
    if (quitPending_) {
      quitPending_ = false;
      msg = Message{0, kMsgQuit, static_cast<uintptr_t>(quitCode_), 0};
      quitCode = quitCode_;
      return false;
    }
    if (!input_.FeedNext()) {
      // Nothing left to drive the editor: end it as a quit would.
      msg = Message{0, kMsgQuit, 0, 0};
      quitCode = 0;
      return false;
    }
  }
}

// Input that can be taken now counts as waiting, as typing does while a long
// task pumps; input that has run out is left for the blocking loop to end.
PeekResult HeadlessQueue::PeekNextMessage(Message& msg, int& quitCode) {
  bool fed = true;
  while (fed && queue_.empty() && !quitPending_) fed = input_.FeedWaiting();
  if (queue_.empty() && !quitPending_) return PeekResult::kNone;
  return NextMessage(msg, quitCode) ? PeekResult::kMessage : PeekResult::kQuit;
}

void HeadlessQueue::Dispatch(const Message& msg) {
  if (msg.window == 0) return;  // thread messages have no window to go to
  windows_.Send(msg.window, msg.id, msg.wParam, msg.lParam);
}

bool HeadlessQueue::Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  queue_.push_back(Message{window, msg, wParam, lParam});
  return true;
}

void HeadlessQueue::PostQuit(int exitCode) {
  quitPending_ = true;
  quitCode_ = exitCode;
}

bool HeadlessQueue::DialogMessage(WindowId /*dialog*/, const Message& /*msg*/) {
  return false;  // the script presses a dialog's buttons with commands
}

}  // namespace ulvo
