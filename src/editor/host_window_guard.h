// Keeps the host's window disabled for as long as the guard lives, so that the
// host ignores input while the editor runs, and enables it again on every way
// out of the editor.
#pragma once

#include "src/editor/editor_platform.h"

namespace ulvo {

class HostWindowGuard {
 public:
  explicit HostWindowGuard(EditorPlatform& platform)
      : platform_(platform), window_(platform.ActiveWindow()) {
    platform_.EnableHostWindow(window_, false);
  }
  ~HostWindowGuard() { platform_.EnableHostWindow(window_, true); }
  HostWindowGuard(const HostWindowGuard&) = delete;
  HostWindowGuard& operator=(const HostWindowGuard&) = delete;

 private:
  EditorPlatform& platform_;
  WindowId window_;
};

}  // namespace ulvo
