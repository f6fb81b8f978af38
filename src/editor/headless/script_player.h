// Plays the automation script on the headless platform: each step becomes
// what a user would do at the screen (messages to the editor's windows,
// choosing and typing in its controls, time passing, screenshots). Steps
// are turned into input only when the queue has run dry, so that a step's
// messages are all handled before the next step is read; while the editor
// is busy only the steps a user could take then are played. Modal windows
// take their answers from the same steps (see ScriptedDialogs).
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "src/editor/headless/input_source.h"
#include "src/editor/headless/player_screen.h"
#include "src/editor/headless/ui_log.h"
#include "src/editor/script/automation_script.h"

namespace ulvo {

class ScriptPlayer : public InputSource {
 public:
  // Malformed lines of the script are logged and left out.
  ScriptPlayer(std::string_view script, PlayerScreen& screen, UiLog log);

  bool FeedNext() override;
  bool FeedWaiting() override;

  // The steps as a modal window takes them.
  bool ended() const { return script_.empty(); }
  const ScriptStep& next() const { return script_.front(); }
  ScriptStep Take();
  // Takes the pauses (waits, sleeps) at the front of the script, as a modal
  // window that waits for its answer does.
  void SkipPauses();
  // Takes the next answer of the script after its pauses; false when the
  // next step is no answer.
  bool TakeAnswer(DialogButton& button);
  // Carries out a step that only pauses (sleep lets its time pass,
  // wait-editor and expect-open wait for what is there anyway); false for
  // any other step.
  bool Pause(const ScriptStep& step);

  size_t remainingSteps() const { return script_.size(); }

 private:
  void Execute(const ScriptStep& step);
  void Post(WindowId window, uint32_t msg, uintptr_t wParam, intptr_t lParam);
  void PostKey(const ScriptStep& step);
  void PressBusyDialogCancel(const ScriptStep& step);
  void Screenshot(const std::string& file);
  // While the editor is busy (a render is under way) only steps for what is
  // on the screen then, a dialog's Cancel and pauses, are taken.
  bool StepWaitsForEditor(const ScriptStep& step) const;

  PlayerScreen& screen_;
  UiLog log_;
  std::deque<ScriptStep> script_;
  bool endLogged_ = false;
};

}  // namespace ulvo
