// Everything the portable editor needs of a windowing system, by role. One
// platform drives real windows, another runs without any from an automation
// script. The portable classes decide; the platform carries out.
//
// A class that needs one role takes just that role (the modal loop the
// message queue, the application the modal dialogs); the frame, the view and
// the windows they open take the whole platform and ask it for the role of
// each call.
#pragma once

#include <memory>

#include "src/editor/canvas.h"
#include "src/editor/control_set.h"
#include "src/editor/editor_resources.h"
#include "src/editor/message_queue.h"
#include "src/editor/modal_dialogs.h"
#include "src/editor/window_system.h"

namespace ulvo {

class EditorPlatform {
 public:
  virtual ~EditorPlatform() = default;

  virtual WindowSystem& windows() = 0;
  virtual ControlSet& controls() = 0;
  virtual MessageQueue& queue() = 0;
  virtual ModalDialogs& dialogs() = 0;
  virtual EditorResources& resources() = 0;
};

// The platform of this build, for one editor run or dialog.
std::unique_ptr<EditorPlatform> CreateEditorPlatform();

}  // namespace ulvo
