// The editor platform on real Win32 windows: the module's resources, the
// thread's message queue, modal dialogs, the frame's layout, the windows
// and their controls, each a part of its own.
#pragma once

#include "src/editor/editor_platform.h"
#include "src/editor/win32/frame_layout.h"
#include "src/editor/win32/win32_controls.h"
#include "src/editor/win32/win32_dialogs.h"
#include "src/editor/win32/win32_message_queue.h"
#include "src/editor/win32/win32_resources.h"
#include "src/editor/win32/win32_windows.h"

namespace ulvo::win32 {

class Win32Platform : public EditorPlatform {
 public:
  Win32Platform()
      : dialogs_(resources_),
        layout_(resources_),
        controls_(resources_, layout_),
        windows_(resources_, dialogs_, layout_) {}
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  WindowSystem& windows() override { return windows_; }
  ControlSet& controls() override { return controls_; }
  MessageQueue& queue() override { return queue_; }
  ModalDialogs& dialogs() override { return dialogs_; }
  EditorResources& resources() override { return resources_; }

 private:
  // Each part is made after those it uses. The windows go first when the
  // platform goes: their end still reaches the layout (the frame's fonts)
  // and the dialogs (an object that runs out of memory says so).
  Win32Resources resources_;
  Win32MessageQueue queue_;
  Win32Dialogs dialogs_;
  FrameLayout layout_;
  Win32Controls controls_;
  Win32Windows windows_;
};

}  // namespace ulvo::win32
