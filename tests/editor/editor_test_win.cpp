// The editor on real windows: a helper thread plays the user (or the host's
// automation) by posting messages to the editor's windows while RunEditor
// runs its modal loop on the test's thread.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "src/editor/editor.h"
#include "src/editor/modal_loop.h"
#include "src/editor/win32/win32_platform.h"
#include "src/resources/editor_ids.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

LRESULT CALLBACK HostWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, msg, wParam, lParam);
}

// A top-level window standing in for the host's main window.
class HostWindow {
 public:
  HostWindow() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"UlvoTestHost";
    RegisterClassExW(&wc);
    window_ = CreateWindowExW(0, L"UlvoTestHost", L"host", WS_OVERLAPPEDWINDOW, 10, 10, 300, 200,
                              nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
  }
  ~HostWindow() {
    DestroyWindow(window_);
    UnregisterClassW(L"UlvoTestHost", GetModuleHandleW(nullptr));
  }
  HWND get() const { return window_; }

 private:
  HWND window_ = nullptr;
};

HWND WaitForEditor() {
  for (int i = 0; i < 200; ++i) {
    HWND frame = FindWindowW(L"UlvoPiFrame", nullptr);
    if (frame != nullptr && IsWindowVisible(frame)) return frame;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return nullptr;
}

HWND ViewOf(HWND frame) {
  return FindWindowExW(frame, nullptr, L"UlvoFilterView", nullptr);
}

void Pause() {
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

// Runs the editor while `user` acts on its frame and view from another thread.
struct EditorRun {
  TestJob buffers{64, 48, 4};
  HostWindow host;
  bool sawEditor = false;
  bool hostDisabledMeanwhile = false;
  bool quitLeftForHost = false;
  int quitCode = 0;

  void Go(const std::function<void(HWND frame, HWND view, DWORD editorThread)>& user) {
    const DWORD editorThread = GetCurrentThreadId();
    std::thread helper([&] {
      HWND frame = WaitForEditor();
      sawEditor = frame != nullptr;
      if (frame == nullptr) {
        PostThreadMessageW(editorThread, WM_QUIT, 0, 0);
        return;
      }
      hostDisabledMeanwhile = !IsWindowEnabled(host.get());
      user(frame, ViewOf(frame), editorThread);
    });
    RunEditor(buffers.job, DepthBuffer{}, DepthNotice::kNoDepth);
    helper.join();
    // Whatever is left is the host's: a quit request is left for its loop.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quitLeftForHost = true;
        quitCode = static_cast<int>(msg.wParam);
      } else {
        DispatchMessageW(&msg);
      }
    }
  }
};

TEST(EditorWindows, FinishCommandReturnsTheImageAndRestoresTheHost) {
  EditorRun run;
  bool menuOk = false, closeGreyed = false, viewFound = false;
  run.Go([&](HWND frame, HWND view, DWORD) {
    viewFound = view != nullptr;
    HMENU menu = GetMenu(frame);
    menuOk = menu != nullptr && GetMenuItemCount(menu) == 4;
    const UINT state = GetMenuState(GetSystemMenu(frame, FALSE), SC_CLOSE, MF_BYCOMMAND);
    closeGreyed = state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)) != 0;
    PostMessageW(frame, WM_COMMAND, ID_ULVO_FINISH, 0);
  });
  ASSERT_TRUE(run.sawEditor);
  EXPECT_TRUE(viewFound);
  EXPECT_TRUE(menuOk);
  EXPECT_TRUE(closeGreyed);
  EXPECT_TRUE(run.hostDisabledMeanwhile);
  EXPECT_TRUE(IsWindowEnabled(run.host.get()));
  EXPECT_FALSE(run.quitLeftForHost);
  EXPECT_EQ(run.buffers.job.accepted, 1);
  EXPECT_EQ(run.buffers.out, run.buffers.in);
  EXPECT_EQ(FindWindowW(L"UlvoPiFrame", nullptr), nullptr);
}

