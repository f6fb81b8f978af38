#include "src/editor/modal_loop.h"

namespace ulvo {

bool PumpWaitingMessages(MessageQueue& queue,
                         const std::function<bool(const Message&)>& preTranslate) {
  Message msg;
  int quitCode = 0;
  for (;;) {
    switch (queue.PeekNextMessage(msg, quitCode)) {
      case PeekResult::kNone:
        return true;
      case PeekResult::kQuit:
        queue.PostQuit(quitCode);
        return false;
      case PeekResult::kMessage:
        if (!preTranslate || !preTranslate(msg)) queue.Dispatch(msg);
        break;
    }
  }
}

int ModalLoop::Run() {
  running_ = true;
  result_ = -1;
  Message msg;
  int quitCode = 0;
  while (running_) {
    if (!queue_.NextMessage(msg, quitCode)) {
      // Leave the quit request for the loop that owns the thread.
      queue_.PostQuit(quitCode);
      result_ = -1;
      break;
    }
    if (!preTranslate_ || !preTranslate_(msg)) queue_.Dispatch(msg);
    if (msg.id == endMessage_) break;
  }
  running_ = false;
  return result_;
}

void ModalLoop::End(int result) {
  result_ = result;
  running_ = false;
}

}  // namespace ulvo
