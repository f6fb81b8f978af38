// The editor platform without windows: an in-memory message queue fed from
// the automation script, message boxes answered by the script, and `ui:` lines
// on a log stream so that tests can see what the editor showed and did.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "src/editor/editor_platform.h"
#include "src/editor/script/automation_script.h"

namespace ulvo {

struct HeadlessOptions {
  bool failFrameCreation = false;  // tests: the frame window cannot be created
  bool failViewCreation = false;   // tests: the view window cannot be created
  // The settings store; without one the run keeps its settings in memory.
  ProfileStore* profile = nullptr;
  // The view's client size once the frame has laid it out.
  Size viewSize{640, 480};
};

class HeadlessPlatform : public EditorPlatform,
                         public WindowSystem,
                         public ControlSet,
                         public MessageQueue,
                         public ModalDialogs,
                         public EditorResources {
 public:
  HeadlessPlatform(std::string_view script, std::ostream& log, HeadlessOptions options = {});
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // The script named by ULVO_EDITOR_SCRIPT, or the default script without it.
  static std::unique_ptr<HeadlessPlatform> FromEnvironment(std::ostream& log);

  static constexpr WindowId kHostWindow = 1;

  // Every role is played by the platform itself, with its state for tests.
  HeadlessPlatform& windows() override { return *this; }
  HeadlessPlatform& controls() override { return *this; }
  HeadlessPlatform& queue() override { return *this; }
  HeadlessPlatform& dialogs() override { return *this; }
  HeadlessPlatform& resources() override { return *this; }
  HeadlessPlatform& player() { return *this; }

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
  void SetStatusText(WindowId frame, int pane, const std::string& text) override;
  // Headless time stands still except in the script's sleep steps, which let
  // the timers that fall due in them fire (once each, as coalesced timer
  // messages do).
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
  // Plays the dialog from the script: type, check and choose steps fill its
  // controls, answer presses OK or Cancel; other steps are skipped while it
  // is open, and a script that ends cancels it.
  DialogResult RunDialog(WindowId owner, DialogHandler& dialog) override;
  std::string StringResource(int id) override;
  std::string HostExecutablePath() override;
  ProfileStore& Profile() override;

  // Sends a message straight to a window, with default processing.
  intptr_t Send(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);

  // State for tests.
  bool hostEnabled() const { return hostEnabled_; }
  bool closeItemDisabled() const { return closeItemDisabled_; }
  WindowId frameWindow() const { return frame_; }
  WindowId viewWindow() const { return view_; }
  bool windowExists(WindowId window) const { return windows_.count(window) != 0; }
  size_t pendingMessages() const { return queue_.size(); }
  size_t remainingSteps() const { return script_.size(); }
  // A control of the editor by its id (the newest with that id), or 0.
  WindowId FindControl(int id) const;
  const std::vector<std::string>& listItems(WindowId list) const {
    return controls_.at(list).items;
  }
  bool readOnly(WindowId field) const { return controls_.at(field).readOnly; }
  // The newest modeless dialog made from a template (0: none open).
  WindowId FindDialog(int resource) const;
  // A progress bar of a modeless dialog as last set.
  ProgressBarState dialogProgress(WindowId dialog, int item) const {
    const auto it = progress_.find({dialog, item});
    return it == progress_.end() ? ProgressBarState{} : it->second;
  }
  std::string statusText(int pane) const {
    return pane >= 0 && pane < 2 ? statusTexts_[pane] : std::string();
  }
  // The view's scroll bars as last shown.
  const ScrollBarState& scrollBar(ScrollAxis axis) const {
    return scrollBars_[axis == ScrollAxis::kHorizontal ? 0 : 1];
  }

 protected:
  WindowId CreateFrameWindow(EditorWindow& frame, int resource) override;
  WindowId CreateViewWindow(EditorWindow& view, WindowId frame) override;
  WindowId CreateModelessDialog(EditorWindow& dialog, int resource, WindowId owner) override;

 private:
  struct Timer {
    WindowId window = 0;
    uintptr_t id = 0;
    uint64_t interval = 0;
    uint64_t due = 0;
  };
  void AdvanceTime(uint64_t milliseconds);

  struct WindowEntry {
    EditorWindow* object = nullptr;
    WindowId parent = 0;
    int dialog = 0;  // the template of a modeless dialog
    Rect place;      // on the screen
  };
  // What a control holds; its window is an entry of windows_ without object.
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
  void Choose(const ScriptStep& step);
  void Type(const ScriptStep& step);
  // While an editor window is disabled (a render is under way) only steps
  // for what is on the screen then, a dialog's Cancel and pauses, are taken.
  bool StepWaitsForEditor(const ScriptStep& step) const;
  // The modeless dialog that takes a button of the script, if one is open.
  WindowId DialogForAnswer() const;

  std::set<WindowId> disabled_;  // editor windows disabled by the editor
  std::map<std::pair<WindowId, int>, std::string> itemTexts_;
  std::map<std::pair<WindowId, int>, ProgressBarState> progress_;
  void Log(std::string_view line);
  // Turns one script step into queued messages or immediate actions.
  void Execute(const ScriptStep& step);
  void PostKey(const ScriptStep& step);
  void Screenshot(const std::string& file);
  // Takes the pauses (waits, sleeps) at the front of the script, as a modal
  // window that waits for its answer does.
  void SkipPauses();
  // Takes the next answer of the script, skipping steps that do nothing here.
  bool TakeAnswer(DialogButton& button);
  DialogButton Answer(const std::string& caption, const std::string& text, bool allowCancel,
                      bool yesNo);
  std::optional<intptr_t> DefaultProcessing(WindowId window, uint32_t msg, uintptr_t wParam,
                                            intptr_t lParam);

  std::ostream& log_;
  HeadlessOptions options_;
  std::unique_ptr<ProfileStore> ownProfile_;  // used when options_ names none
  std::deque<ScriptStep> script_;
  std::deque<Message> queue_;
  std::map<WindowId, WindowEntry> windows_;
  WindowId nextWindow_ = 0x100;
  WindowId frame_ = 0;
  WindowId view_ = 0;
  bool frameShown_ = false;
  bool hostEnabled_ = true;
  bool closeItemDisabled_ = false;
  bool quitPending_ = false;
  int quitCode_ = 0;
  bool scriptEnded_ = false;
  uint64_t now_ = 0;
  std::vector<Timer> timers_;
  ScrollBarState scrollBars_[2];
  std::map<WindowId, Control> controls_;
  std::string statusTexts_[2];
};

}  // namespace ulvo
