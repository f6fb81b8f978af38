#include "src/editor/window_dispatch.h"

#include <new>

namespace ulvo {

void TellOutOfMemory(ModalDialogs& dialogs) noexcept {
  try {
    const bool english = dialogs.language() == UiLanguage::kEnglish;
    dialogs.ShowMessageBox(0, english ? kOutOfMemoryTextEnglish : kOutOfMemoryText, "UlvoFilter",
                           MessageBoxButtons::kOk, MessageBoxIcon::kWarning);
  } catch (...) {
    // Not even the message fits: the step still ends without harm.
  }
}

std::optional<intptr_t> DeliverMessage(ModalDialogs& dialogs, EditorWindow& window, uint32_t msg,
                                       uintptr_t wParam, intptr_t lParam) noexcept {
  try {
    return window.OnMessage(msg, wParam, lParam);
  } catch (const std::bad_alloc&) {
    TellOutOfMemory(dialogs);
  } catch (...) {
    // Nothing else is thrown by the editor's code; whatever it was ended
    // the step.
  }
  return 0;  // handled: the default processing must not act on a failed step
}

void DeliverPaint(EditorWindow& window, Canvas& canvas) noexcept {
  try {
    window.Paint(canvas);
  } catch (...) {
  }
}

void DeliverWindowDestroyed(ModalDialogs& dialogs, EditorWindow& window) noexcept {
  try {
    window.OnWindowDestroyed();
  } catch (const std::bad_alloc&) {
    TellOutOfMemory(dialogs);
  } catch (...) {
  }
}

}  // namespace ulvo
