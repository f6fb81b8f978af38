// What the script player may see of the headless windows and do to them, as
// a user at the screen would: its only way into the fake window system.
#pragma once

#include <cstdint>
#include <string>

#include "src/editor/canvas.h"
#include "src/editor/window_messages.h"

namespace ulvo {

class PlayerScreen {
 public:
  virtual ~PlayerScreen() = default;

  // The editor's frame and view (0 while there is none).
  virtual WindowId frame() const = 0;
  virtual WindowId view() const = 0;
  // Puts input into the thread's queue.
  virtual void Post(const Message& msg) = 0;
  // Lets script time pass: timers that fall due in it fire once each.
  virtual void PassTime(uint64_t milliseconds) = 0;

  // True while an editor window is disabled, as it is while a render's
  // progress window is up.
  virtual bool EditorBusy() const = 0;
  // The modeless dialog that takes the user's input while the editor is
  // busy, or 0.
  virtual WindowId BusyDialog() const = 0;
  // The template a modeless dialog was made from.
  virtual int DialogTemplate(WindowId dialog) const = 0;

  // A user's hands on the controls by their ids; each logs what it did.
  virtual void Choose(int control, int index) = 0;
  virtual void Type(int control, const std::string& text) = 0;
  virtual void Drop(int control) = 0;
  // Logs what the status bar shows.
  virtual void LogStatusBar() = 0;
  // Lets the view paint onto a canvas, as for a screenshot.
  virtual void PaintView(Canvas& canvas) = 0;
};

}  // namespace ulvo
