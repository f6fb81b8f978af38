#include <windows.h>

#include <memory>
#include <string>

#include "src/editor/editor.h"
#include "src/editor/editor_platform.h"
#include "src/editor/win32/win32_platform.h"
#include "src/win32/text_convert.h"

namespace ulvo {

std::unique_ptr<EditorPlatform> CreateEditorPlatform() {
  return std::make_unique<win32::Win32Platform>();
}

namespace {

// The full path of a module's file (the process's executable for null).
std::string ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return win32::Narrow(path);
    }
    if (path.size() >= 32768) return {};
    path.resize(path.size() * 2);
  }
}

}  // namespace

std::string HostExecutablePath() {
  return ModulePath(nullptr);
}

std::string ModuleFilePath() {
  return ModulePath(win32::ModuleInstance());
}

}  // namespace ulvo
