// Base of the editor's windows as the portable code sees them: the platform
// hands each message of a window to OnMessage and falls back to the system's
// default processing when it is not handled.
#pragma once

#include <cstdint>
#include <optional>

#include "src/editor/window_messages.h"

namespace ulvo {

class Canvas;

class EditorWindow {
 public:
  virtual ~EditorWindow() = default;

  // The result of a handled message, or nothing for default processing.
  virtual std::optional<intptr_t> OnMessage(uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;

  // Draws the window's content; called by the platform when it repaints.
  virtual void Paint(Canvas& /*canvas*/) {}

  // The platform tells the window that its system window is gone.
  virtual void OnWindowDestroyed() { window_ = 0; }

  WindowId window() const { return window_; }
  void AttachWindow(WindowId window) { window_ = window; }

 private:
  WindowId window_ = 0;
};

}  // namespace ulvo
