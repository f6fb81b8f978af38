// Placeholder Windows platform: no editor window yet, so an editor run ends
// at once as cancelled with the host window enabled again.
#include <windows.h>

#include <memory>
#include <string>

#include "src/editor/editor.h"
#include "src/editor/editor_platform.h"

namespace ulvo {

namespace {

HINSTANCE ModuleInstance() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ModuleInstance), &module);
  return module;
}

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM /*lParam*/) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

class StubPlatform : public EditorPlatform {
 public:
  WindowId ActiveWindow() override { return reinterpret_cast<WindowId>(GetActiveWindow()); }
  void EnableHostWindow(WindowId window, bool enable) override {
    if (window != 0) EnableWindow(reinterpret_cast<HWND>(window), enable ? TRUE : FALSE);
  }
  WindowId CreateFrameWindow(EditorWindow&, int) override { return 0; }
  WindowId CreateViewWindow(EditorWindow&, WindowId) override { return 0; }
  void ShowFrameWindow(WindowId) override {}
  void DestroyEditorWindow(WindowId) override {}
  void DisableCloseMenuItem(WindowId) override {}
  void Invalidate(WindowId, bool) override {}
  bool NextMessage(Message&, int& quitCode) override {
    quitCode = 0;
    return false;
  }
  void Dispatch(const Message&) override {}
  bool Post(WindowId, uint32_t, uintptr_t, intptr_t) override { return false; }
  void PostQuit(int) override {}
  DialogButton ShowMessageBox(WindowId, const std::string&, const std::string&,
                              MessageBoxButtons) override {
    return DialogButton::kOk;
  }
  void ShowDialog(WindowId owner, int dialogId) override {
    HWND parent = owner != 0 ? reinterpret_cast<HWND>(owner) : GetActiveWindow();
    DialogBoxParamW(ModuleInstance(), MAKEINTRESOURCEW(dialogId), parent, PlainDialogProc, 0);
  }
  std::string StringResource(int) override { return {}; }
  std::string HostExecutablePath() override { return ulvo::HostExecutablePath(); }
};

}  // namespace

std::unique_ptr<EditorPlatform> CreateEditorPlatform() {
  return std::make_unique<StubPlatform>();
}

std::string HostExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()),
                                        nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, path.data(), static_cast<int>(path.size()), result.data(), bytes,
                      nullptr, nullptr);
  return result;
}

}  // namespace ulvo
