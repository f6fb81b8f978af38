// The platform's windows as the portable editor sees them: made from a
// description and tracked by id, enabled, placed, activated and repainted,
// with their scroll bars, menus, cursors and pictures drawn straight onto
// them.
#pragma once

#include <cstdint>
#include <string>

#include "src/editor/bitmap_header.h"
#include "src/editor/editor_window.h"
#include "src/editor/geometry.h"
#include "src/editor/view_model.h"
#include "src/editor/window_messages.h"

namespace ulvo {

// The windows that have an object of the editor behind them, which receives
// their messages and outlives them.
enum class WindowKind {
  kFrame,           // the top-level window: menu, icon and title from `resource`
  kView,            // the frame's client area
  kModelessDialog,  // a dialog from template `resource`, owned by `parent`
};

struct WindowDescription {
  WindowKind kind = WindowKind::kFrame;
  EditorWindow* object = nullptr;
  WindowId parent = 0;  // view: the frame; dialog: its owner
  int resource = 0;
};

// How a picture drawn straight onto a window meets what is there.
enum class RasterOp { kCopy, kAnd };

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  // The host's window: the one active when the editor starts.
  virtual WindowId ActiveWindow() = 0;
  // Enables or disables a window (the host's, or an editor window for the
  // time of a render); enabling the host's window also activates it.
  virtual void EnableHostWindow(WindowId window, bool enable) = 0;
  virtual bool WindowEnabled(WindowId window) = 0;
  virtual void SetWindowCaption(WindowId window, const std::string& text) = 0;

  // Makes a window for its object as described and tracks it by its id; 0
  // when it cannot be made.
  WindowId CreateEditorWindow(const WindowDescription& description);
  virtual void ShowFrameWindow(WindowId frame) = 0;
  // Destroys a window and its children; their objects are told.
  virtual void DestroyEditorWindow(WindowId window) = 0;
  // Greys the Close item of the window's system menu.
  virtual void DisableCloseMenuItem(WindowId frame) = 0;
  // Shows or clears the check mark of an item of the frame's menu.
  virtual void CheckMenuItem(WindowId frame, int id, bool checked) = 0;
  virtual void Invalidate(WindowId window, bool erase) = 0;
  // Shows the window's scroll bars as described (hidden where all fits).
  virtual void SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                             const ScrollBarState& vertical) = 0;

  // A window's place on the screen, and moving it there.
  virtual Rect WindowRect(WindowId window) = 0;
  virtual void MoveWindowTo(WindowId window, Rect place, bool repaint) = 0;
  virtual void ActivateWindow(WindowId window) = 0;
  // A client point of a window on the screen.
  virtual Point ClientToScreen(WindowId window, Point client) = 0;
  // Shows submenu `index` of a menu resource at a screen point; what the
  // user picks comes to `owner` as a command.
  virtual void ShowPopupMenu(WindowId owner, int menu, int index, Point screen) = 0;

  // Shows a cursor resource of the module until the pointer next moves.
  virtual void ShowCursorResource(int id) = 0;
  // The system's wait cursor while long work runs, or the arrow again.
  virtual void ShowWaitCursor(bool wait) = 0;
  // Draws part src of a 24-bit bottom-up bitmap straight onto a window's
  // client area at dst (client coordinates); the next paint covers it.
  virtual void DrawOnWindow(WindowId window, const BitmapInfoHeader& header, const uint8_t* bits,
                            Rect dst, Rect src, RasterOp op) = 0;

 protected:
  // The kinds of CreateEditorWindow; each returns 0 on failure.
  virtual WindowId CreateFrameWindow(EditorWindow& frame, int resource) = 0;
  virtual WindowId CreateViewWindow(EditorWindow& view, WindowId frame) = 0;
  virtual WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) = 0;
};

}  // namespace ulvo
