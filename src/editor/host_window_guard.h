// Keeps the host's window disabled for as long as the guard lives, so that the
// host ignores input while the editor runs, and enables it again on every way
// out of the editor.
#pragma once

#include "src/editor/window_system.h"

namespace ulvo {

class HostWindowGuard {
 public:
  explicit HostWindowGuard(WindowSystem& windows)
      : windows_(windows), window_(windows.ActiveWindow()) {
    windows_.EnableHostWindow(window_, false);
  }
  ~HostWindowGuard() { windows_.EnableHostWindow(window_, true); }
  HostWindowGuard(const HostWindowGuard&) = delete;
  HostWindowGuard& operator=(const HostWindowGuard&) = delete;

 private:
  WindowSystem& windows_;
  WindowId window_;
};

}  // namespace ulvo
