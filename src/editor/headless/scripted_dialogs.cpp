#include "src/editor/headless/scripted_dialogs.h"

#include <algorithm>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "src/editor/headless/headless_strings.h"

namespace ulvo {

namespace {

// The controls of a dialog as the script leaves them; radio buttons behave
// as auto radio buttons of their groups do.
class ScriptedControls : public DialogControls {
 public:
  explicit ScriptedControls(std::vector<std::vector<int>> groups) : groups_(std::move(groups)) {}
  std::string Text(int id) override { return texts_[id]; }
  void SetText(int id, const std::string& text) override { texts_[id] = text; }
  bool Checked(int id) override { return checks_[id]; }
  void SetChecked(int id, bool checked) override {
    if (checked) {
      for (const std::vector<int>& group : groups_) {
        if (std::find(group.begin(), group.end(), id) == group.end()) continue;
        for (int other : group) checks_[other] = false;
      }
    }
    checks_[id] = checked;
  }
  void Focus(int id) override { focus = id; }
  void SetListItems(int id, const std::vector<std::string>& items) override {
    lists_[id] = items;
    selections_[id] = -1;
  }
  int ListSelection(int id) override {
    const auto found = selections_.find(id);
    return found != selections_.end() ? found->second : -1;
  }
  void SetListSelection(int id, int index) override {
    const auto list = lists_.find(id);
    const bool valid =
        list != lists_.end() && index >= 0 && static_cast<size_t>(index) < list->second.size();
    selections_[id] = valid ? index : -1;
  }
  // The entry a `choose` step picked, or nothing when the list has no such entry.
  std::optional<std::string> Choose(int id, int index) {
    SetListSelection(id, index);
    if (ListSelection(id) < 0) return std::nullopt;
    return lists_[id][static_cast<size_t>(index)];
  }
  int focus = 0;

 private:
  std::vector<std::vector<int>> groups_;
  std::map<int, std::string> texts_;
  std::map<int, bool> checks_;
  std::map<int, std::vector<std::string>> lists_;
  std::map<int, int> selections_;
};

}  // namespace

DialogButton ScriptedDialogs::Answer(const std::string& caption, const std::string& text,
                                     bool allowCancel, bool yesNo) {
  const DialogButton fallback = yesNo ? DialogButton::kYes : DialogButton::kOk;
  DialogButton button = fallback;
  if (!player_.TakeAnswer(button)) {
    log_("no answer in the script for \"" + caption + "\", default button taken");
    button = fallback;
  } else {
    const bool fits =
        yesNo ? (button == DialogButton::kYes || button == DialogButton::kNo)
              : (button == DialogButton::kOk || (allowCancel && button == DialogButton::kCancel));
    if (!fits) {
      log_(std::string("answer ") + ButtonName(button) + " does not fit \"" + caption +
           "\", default button taken");
      button = fallback;
    }
  }
  log_("dialog \"" + caption + "\" \"" + text + "\" -> " + ButtonName(button));
  return button;
}

DialogButton ScriptedDialogs::ShowMessageBox(WindowId /*owner*/, const std::string& text,
                                             const std::string& caption, MessageBoxButtons buttons,
                                             MessageBoxIcon /*icon*/) {
  return Answer(caption, text, buttons == MessageBoxButtons::kOkCancel,
                buttons == MessageBoxButtons::kYesNo);
}

void ScriptedDialogs::ShowDialog(WindowId /*owner*/, int dialogId) {
  const DialogTexts texts = HeadlessDialogTexts(dialogId, resources_.language());
  // Escape closes a dialog as its OK button does, so cancel is an answer too.
  Answer(texts.title, texts.text, true, false);
}

DialogResult ScriptedDialogs::RunDialog(WindowId /*owner*/, DialogHandler& dialog) {
  const std::string name = "dialog " + std::to_string(dialog.resource());
  ScriptedControls controls(dialog.radioGroups());
  dialog.OnInit(controls);
  log_(name + " opened");
  while (!player_.ended()) {
    const ScriptStep step = player_.Take();
    if (player_.Pause(step)) continue;
    const std::string control = std::to_string(step.control);
    switch (step.op) {
      case ScriptOp::kType:
        controls.SetText(step.control, step.text);
        log_("type " + control + " \"" + step.text + "\"");
        break;
      case ScriptOp::kChoose:
        if (const std::optional<std::string> entry = controls.Choose(step.control, step.index)) {
          log_("choose " + control + " \"" + *entry + "\"");
        } else {
          log_("choose " + control + ": no entry " + std::to_string(step.index));
        }
        break;
      case ScriptOp::kCheck:
        controls.SetChecked(step.control, step.index != 0);
        log_("check " + control + (step.index != 0 ? " on" : " off"));
        break;
      case ScriptOp::kAnswer:
        if (step.button == DialogButton::kCancel) {
          log_(name + " -> cancel");
          return DialogResult::kCancel;
        }
        if (step.button == DialogButton::kOk) {
          if (dialog.OnOk(controls)) {
            log_(name + " -> ok");
            return DialogResult::kOk;
          }
          log_(name + " stays open, focus on " + std::to_string(controls.focus));
          break;
        }
        log_(std::string("answer ") + ButtonName(step.button) + " does not fit " + name);
        break;
      default:
        log_("script line " + std::to_string(step.line) + " skipped: " + name + " is open");
        break;
    }
  }
  log_("script ended with " + name + " open, cancelled");
  return DialogResult::kCancel;
}

std::optional<std::string> ScriptedDialogs::AskOpenFile(WindowId /*owner*/,
                                                        const OpenFileRequest& request) {
  const std::string shown = "open-file \"" + request.title + "\" in \"" + request.initialFolder +
                            "\" (" + request.filter + ")";
  player_.SkipPauses();
  if (!player_.ended() && player_.next().op == ScriptOp::kOpenFile) {
    const std::string file = player_.Take().file;
    log_(shown + " -> \"" + file + "\"");
    return file;
  }
  if (!player_.ended() && player_.next().op == ScriptOp::kAnswer) {
    const DialogButton button = player_.Take().button;
    if (button != DialogButton::kCancel) {
      log_(shown + ": answer " + ButtonName(button) + " does not fit, cancelled");
    } else {
      log_(shown + " -> cancel");
    }
    return std::nullopt;
  }
  log_(shown + ": no file in the script, cancelled");
  return std::nullopt;
}

bool ScriptedDialogs::ShellOpen(WindowId /*owner*/, const std::string& target) {
  log_("shell open \"" + target + "\"");
  return true;
}

}  // namespace ulvo
