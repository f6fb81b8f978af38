// Controls of the editor's windows, described by the portable code and made
// by the platform: the frame's toolbar with its lists and fields, the status
// bar, and the items of modeless dialogs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/editor/window_messages.h"

namespace ulvo {

// Controls report to the window they belong to with command messages: first
// parameter the control id and a notification code, second the control's
// window.
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

// A progress bar's range, step and position.
struct ProgressBarState {
  int low = 0;
  int high = 100;
  int step = 10;
  int position = 0;
};

class ControlSet {
 public:
  virtual ~ControlSet() = default;

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
  // Shows a text in a pane of the frame's status bar.
  virtual void SetStatusText(WindowId frame, int pane, const std::string& text) = 0;
  // Shows the prompt of the menu item or toolbar button pointed at in the
  // status bar's second pane; an empty prompt puts the pane's own text back.
  virtual void ShowPrompt(WindowId frame, const std::string& prompt) = 0;

  // Items of a modeless dialog by their ids.
  virtual void SetDialogItemText(WindowId dialog, int item, const std::string& text) = 0;
  virtual std::string DialogItemText(WindowId dialog, int item) = 0;
  virtual void SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) = 0;
};

}  // namespace ulvo
