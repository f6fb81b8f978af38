// UTF-8 (portable code) to UTF-16 (wide Win32 calls) and back.
#pragma once

#include <string>

namespace ulvo::win32 {

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

}  // namespace ulvo::win32
