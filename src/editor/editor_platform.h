// Everything the portable editor needs of a windowing system. One
// implementation drives real windows, another runs without any from an
// automation script. The portable classes decide; the platform carries out.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "src/editor/bitmap_header.h"
#include "src/editor/dialog.h"
#include "src/editor/editor_window.h"
#include "src/editor/geometry.h"
#include "src/editor/script/automation_script.h"
#include "src/editor/view_model.h"
#include "src/editor/window_messages.h"
#include "src/settings/profile_store.h"

namespace ulvo {

// A device to draw on during a paint.
class Canvas {
 public:
  virtual ~Canvas() = default;
  // Halftone stretching for the following StretchBitmap calls.
  virtual void SetHalftone() = 0;
  // Stretches the part src of a 24-bit bottom-up bitmap onto dst (source copy).
  virtual void StretchBitmap(const BitmapInfoHeader& header, const uint8_t* bits, Rect dst,
                             Rect src) = 0;
  // The device's viewport origin (negative while the view is scrolled):
  // where the drawing's (0, 0) lands in the window.
  virtual Point ViewportOrigin() const = 0;
  virtual void SetViewportOrigin(Point origin) = 0;
  // Copies the top-left `size` of a bitmap resource to `at` (straight copy).
  virtual void DrawBitmapResource(int id, Point at, Size size) = 0;
};

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

// Controls of the editor's windows, described by the portable code and made
// by the platform. They report to the window they belong to with command
// messages: first parameter the control id and a notification code, second
// the control's window.
enum class ControlKind {
  kToolbar,       // buttons from a toolbar resource (ids and pictures)
  kStatusBar,     // panes of fixed widths, the last one maybe to the right edge
  kDropDownList,  // pick one entry, no typing (in a toolbar: at a button's place)
  kEdit,          // one line of text (in a toolbar: at a button's place)
};

// A status bar's last pane width that reaches the bar's right edge.
inline constexpr int kPaneToRightEdge = -1;

struct ControlDescription {
  ControlKind kind = ControlKind::kToolbar;
  WindowId parent = 0;  // the frame, or the toolbar for a list or field in it
  int id = 0;
  int resource = 0;                // toolbar: its resource
  std::vector<int> disabled;       // toolbar: buttons shown disabled (greyed)
  std::vector<int> indeterminate;  // toolbar: buttons shown neither on nor off
  int placeholder = 0;             // list, field in a toolbar: the button whose place it takes
  int width = 0;                   // list, field: width of that place, pixels
  int dropHeight = 0;              // list: height with the list dropped down, pixels
  std::vector<int> panes;          // status bar: pane widths, pixels (last: kPaneToRightEdge)
  std::string fontFace;            // list, field: font, empty for the default one
  int fontPoints = 0;
  int maxChars = 0;           // field: longest text, 0 for no limit
  int margins = 0;            // field: inner margin left and right, pixels
  bool rightAligned = false;  // field
};

// Notification codes the editor reacts to.
inline constexpr uint32_t kListSelectionChanged = 1;  // a list's new entry
inline constexpr uint32_t kEditUpdated = 0x0400;      // a field's new text, before it shows

// DialogButton (the buttons a message box returns) comes with the automation
// script, whose `answer` names them.
enum class MessageBoxButtons { kOk, kOkCancel, kYesNo };
// The picture beside a message box's text.
enum class MessageBoxIcon { kNone, kWarning, kInformation };

enum class PeekResult { kNone, kMessage, kQuit };

// The common dialog that asks for a file to open.
struct OpenFileRequest {
  std::string title;
  // Pairs of description and patterns, '|' between them and at the end:
  // "TIFF (*.TIF)|*.TIF||".
  std::string filter;
  std::string initialFolder;
  bool hideReadOnly = true;
  bool overwritePrompt = true;
};

// How a picture drawn straight onto a window meets what is there.
enum class RasterOp { kCopy, kAnd };

// A progress bar's range, step and position.
struct ProgressBarState {
  int low = 0;
  int high = 100;
  int step = 10;
  int position = 0;
};

class EditorPlatform {
 public:
  virtual ~EditorPlatform() = default;

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
  virtual void Invalidate(WindowId window, bool erase) = 0;
  // Shows the window's scroll bars as described (hidden where all fits).
  virtual void SetScrollBars(WindowId window, const ScrollBarState& horizontal,
                             const ScrollBarState& vertical) = 0;
  // Shows a text in a pane of the frame's status bar.
  virtual void SetStatusText(WindowId frame, int pane, const std::string& text) = 0;

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
  // Items of a modeless dialog by their ids.
  virtual void SetDialogItemText(WindowId dialog, int item, const std::string& text) = 0;
  virtual std::string DialogItemText(WindowId dialog, int item) = 0;
  virtual void SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) = 0;
  // Offers a message to a modeless dialog's keyboard handling (Tab, Enter,
  // Esc); true when the dialog took it and it must not be dispatched.
  virtual bool DialogMessage(WindowId dialog, const Message& msg) = 0;
  // The common open-file dialog; the chosen path, or nothing when the user
  // cancelled it.
  virtual std::optional<std::string> AskOpenFile(WindowId owner,
                                                 const OpenFileRequest& request) = 0;
  // Opens a file or an address as the shell's "open" verb does, shown
  // normally; false when the shell could not.
  virtual bool ShellOpen(WindowId owner, const std::string& target) = 0;

