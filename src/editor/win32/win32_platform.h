// The editor platform on real Win32 windows: the frame ("UlvoPiFrame") with
// its menu and status bar, the view ("UlvoFilterView") filling it, GDI
// painting, the thread's message queue, message boxes and dialogs from the
// module's resources.
#pragma once

// The common controls header needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "src/editor/editor_platform.h"
#include "src/editor/win32/win32_handles.h"

namespace ulvo::win32 {

// The module that holds this code and its resources.
HINSTANCE ModuleInstance();

class Win32Platform : public EditorPlatform,
                      public WindowSystem,
                      public ControlSet,
                      public MessageQueue,
                      public ModalDialogs,
                      public EditorResources {
 public:
  Win32Platform();
  ~Win32Platform() override;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  // Every role is played by the platform itself.
  WindowSystem& windows() override { return *this; }
  ControlSet& controls() override { return *this; }
  MessageQueue& queue() override { return *this; }
  ModalDialogs& dialogs() override { return *this; }
  EditorResources& resources() override { return *this; }

  WindowId ActiveWindow() override;
  void EnableHostWindow(WindowId window, bool enable) override;
  bool WindowEnabled(WindowId window) override;
  void SetWindowCaption(WindowId window, const std::string& text) override;
  Point ClientToScreen(WindowId window, Point client) override;
  void ShowWaitCursor(bool wait) override;
  void DrawOnWindow(WindowId window, const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                    Rect src, RasterOp op) override;
  void SetDialogItemText(WindowId dialog, int item, const std::string& text) override;
  std::string DialogItemText(WindowId dialog, int item) override;
  void SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) override;
  bool DialogMessage(WindowId dialog, const Message& msg) override;
  std::optional<std::string> AskOpenFile(WindowId owner, const OpenFileRequest& request) override;
  bool ShellOpen(WindowId owner, const std::string& target) override;
  void ShowFrameWindow(WindowId frame) override;
  void DestroyEditorWindow(WindowId window) override;
  void DisableCloseMenuItem(WindowId frame) override;
  void Invalidate(WindowId window, bool erase) override;
  void SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                     const ScrollBarState& vertical) override;
  void SetStatusText(WindowId frame, int pane, const std::string& text) override;
  Rect WindowRect(WindowId window) override;
  void MoveWindowTo(WindowId window, Rect place, bool repaint) override;
  void ActivateWindow(WindowId window) override;
  void ShowPopupMenu(WindowId owner, int menu, int index, Point screen) override;
  void ShowCursorResource(int id) override;
  WindowId CreateControl(const ControlDescription& description) override;
  void SetListItems(WindowId list, const std::vector<std::string>& items, int selected) override;
  int ListSelection(WindowId list) override;
  void SetControlText(WindowId control, const std::string& text) override;
  std::string ControlText(WindowId control) override;
  void SetReadOnly(WindowId field, bool readOnly) override;
  void ShowBar(WindowId bar, bool show) override;
  bool BarShown(WindowId bar) override;
  bool SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) override;
  void KillTimer(WindowId window, uintptr_t timerId) override;
  bool NextMessage(Message& msg, int& quitCode) override;
  PeekResult PeekNextMessage(Message& msg, int& quitCode) override;
  void Dispatch(const Message& msg) override;
  bool Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) override;
  void PostQuit(int exitCode) override;
  DialogButton ShowMessageBox(WindowId owner, const std::string& text, const std::string& caption,
                              MessageBoxButtons buttons, MessageBoxIcon icon) override;
  void ShowDialog(WindowId owner, int dialogId) override;
  DialogResult RunDialog(WindowId owner, DialogHandler& dialog) override;
  std::string StringResource(int id) override;
  std::string HostExecutablePath() override;
  ProfileStore& Profile() override;

  // What a window procedure finds in its window: the portable object and the
  // platform that created it.
  struct Binding {
    Win32Platform* platform = nullptr;
    EditorWindow* object = nullptr;
    bool isFrame = false;
  };

  LRESULT FrameProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT ViewProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR ModelessProc(Binding& binding, HWND window, UINT msg, WPARAM wParam, LPARAM lParam);

 protected:
  WindowId CreateFrameWindow(EditorWindow& frame, int resource) override;
  WindowId CreateViewWindow(EditorWindow& view, WindowId frame) override;
  WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) override;

 private:
  void LayoutFrame();
  HWND CreateToolbar(HWND parent, const ControlDescription& description);
  HWND CreateToolbarControl(HWND bar, const ControlDescription& description);
  LRESULT ToolbarCustomDraw(NMCUSTOMDRAW& draw);
  bool OnBarNotify(NMHDR& header);

  HINSTANCE instance_;
  // The registry under the module's file name, opened when first asked for.
  std::unique_ptr<ProfileStore> profile_;
  WindowClassRegistration frameClass_;
  WindowClassRegistration viewClass_;
  std::list<Binding> bindings_;  // stable addresses for the windows' user data
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
  std::vector<UniqueGdiObject> fonts_;  // of the toolbar's lists, while they live
  std::wstring tipText_;                // the tooltip being shown
  MSG lastMessage_{};
};

}  // namespace ulvo::win32
