// The application level of the editor: the last stop of command routing and
// the filter that every fetched message passes before it is dispatched.
#pragma once

#include <cstdint>

#include "src/editor/command_target.h"
#include "src/editor/modal_dialogs.h"

namespace ulvo {

class CUlvoPiFrame;

class EditorApp : public CommandTarget {
 public:
  explicit EditorApp(ModalDialogs& dialogs) : dialogs_(dialogs) {}

  // True when the message is consumed and must not be dispatched: close and
  // quit requests never reach a window, so only finish and cancel end the
  // editor. No accelerators are translated; keys reach the focused window.
  bool PreTranslateMessage(const Message& msg) const;

  // Commands nobody below handled. The about command shows the about box
  // over the main window; the exit command is swallowed so that nothing
  // closes the editor behind the view's back.
  bool OnCommand(uint32_t id) override;

  // The frame of the running editor and the window that owns the editor's
  // other top-level windows (the frame), both set by the editor start-up.
  void SetRunningFrame(CUlvoPiFrame* frame) { runningFrame_ = frame; }
  CUlvoPiFrame* runningFrame() const { return runningFrame_; }
  void SetMainWindow(WindowId window) { mainWindow_ = window; }
  WindowId mainWindow() const { return mainWindow_; }

 private:
  ModalDialogs& dialogs_;
  CUlvoPiFrame* runningFrame_ = nullptr;
  WindowId mainWindow_ = 0;
};

}  // namespace ulvo
