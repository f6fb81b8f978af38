#include "src/editor/editor_app.h"

#include "src/resources/editor_ids.h"

namespace ulvo {

bool EditorApp::PreTranslateMessage(const Message& msg) const {
  return msg.id == kMsgClose || msg.id == kMsgQuit;
}

bool EditorApp::OnCommand(uint32_t id) {
  switch (id) {
    case ID_ULVO_ABOUT:
      dialogs_.ShowDialog(mainWindow_, IDD_ULVO_ABOUT);
      return true;
    case ID_ULVO_FINISH:
      return true;
    default:
      return false;
  }
}

}  // namespace ulvo
