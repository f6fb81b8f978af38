// The headless windows as the script player sees and handles them: its
// PlayerScreen, made of the window table, the controls and the queue.
#pragma once

#include "src/editor/headless/headless_controls.h"
#include "src/editor/headless/headless_queue.h"
#include "src/editor/headless/headless_windows.h"
#include "src/editor/headless/player_screen.h"

namespace ulvo {

class HeadlessScreen : public PlayerScreen {
 public:
  HeadlessScreen(HeadlessWindows& windows, HeadlessControls& controls, HeadlessQueue& queue)
      : windows_(windows), controls_(controls), queue_(queue) {}

  WindowId frame() const override { return windows_.frameWindow(); }
  WindowId view() const override { return windows_.viewWindow(); }
  void Post(const Message& msg) override {
    queue_.Post(msg.window, msg.id, msg.wParam, msg.lParam);
  }
  void PassTime(uint64_t milliseconds) override { queue_.AdvanceTime(milliseconds); }
  bool EditorBusy() const override { return windows_.editorBusy(); }
  WindowId BusyDialog() const override { return windows_.BusyDialog(); }
  int DialogTemplate(WindowId dialog) const override { return windows_.DialogTemplate(dialog); }
  void Choose(int control, int index) override { controls_.Choose(control, index); }
  void Type(int control, const std::string& text) override { controls_.Type(control, text); }
  void Drop(int control) override { controls_.Drop(control); }
  void LogStatusBar() override { controls_.LogStatusBar(); }
  void PaintView(Canvas& canvas) override { windows_.Paint(windows_.viewWindow(), canvas); }

 private:
  HeadlessWindows& windows_;
  HeadlessControls& controls_;
  HeadlessQueue& queue_;
};

}  // namespace ulvo
