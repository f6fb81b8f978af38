// Hands a message, a paint or the end of its system window to a window's
// portable object. Nothing thrown leaves these calls: they run inside the
// system's window procedures, where an exception would take the host down.
// A step that runs out of memory ends where it was and the user is told; the
// editor goes on.
#pragma once

#include <cstdint>
#include <optional>

#include "src/editor/canvas.h"
#include "src/editor/editor_window.h"
#include "src/editor/modal_dialogs.h"

namespace ulvo {

// What the user reads when a step of the editor ran out of memory. Not in
// the string table: nothing needs loading when memory has run out.
inline constexpr char kOutOfMemoryText[] = "メモリが不足しているため、操作を完了できませんでした。";
inline constexpr char kOutOfMemoryTextEnglish[] =
    "There is not enough memory to complete the operation.";

std::optional<intptr_t> DeliverMessage(ModalDialogs& dialogs, EditorWindow& window, uint32_t msg,
                                       uintptr_t wParam, intptr_t lParam) noexcept;

// A paint that fails leaves the window as it was; no message interrupts a
// paint.
void DeliverPaint(EditorWindow& window, Canvas& canvas) noexcept;

void DeliverWindowDestroyed(ModalDialogs& dialogs, EditorWindow& window) noexcept;

// Shows kOutOfMemoryText (in the dialogs' language) in a message box, if
// even that can be done.
void TellOutOfMemory(ModalDialogs& dialogs) noexcept;

}  // namespace ulvo
