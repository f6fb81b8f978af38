// Window message numbers the portable editor code works with. They carry the
// values of the system's messages so that both platforms pass them through
// unchanged; portable code must not depend on the system headers.
#pragma once

#include <cstdint>

#include "src/editor/geometry.h"

namespace ulvo {

// Identifies a window of the editor's thread; 0 means none (a message posted
// to the thread itself).
using WindowId = uintptr_t;

inline constexpr uint32_t kMsgNull = 0x0000;
inline constexpr uint32_t kMsgSize = 0x0005;  // second parameter: client width, height
inline constexpr uint32_t kMsgClose = 0x0010;
// The pointer moved over a window: answer 1 after showing a cursor, or let
// default processing show the class cursor.
inline constexpr uint32_t kMsgSetCursor = 0x0020;
inline constexpr uint32_t kMsgQuit = 0x0012;
inline constexpr uint32_t kMsgKeyDown = 0x0100;
inline constexpr uint32_t kMsgKeyUp = 0x0101;
inline constexpr uint32_t kMsgChar = 0x0102;
inline constexpr uint32_t kMsgSysKeyDown = 0x0104;
inline constexpr uint32_t kMsgSysKeyUp = 0x0105;
inline constexpr uint32_t kMsgCommand = 0x0111;
inline constexpr uint32_t kMsgSysCommand = 0x0112;
inline constexpr uint32_t kMsgTimer = 0x0113;
// A menu item is pointed at: first parameter the item's command (or a
// popup's index) and its flags, which are all set once the menu closes.
inline constexpr uint32_t kMsgMenuSelect = 0x011F;
inline constexpr uint32_t kMenuFlagPopup = 0x0010;
inline constexpr uint32_t kMenuFlagSeparator = 0x0800;
inline constexpr uint32_t kMenuClosed = 0xFFFF;
// Scroll bar requests: first parameter's low word the request (ScrollRequest);
// the platforms hand the thumb position, at full 32-bit width, in the second.
inline constexpr uint32_t kMsgHScroll = 0x0114;
inline constexpr uint32_t kMsgVScroll = 0x0115;
inline constexpr uint32_t kMsgLButtonDown = 0x0201;
inline constexpr uint32_t kMsgLButtonUp = 0x0202;
inline constexpr uint32_t kMsgRButtonDown = 0x0204;
inline constexpr uint32_t kMsgRButtonUp = 0x0205;
// Wheel turns: first parameter's high word the signed turn (120 a notch), low
// word the key flags; the platforms hand the pointer in client coordinates.
inline constexpr uint32_t kMsgMouseWheel = 0x020A;
inline constexpr uint32_t kMsgMouseHWheel = 0x020E;
inline constexpr int32_t kWheelNotch = 120;

// The view's timers: the pattern window's opening.
inline constexpr uintptr_t kTimerPatternWindow = 1;
inline constexpr uintptr_t kTimerRepeatRun = 3;  // a repeated filter run renders at once

// Private messages of the editor.
inline constexpr uint32_t kMsgEndEditor = 0x0405;           // ends the modal loop
inline constexpr uint32_t kMsgClosePatternWindow = 0x0406;  // view: close the pattern window
inline constexpr uint32_t kMsgRunFullImage = 0x0407;        // view: render the whole image

// System command of the close box, Alt+F4 and the system menu's Close item.
inline constexpr uintptr_t kSysCommandClose = 0xF060;

// Virtual keys the editor reacts to.
inline constexpr uint32_t kVkReturn = 0x0D;
inline constexpr uint32_t kVkShift = 0x10;
inline constexpr uint32_t kVkControl = 0x11;
inline constexpr uint32_t kVkMenu = 0x12;
inline constexpr uint32_t kVkEscape = 0x1B;
inline constexpr uint32_t kVkEnd = 0x23;
inline constexpr uint32_t kVkE = 0x45;
inline constexpr uint32_t kVkAdd = 0x6B;
inline constexpr uint32_t kVkSubtract = 0x6D;
inline constexpr uint32_t kVkOemPlus = 0xBB;
inline constexpr uint32_t kVkOemMinus = 0xBD;

// Mouse button flags carried in the first parameter of button messages.
inline constexpr uintptr_t kMkLButton = 0x0001;
inline constexpr uintptr_t kMkRButton = 0x0002;
inline constexpr uintptr_t kMkShift = 0x0004;
inline constexpr uintptr_t kMkControl = 0x0008;

// One queued message as the modal loop sees it.
struct Message {
  WindowId window = 0;
  uint32_t id = 0;
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
};

// Low and high 16-bit halves of a message parameter (command ids, points).
inline constexpr uint32_t LowWord(uintptr_t value) {
  return static_cast<uint32_t>(value & 0xFFFF);
}
inline constexpr uint32_t HighWord(uintptr_t value) {
  return static_cast<uint32_t>((value >> 16) & 0xFFFF);
}
inline constexpr intptr_t PackPoint(int x, int y) {
  return static_cast<intptr_t>(static_cast<int32_t>((static_cast<uint32_t>(y) & 0xFFFF) << 16 |
                                                    (static_cast<uint32_t>(x) & 0xFFFF)));
}
// The signed client point of a mouse message.
inline constexpr Point PointOf(intptr_t lParam) {
  return Point{static_cast<int16_t>(LowWord(static_cast<uintptr_t>(lParam))),
               static_cast<int16_t>(HighWord(static_cast<uintptr_t>(lParam)))};
}

}  // namespace ulvo
