// The editor's windows on Win32: the frame with its menu, the view filling
// it and modeless dialogs from the module's templates, made through the
// window classes; their state, places, scroll bars, menus, cursors and
// pictures drawn straight onto them.
#pragma once

#include <windows.h>

#include <string>

#include "src/editor/modal_dialogs.h"
#include "src/editor/win32/frame_layout.h"
#include "src/editor/win32/win32_resources.h"
#include "src/editor/win32/window_classes.h"
#include "src/editor/window_system.h"

namespace ulvo::win32 {

class Win32Windows : public WindowSystem {
 public:
  Win32Windows(Win32Resources& resources, ModalDialogs& dialogs, FrameLayout& layout);
  ~Win32Windows() override;
  Win32Windows(const Win32Windows&) = delete;
  Win32Windows& operator=(const Win32Windows&) = delete;

  WindowId ActiveWindow() override;
  void EnableHostWindow(WindowId window, bool enable) override;
  bool WindowEnabled(WindowId window) override;
  void SetWindowCaption(WindowId window, const std::string& text) override;
  void ShowFrameWindow(WindowId frame) override;
  void DestroyEditorWindow(WindowId window) override;
  void DisableCloseMenuItem(WindowId frame) override;
  void CheckMenuItem(WindowId frame, int id, bool checked) override;
  void Invalidate(WindowId window, bool erase) override;
  void SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                     const ScrollBarState& vertical) override;
  Rect WindowRect(WindowId window) override;
  void MoveWindowTo(WindowId window, Rect place, bool repaint) override;
  void ActivateWindow(WindowId window) override;
  Point ClientToScreen(WindowId window, Point client) override;
  void ShowPopupMenu(WindowId owner, int menu, int index, Point screen) override;
  void ShowCursorResource(int id) override;
  void ShowWaitCursor(bool wait) override;
  void DrawOnWindow(WindowId window, const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                    Rect src, RasterOp op) override;

 protected:
  WindowId CreateFrameWindow(EditorWindow& frame, int resource) override;
  WindowId CreateViewWindow(EditorWindow& view, WindowId frame) override;
  WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) override;

 private:
  Win32Resources& resources_;
  FrameLayout& layout_;
  WindowClasses classes_;
};

}  // namespace ulvo::win32
