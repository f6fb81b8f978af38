// The editor's document. It holds no data of its own; it exists so that the
// frame can ask whether it may close (never) and as a last handler of the
// exit command.
#pragma once

#include <cstdint>

#include "src/editor/command_target.h"
#include "src/editor/message_queue.h"

namespace ulvo {

class CUlvoFilterView;

class CUlvoPiDoc : public CommandTarget {
 public:
  explicit CUlvoPiDoc(MessageQueue& queue) : queue_(queue) {}

  bool OnNewDocument() { return true; }

  // Never prompts: the document is never modified.
  bool SaveModified() { return true; }
  // The frame may never close on a close request: the editor ends only by
  // finishing or cancelling.
  bool CanCloseFrame() {
    SaveModified();
    return false;
  }

  bool IsModified() const { return modified_; }
  void SetModifiedFlag(bool modified) { modified_ = modified; }

  // The exit command, reached only when the view did not handle it: ends the
  // editor without touching the job's outcome.
  bool OnCommand(uint32_t id) override;

  void SetView(CUlvoFilterView* view) { view_ = view; }
  CUlvoFilterView* view() const { return view_; }
  void RecordActiveWindow(WindowId window) { activeWindow_ = window; }
  WindowId activeWindow() const { return activeWindow_; }

 private:
  MessageQueue& queue_;
  CUlvoFilterView* view_ = nullptr;
  WindowId activeWindow_ = 0;
  bool modified_ = false;
};

}  // namespace ulvo