TEST(EditorWindows, CloseRequestsLeaveTheEditorOpenUntilTheEndMessage) {
  EditorRun run;
  bool openAfterCloses = false;
  run.Go([&](HWND frame, HWND view, DWORD editorThread) {
    PostMessageW(frame, WM_SYSCOMMAND, SC_CLOSE, 0);
    PostMessageW(frame, WM_CLOSE, 0, 0);
    PostMessageW(view, WM_CLOSE, 0, 0);
    PostThreadMessageW(editorThread, WM_CLOSE, 0, 0);
    Pause();
    openAfterCloses = IsWindow(frame) && IsWindowVisible(frame) && IsWindow(view);
    PostThreadMessageW(editorThread, 0x405, 7, 9);
  });
  ASSERT_TRUE(run.sawEditor);
  EXPECT_TRUE(openAfterCloses);
  EXPECT_EQ(run.buffers.job.accepted, 0);
  EXPECT_TRUE(IsWindowEnabled(run.host.get()));
  EXPECT_EQ(FindWindowW(L"UlvoPiFrame", nullptr), nullptr);
}

TEST(EditorWindows, QuitEndsAsCancelAndIsPassedOn) {
  EditorRun run;
  run.Go([&](HWND, HWND, DWORD editorThread) { PostThreadMessageW(editorThread, WM_QUIT, 3, 0); });
  ASSERT_TRUE(run.sawEditor);
  EXPECT_TRUE(run.quitLeftForHost);
  EXPECT_EQ(run.quitCode, 3);
  EXPECT_EQ(run.buffers.job.accepted, 0);
  EXPECT_TRUE(IsWindowEnabled(run.host.get()));
}

TEST(EditorWindows, KeysReachTheView) {
  EditorRun escape;
  escape.Go([&](HWND, HWND view, DWORD) { PostMessageW(view, WM_KEYDOWN, VK_ESCAPE, 1); });
  ASSERT_TRUE(escape.sawEditor);
  EXPECT_EQ(escape.buffers.job.accepted, 0);

  EditorRun ctrlE;
  ctrlE.Go([&](HWND, HWND view, DWORD) {
    PostMessageW(view, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageW(view, WM_KEYDOWN, 'E', 1);
  });
  ASSERT_TRUE(ctrlE.sawEditor);
  EXPECT_EQ(ctrlE.buffers.job.accepted, 1);
}

// The pump of long work takes what the thread's queue holds and returns at
// once when it is empty; a quit stops it and is left for the thread's owner.
TEST(EditorWindows, PumpTakesWaitingMessagesWithoutWaiting) {
  win32::Win32Platform platform;
  MSG drain;
  while (PeekMessageW(&drain, nullptr, 0, 0, PM_REMOVE)) {
  }
  PostThreadMessageW(GetCurrentThreadId(), WM_APP + 1, 5, 0);
  std::vector<uintptr_t> seen;
  const auto record = [&](const Message& msg) {
    if (msg.id == WM_APP + 1) seen.push_back(msg.wParam);
    return true;  // nothing to dispatch to
  };
  EXPECT_TRUE(PumpWaitingMessages(platform.queue(), record));
  EXPECT_EQ(seen, std::vector<uintptr_t>{5});
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(PumpWaitingMessages(platform.queue(), record));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

  PostQuitMessage(4);
  EXPECT_FALSE(PumpWaitingMessages(platform.queue(), record));
  MSG quit{};
  ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 4u);
}

TEST(EditorWindows, StringsComeFromTheResources) {
  win32::Win32Platform platform;
  EXPECT_EQ(platform.resources().StringResource(IDS_ULVO_CONFIRM_DISCARD),
            "変更を破棄して戻りますか？");
  EXPECT_EQ(platform.resources().StringResource(IDS_ULVO_PROGRESS_CAPTION), "UlvoFilterの実行中");
  EXPECT_EQ(platform.resources().StringResource(1), "");
  const std::string path = HostExecutablePath();
  EXPECT_NE(path.find("editor_win_tests"), std::string::npos) << path;
}

}  // namespace
}  // namespace ulvo