  // Makes a control; 0 when it cannot be made.
  virtual WindowId CreateControl(const ControlDescription& description) = 0;
  // A list's entries and the selected one (-1: none).
  virtual void SetListItems(WindowId list, const std::vector<std::string>& items, int selected) = 0;
  virtual int ListSelection(WindowId list) = 0;
  // A field's text; setting it notifies the field's window as typing does.
  virtual void SetControlText(WindowId control, const std::string& text) = 0;
  virtual std::string ControlText(WindowId control) = 0;
  virtual void SetReadOnly(WindowId field, bool readOnly) = 0;
  // Shows or hides a toolbar or status bar; the frame lays itself out anew.
  virtual void ShowBar(WindowId bar, bool show) = 0;
  virtual bool BarShown(WindowId bar) = 0;

  // A timer that sends the window timer messages (first parameter: timerId)
  // every `milliseconds` until it is killed.
  virtual bool SetTimer(WindowId window, uintptr_t timerId, uint32_t milliseconds) = 0;
  virtual void KillTimer(WindowId window, uintptr_t timerId) = 0;

  // Waits for the next message of the thread. Returns false when it is the
  // quit message (its exit code in quitCode).
  virtual bool NextMessage(Message& msg, int& quitCode) = 0;
  // The next message if one is waiting, without waiting for one: kNone when
  // the queue is empty, kQuit (with its code, taken off the queue) for the
  // quit message.
  virtual PeekResult PeekNextMessage(Message& msg, int& quitCode) = 0;
  virtual void Dispatch(const Message& msg) = 0;
  virtual bool Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam) = 0;
  virtual void PostQuit(int exitCode) = 0;

  // Modal message box and dialog, owned by owner (0: the active window).
  virtual DialogButton ShowMessageBox(WindowId owner, const std::string& text,
                                      const std::string& caption, MessageBoxButtons buttons,
                                      MessageBoxIcon icon) = 0;
  virtual void ShowDialog(WindowId owner, int dialogId) = 0;
  // Shows a portable dialog modally from its template until OK (once the
  // dialog accepts its values) or Cancel; kFailed when it cannot be shown.
  virtual DialogResult RunDialog(WindowId owner, DialogHandler& dialog) = 0;

  // A string of the editor's string table (UTF-8); empty when it is missing.
  virtual std::string StringResource(int id) = 0;

  virtual std::string HostExecutablePath() = 0;

  // Where the editor's settings persist for this run.
  virtual ProfileStore& Profile() = 0;

 protected:
  // The kinds of CreateEditorWindow; each returns 0 on failure.
  virtual WindowId CreateFrameWindow(EditorWindow& frame, int resource) = 0;
  virtual WindowId CreateViewWindow(EditorWindow& view, WindowId frame) = 0;
  virtual WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) = 0;
};

// The platform of this build, for one editor run or dialog.
std::unique_ptr<EditorPlatform> CreateEditorPlatform();

}  // namespace ulvo
