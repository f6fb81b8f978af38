// The headless platform's windows: a table of the editor's windows by id
// with their objects, owners, places and enabled state, and a stand-in for
// the host's window. Nothing is drawn; what a user would see is logged as
// `ui:` lines.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "src/editor/canvas.h"
#include "src/editor/headless/headless_options.h"
#include "src/editor/headless/ui_log.h"
#include "src/editor/modal_dialogs.h"
#include "src/editor/window_system.h"

namespace ulvo {

class HeadlessWindows : public WindowSystem {
 public:
  // `dialogs` tells the user when a window's object runs out of memory.
  HeadlessWindows(UiLog log, ModalDialogs& dialogs, const HeadlessOptions& options);

  static constexpr WindowId kHostWindow = 1;

  WindowId ActiveWindow() override;
  void EnableHostWindow(WindowId window, bool enable) override;
  bool WindowEnabled(WindowId window) override;
  void SetWindowCaption(WindowId window, const std::string& text) override;
  void ShowFrameWindow(WindowId frame) override;
  void DestroyEditorWindow(WindowId window) override;
  void DisableCloseMenuItem(WindowId frame) override;
  // Logged as `menu check ID on|off`.
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

  // For the other parts of the headless platform.
  // Calls `forget` with every window that is destroyed, so that what hangs
  // on it (a control's state, timers) goes with it.
  void OnDestroyed(std::function<void(WindowId)> forget) {
    forgetters_.push_back(std::move(forget));
  }
  // A window for a control, which has no object of the editor behind it; 0
  // when the parent does not exist.
  WindowId AddControlWindow(WindowId parent);
  // Sends a message straight to a window, with default processing.
  intptr_t Send(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
  // Lets a window's object paint onto the canvas.
  void Paint(WindowId window, Canvas& canvas);
  // The template of a modeless dialog (0 for other windows).
  int DialogTemplate(WindowId window) const;
  // While an editor window is disabled (a render is under way) only the
  // enabled modeless dialog takes input; 0 when the editor is not busy or
  // no such dialog is open. The pattern window is disabled with the editor
  // and takes nothing.
  bool editorBusy() const { return !disabled_.empty(); }
  WindowId BusyDialog() const;

  // State for tests.
  bool hostEnabled() const { return hostEnabled_; }
  bool closeItemDisabled() const { return closeItemDisabled_; }
  WindowId frameWindow() const { return frame_; }
  WindowId viewWindow() const { return view_; }
  bool windowExists(WindowId window) const { return windows_.count(window) != 0; }
  // The newest modeless dialog made from a template (0: none open).
  WindowId FindDialog(int resource) const;
  // The view's scroll bars as last shown.
  const ScrollBarState& scrollBar(ScrollAxis axis) const {
    return scrollBars_[axis == ScrollAxis::kHorizontal ? 0 : 1];
  }

 protected:
  WindowId CreateFrameWindow(EditorWindow& frame, int resource) override;
  WindowId CreateViewWindow(EditorWindow& view, WindowId frame) override;
  WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) override;

 private:
  struct WindowEntry {
    EditorWindow* object = nullptr;  // none for a control
    WindowId parent = 0;
    int dialog = 0;  // the template of a modeless dialog
    Rect place;      // on the screen
  };
  WindowId Add(const WindowEntry& entry);
  std::optional<intptr_t> DefaultProcessing(WindowId window, uint32_t msg, uintptr_t wParam,
                                            intptr_t lParam);

  UiLog log_;
  ModalDialogs& dialogs_;
  HeadlessOptions options_;
  std::vector<std::function<void(WindowId)>> forgetters_;
  std::map<WindowId, WindowEntry> windows_;
  std::set<WindowId> disabled_;  // editor windows disabled by the editor
  WindowId nextWindow_ = 0x100;
  WindowId frame_ = 0;
  WindowId view_ = 0;
  bool frameShown_ = false;
  bool hostEnabled_ = true;
  bool closeItemDisabled_ = false;
  ScrollBarState scrollBars_[2];
};

}  // namespace ulvo
