#include <windows.h>

#include <memory>
#include <string>

#include "src/editor/editor.h"
#include "src/editor/editor_platform.h"
#include "src/editor/win32/text_convert.h"
#include "src/editor/win32/win32_platform.h"

namespace ulvo {

std::unique_ptr<EditorPlatform> CreateEditorPlatform() {
  return std::make_unique<win32::Win32Platform>();
}

std::string HostExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return win32::Narrow(path);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace ulvo
