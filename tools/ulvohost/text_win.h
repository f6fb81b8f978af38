// Text helpers for the Windows parts of the host: the shared UTF-8 and
// UTF-16 conversions, and system error texts.
#pragma once

#include <windows.h>

#include <string>

#include "src/win32/text_convert.h"

namespace ulvo::host {

using win32::Narrow;
using win32::Widen;

inline std::string LastErrorText(DWORD code = GetLastError()) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n && buffer ? std::wstring(buffer, n) : L"";
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return "error " + std::to_string(code) + (text.empty() ? "" : " (" + Narrow(text) + ")");
}

}  // namespace ulvo::host
