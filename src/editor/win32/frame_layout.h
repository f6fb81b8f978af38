// The editor's frame and what fills it: the toolbar along its top, the
// status bar along its bottom and the view in between. It lays them out and
// answers what the bars tell the frame: the toolbar's gripper, the buttons'
// tooltips and their fly-by help in the status bar.
#pragma once

// The common controls header needs <windows.h> first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <optional>
#include <string>
#include <vector>

#include "src/editor/editor_resources.h"
#include "src/editor/win32/win32_handles.h"

namespace ulvo::win32 {

class FrameLayout {
 public:
  explicit FrameLayout(EditorResources& resources) : resources_(resources) {}

  HWND frame() const { return frame_; }
  HWND view() const { return view_; }
  HWND toolbar() const { return toolbar_; }
  HWND statusBar() const { return statusBar_; }
  void SetFrame(HWND frame) { frame_ = frame; }
  void SetView(HWND view) { view_ = view; }
  void SetToolbar(HWND toolbar) { toolbar_ = toolbar; }
  void SetStatusBar(HWND statusBar) { statusBar_ = statusBar; }
  // Keeps a font of a control in the bars for as long as the frame lives.
  HGDIOBJ KeepFont(UniqueGdiObject font);

  // The bars size themselves along the frame's edges; the view takes the rest.
  void Layout();
  // The result of a bar's notification to the frame when it is answered
  // here; nothing when the frame's object should see it.
  std::optional<LRESULT> OnNotify(NMHDR& header);
  // A window is being destroyed; when it is the frame, its bars go with it.
  void WindowDestroyed(HWND window);

  // A pane's own text, kept for when a prompt has been shown over it.
  void SetStatusText(int pane, std::wstring text);
  // A command's prompt in the second pane; empty: the pane's own text again.
  void ShowPrompt(const std::wstring& prompt);

 private:
  LRESULT ToolbarCustomDraw(NMCUSTOMDRAW& draw);
  bool OnBarNotify(NMHDR& header);

  EditorResources& resources_;
  HWND frame_ = nullptr;
  HWND view_ = nullptr;
  HWND statusBar_ = nullptr;
  HWND toolbar_ = nullptr;
  std::vector<UniqueGdiObject> fonts_;  // of the toolbar's lists, while they live
  std::wstring tipText_;                // the tooltip being shown
  std::wstring paneTexts_[2];           // the status panes' own texts
};

}  // namespace ulvo::win32
