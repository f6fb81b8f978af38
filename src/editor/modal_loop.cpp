#include "src/editor/modal_loop.h"

namespace ulvo {

bool PumpWaitingMessages(EditorPlatform& platform,
                         const std::function<bool(const Message&)>& preTranslate) {
  Message msg;
  int quitCode = 0;
  for (;;) {
    switch (platform.PeekNextMessage(msg, quitCode)) {
      case PeekResult::kNone:
        return true;
      case PeekResult::kQuit:
        platform.PostQuit(quitCode);
        return false;
      case PeekResult::kMessage:
        if (!preTranslate || !preTranslate(msg)) platform.Dispatch(msg);
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
    if (!platform_.NextMessage(msg, quitCode)) {
      // Leave the quit request for the loop that owns the thread.
      platform_.PostQuit(quitCode);
      result_ = -1;
      break;
    }
    if (!preTranslate_ || !preTranslate_(msg)) platform_.Dispatch(msg);
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
