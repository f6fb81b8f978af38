// The editor's controls on Win32: the frame's toolbar (buttons and pictures
// from the module's toolbar resource) with its lists and fields in place of
// buttons, the status bar, and the items of modeless dialogs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "src/editor/control_set.h"
#include "src/editor/win32/frame_layout.h"
#include "src/editor/win32/win32_resources.h"

namespace ulvo::win32 {

class Win32Controls : public ControlSet {
 public:
  // Registers the common controls' bar classes.
  Win32Controls(const Win32Resources& resources, FrameLayout& layout);

  WindowId CreateControl(const ControlDescription& description) override;
  void SetListItems(WindowId list, const std::vector<std::string>& items, int selected) override;
  int ListSelection(WindowId list) override;
  void SetControlText(WindowId control, const std::string& text) override;
  std::string ControlText(WindowId control) override;
  void SetReadOnly(WindowId field, bool readOnly) override;
  void ShowBar(WindowId bar, bool show) override;
  bool BarShown(WindowId bar) override;
  void SetStatusText(WindowId frame, int pane, const std::string& text) override;
  void ShowPrompt(WindowId frame, const std::string& prompt) override;
  void SetDialogItemText(WindowId dialog, int item, const std::string& text) override;
  std::string DialogItemText(WindowId dialog, int item) override;
  void SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) override;

 private:
  HWND CreateToolbar(HWND parent, const ControlDescription& description);
  HWND CreateToolbarControl(HWND bar, const ControlDescription& description);

  const Win32Resources& resources_;
  FrameLayout& layout_;
};

}  // namespace ulvo::win32
