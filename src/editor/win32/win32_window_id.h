// How the Win32 platform's parts turn the portable window ids into the
// system's handles and back, and read a window's text.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>

#include "src/editor/window_messages.h"
#include "src/win32/text_convert.h"

namespace ulvo::win32 {

inline HWND ToHwnd(WindowId window) {
  return reinterpret_cast<HWND>(window);
}

inline WindowId ToId(HWND window) {
  return reinterpret_cast<WindowId>(window);
}

// A window's text as UTF-8.
inline std::string WindowText(HWND window) {
  if (window == nullptr) return {};
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(std::max(length, 0)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return Narrow(text);
}

}  // namespace ulvo::win32
