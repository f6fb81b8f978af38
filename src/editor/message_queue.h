// The editor thread's message queue: fetching, dispatching and posting
// messages, the quit request, timers, and the keyboard handling of modeless
// dialogs that comes before a message is dispatched.
#pragma once

#include <cstdint>

#include "src/editor/window_messages.h"

namespace ulvo {

enum class PeekResult { kNone, kMessage, kQuit };

class MessageQueue {
 public:
  virtual ~MessageQueue() = default;

  // Waits for the next message of the thread. Returns false when it is the
  // quit message (its exit code in quitCode).
  virtual bool NextMessage(Message& msg, int& quitCode) = 0;
  // The next message if one is waiting, without waiting for one: kNone when
  // the queue is empty, kQuit (with its code, taken off the queue) for the
  // quit message.
  virtual PeekResult PeekNextMessage(Message& msg, int& quitCode) = 0;
  virtual void Dispatch(const Message& msg) = 0;
  virtual bool Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void PostQuit(int exitCode) = 0;

  // Offers a message to a modeless dialog's keyboard handling (Tab, Enter,
  // Esc); true when the dialog took it and it must not be dispatched.
  virtual bool DialogMessage(WindowId dialog, const Message& msg) = 0;

  // A timer that sends the window timer messages (first parameter: timerId)
  // every `milliseconds` until it is killed.
  virtual bool SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) = 0;
  virtual void KillTimer(WindowId window, uintptr_t timerId) = 0;
};

}  // namespace ulvo
