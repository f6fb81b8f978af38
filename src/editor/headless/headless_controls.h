// The headless platform's controls: what the editor's lists, fields, bars
// and dialog items hold, and what a user's choosing and typing does to them.
// A control is a window of the window table without an object behind it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "src/editor/control_set.h"
#include "src/editor/headless/headless_windows.h"
#include "src/editor/headless/ui_log.h"
#include "src/editor/message_queue.h"

namespace ulvo {

class HeadlessControls : public ControlSet {
 public:
  HeadlessControls(HeadlessWindows& windows, MessageQueue& queue, UiLog log);

  WindowId CreateControl(const ControlDescription& description) override;
  void SetListItems(WindowId list, const std::vector<std::string>& items, int selected) override;
  int ListSelection(WindowId list) override;
  void SetControlText(WindowId control, const std::string& text) override;
  std::string ControlText(WindowId control) override;
  void SetReadOnly(WindowId field, bool readOnly) override;
  void ShowBar(WindowId bar, bool show) override;
  bool BarShown(WindowId bar) override;
  void SetStatusText(WindowId frame, int pane, const std::string& text) override;
  // Logged as `prompt "TEXT"`, and `prompt ended` when the pane gets its own text back.
  void ShowPrompt(WindowId frame, const std::string& prompt) override;
  void SetDialogItemText(WindowId dialog, int item, const std::string& text) override;
  std::string DialogItemText(WindowId dialog, int item) override;
  void SetDialogProgress(WindowId dialog, int item, const ProgressBarState& state) override;

  // What a user does to a control by its id: picks a list's entry (the
  // list's window hears of it), types a field's text (up to its limit;
  // not into a read-only one), drops a list down. Each is logged.
  void Choose(int id, int index);
  void Type(int id, const std::string& text);
  void Drop(int id);
  void LogStatusBar() const;

  // State for tests.
  // A control of the editor by its id (the newest with that id), or 0.
  WindowId FindControl(int id) const;
  const std::vector<std::string>& listItems(WindowId list) const {
    return controls_.at(list).items;
  }
  bool readOnly(WindowId field) const { return controls_.at(field).readOnly; }
  // A progress bar of a modeless dialog as last set.
  ProgressBarState dialogProgress(WindowId dialog, int item) const {
    const auto it = progress_.find({dialog, item});
    return it == progress_.end() ? ProgressBarState{} : it->second;
  }
  std::string statusText(int pane) const {
    return pane >= 0 && pane < 2 ? statusTexts_[pane] : std::string();
  }

 private:
  struct Control {
    ControlDescription description;
    WindowId notify = 0;  // the window its notifications go to
    std::vector<std::string> items;
    int selected = -1;
    std::string text;
    bool readOnly = false;
    bool shown = true;
  };
  // The control with that id if it is of that kind; window gets its id either way.
  Control* FindControl(int id, ControlKind kind, WindowId& window);
  void Forget(WindowId window);

  HeadlessWindows& windows_;
  MessageQueue& queue_;
  UiLog log_;
  std::map<WindowId, Control> controls_;
  std::map<std::pair<WindowId, int>, std::string> itemTexts_;
  std::map<std::pair<WindowId, int>, ProgressBarState> progress_;
  std::string statusTexts_[2];
};

}  // namespace ulvo
