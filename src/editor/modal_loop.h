// A nested message loop on the editor's thread. It fetches the thread's
// messages, lets a filter consume some, dispatches the rest, and ends when
// asked to, after a message with the end id has been dispatched (whatever
// window it was for), or when the quit message arrives; the quit request is
// then posted again so that the loop owning the thread sees it too.
#pragma once

#include <cstdint>
#include <functional>

#include "src/editor/message_queue.h"

namespace ulvo {

// Hands out every message already waiting (the filter as in ModalLoop)
// without waiting for more: for long work on the editor's thread that keeps
// its windows alive. False when the quit message came; it is posted again
// for the loop that owns the thread, and the caller should stop.
bool PumpWaitingMessages(MessageQueue& queue,
                         const std::function<bool(const Message&)>& preTranslate);

class ModalLoop {
 public:
  // Returns true when the message is consumed and must not be dispatched.
  using PreTranslate = std::function<bool(const Message&)>;

  ModalLoop(MessageQueue& queue, PreTranslate preTranslate, uint32_t endMessage)
      : queue_(queue), preTranslate_(std::move(preTranslate)), endMessage_(endMessage) {}

  // Runs until the loop ends; returns the result given to End, or -1.
  int Run();
  // Ends the loop after the message being dispatched now.
  void End(int result);
  bool running() const { return running_; }

 private:
  MessageQueue& queue_;
  PreTranslate preTranslate_;
  uint32_t endMessage_;
  bool running_ = false;
  int result_ = -1;
};

}  // namespace ulvo
