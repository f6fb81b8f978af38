#include <windows.h>

#include <fstream>
#include <sstream>

#include "src/editor/script/automation_script.h"
#include "tools/ulvohost/editor_automation_win.h"
#include "tools/ulvohost/host_log.h"
#include "tools/ulvohost/host_platform_factory.h"
#include "tools/ulvohost/text_win.h"

namespace ulvo::host {
namespace {

constexpr wchar_t kHostWindowClass[] = L"UlvoHostWindow";

LRESULT CALLBACK HostWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

// The Windows host owns a visible top-level window on its main thread, as a
// real host does: the module disables it while its editor runs and must
// enable it again.
class WinPlatform final : public HostPlatform {
 public:
  explicit WinPlatform(HWND window) : window_(window) {}
  ~WinPlatform() override {
    automation_.reset();
    DestroyWindow(window_);
  }

  intptr_t HostWindow() override { return reinterpret_cast<intptr_t>(window_); }

  bool BeginRun(const RunPlan& run, std::string& error) override {
    std::string text;
    if (run.script.empty()) {
      text = run.about ? kDefaultAboutScript : kDefaultEditorScript;
    } else {
      std::ifstream file(Widen(run.script).c_str(), std::ios::binary);
      if (!file) {
        error = "editor script not found: " + run.script;
        return false;
      }
      std::ostringstream content;
      content << file.rdbuf();
      text = content.str();
    }
    // A script is refused as a whole: a run that skipped a malformed line
    // would test something else than its author meant.
    std::vector<ScriptStep> commands;
    std::string why;
    if (!ParseScriptStrictly(text, commands, why)) {
      error = (run.script.empty() ? "default script" : run.script) + ": " + why;
      return false;
    }

    // Whatever an earlier run left in the queue (a stray quit message) is
    // dealt with before the module sees the thread.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    EnableWindow(window_, TRUE);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
    SetFocus(window_);

    automation_ =
        std::make_unique<EditorAutomation>(std::move(commands), GetCurrentThreadId(),
                                           static_cast<DWORD>(run.returnWaitSeconds) * 1000);
    automation_->Start();
    return true;
  }

  bool EndRun() override {
    bool ok = true;
    if (automation_) {
      automation_->RunEnded();
      ok = automation_->Finish();
      automation_.reset();
    }
    const bool enabled = IsWindowEnabled(window_) != 0;
    Say(std::string("host window enabled: ") + (enabled ? "yes" : "no"));
    // Each run starts from an enabled host window, whatever the last one did.
    if (!enabled) EnableWindow(window_, TRUE);
    return ok;
  }

 private:
  HWND window_;
  std::unique_ptr<EditorAutomation> automation_;
};

// Quotes one argument for a command line the way the C runtime splits it.
std::wstring QuoteArgument(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  quoted += L'"';
  return quoted;
}

}  // namespace

std::unique_ptr<HostPlatform> CreateHostPlatform(std::string& error) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &HostWindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kHostWindowClass;
  if (!RegisterClassExW(&wc)) {
    error = "cannot register the host window class: " + LastErrorText();
    return nullptr;
  }
  HWND window = CreateWindowExW(0, kHostWindowClass, L"ulvohost", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                40, 40, 400, 300, nullptr, nullptr, instance, nullptr);
  if (!window) {
    error = "cannot create the host window: " + LastErrorText();
    return nullptr;
  }
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  return std::make_unique<WinPlatform>(window);
}

int RunAsNamedCopy(const std::string& name, const std::vector<std::string>& args,
                   std::string& error) {
  wchar_t self[MAX_PATH * 4] = {};
  if (!GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)))) {
    error = "cannot find this executable: " + LastErrorText();
    return -1;
  }
  wchar_t temp[MAX_PATH + 1] = {};
  if (!GetTempPathW(MAX_PATH + 1, temp)) {
    error = "no temporary folder: " + LastErrorText();
    return -1;
  }
  std::wstring dir;
  for (int attempt = 0;; ++attempt) {
    dir = std::wstring(temp) + L"ulvohost-as-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(GetTickCount() + attempt);
    if (CreateDirectoryW(dir.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS || attempt > 100) {
      error = "cannot create a temporary folder: " + LastErrorText();
      return -1;
    }
  }
  const std::wstring copy = dir + L"\\" + Widen(name);
  if (!CopyFileW(self, copy.c_str(), TRUE)) {
    error = "cannot copy this executable: " + LastErrorText();
    RemoveDirectoryW(dir.c_str());
    return -1;
  }

  std::wstring commandLine = QuoteArgument(copy);
  for (const std::string& arg : args) commandLine += L" " + QuoteArgument(Widen(arg));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  std::fflush(nullptr);
  int status = -1;
  if (CreateProcessW(copy.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    status = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  } else {
    error = "cannot start the copy: " + LastErrorText();
  }
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(dir.c_str());
  return status;
}

}  // namespace ulvo::host
