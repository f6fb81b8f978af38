// The editor thread's Win32 message queue: GetMessage and PeekMessage,
// translation and dispatch, posting, window timers, and the keyboard
// handling of modeless dialogs.
#pragma once

#include <windows.h>

#include "src/editor/message_queue.h"

namespace ulvo::win32 {

class Win32MessageQueue : public MessageQueue {
 public:
  bool NextMessage(Message& msg, int& quitCode) override;
  PeekResult PeekNextMessage(Message& msg, int& quitCode) override;
  void Dispatch(const Message& msg) override;
  bool Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void PostQuit(int exitCode) override;
  bool DialogMessage(WindowId dialog, const Message& msg) override;
  bool SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) override;
  void KillTimer(WindowId window, uintptr_t timerId) override;

 private:
  // The system's message last fetched, whole (time and point included), so
  // that the one being dispatched goes on as it came.
  MSG lastMessage_{};
};

}  // namespace ulvo::win32
