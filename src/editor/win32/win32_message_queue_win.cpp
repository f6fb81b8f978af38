#include "src/editor/win32/win32_message_queue.h"
#include "src/editor/win32/win32_window_id.h"

namespace ulvo::win32 {

namespace {

// The system's message for a portable one that is not the one last fetched.
MSG NativeMessage(const Message& msg) {
  return MSG{ToHwnd(msg.window),
             msg.id,
             msg.wParam,
             static_cast<LPARAM>(msg.lParam),
             static_cast<DWORD>(GetMessageTime()),
             {}};
}

Message PortableMessage(const MSG& native) {
  return Message{ToId(native.hwnd), native.message, native.wParam,
                 static_cast<intptr_t>(native.lParam)};
}

}  // namespace

bool Win32MessageQueue::NextMessage(Message& msg, int& quitCode) {
  const BOOL result = GetMessageW(&lastMessage_, nullptr, 0, 0);
  if (result == 0 || result == -1) {
    // The quit message, or a broken queue: either way the loop must end.
    quitCode = result == 0 ? static_cast<int>(lastMessage_.wParam) : 0;
    msg = Message{0, kMsgQuit, lastMessage_.wParam, 0};
    return false;
  }
  msg = PortableMessage(lastMessage_);
  return true;
}

PeekResult Win32MessageQueue::PeekNextMessage(Message& msg, int& quitCode) {
  if (!PeekMessageW(&lastMessage_, nullptr, 0, 0, PM_REMOVE)) return PeekResult::kNone;
  msg = PortableMessage(lastMessage_);
  if (lastMessage_.message != WM_QUIT) return PeekResult::kMessage;
  quitCode = static_cast<int>(lastMessage_.wParam);
  return PeekResult::kQuit;
}

void Win32MessageQueue::Dispatch(const Message& msg) {
  MSG native = lastMessage_;
  if (ToId(native.hwnd) != msg.window || native.message != msg.id || native.wParam != msg.wParam ||
      native.lParam != static_cast<LPARAM>(msg.lParam)) {
    native = NativeMessage(msg);
  }
  TranslateMessage(&native);
  DispatchMessageW(&native);
}

bool Win32MessageQueue::DialogMessage(WindowId dialog, const Message& msg) {
  HWND handle = ToHwnd(dialog);
  if (handle == nullptr || !IsWindow(handle)) return false;
  MSG native = lastMessage_;
  if (ToId(native.hwnd) != msg.window || native.message != msg.id) native = NativeMessage(msg);
  return IsDialogMessageW(handle, &native) != FALSE;
}

bool Win32MessageQueue::Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) {
  return PostMessageW(ToHwnd(window), msg, wParam, static_cast<LPARAM>(lParam)) != FALSE;
}

void Win32MessageQueue::PostQuit(int exitCode) {
  PostQuitMessage(exitCode);
}

bool Win32MessageQueue::SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) {
  return ::SetTimer(ToHwnd(window), timerId, milliseconds, nullptr) != 0;
}

void Win32MessageQueue::KillTimer(WindowId window, uintptr_t timerId) {
  ::KillTimer(ToHwnd(window), timerId);
}

}  // namespace ulvo::win32
