// The headless platform's modal windows, answered by the script: message
// boxes and dialogs take the next `answer` step, a portable dialog is filled
// by `type` and `check` steps, the open-file dialog takes `open-file`. Each
// logs what it showed and what it was answered.
#pragma once

#include <optional>
#include <string>

#include "src/editor/editor_resources.h"
#include "src/editor/headless/script_player.h"
#include "src/editor/headless/ui_log.h"
#include "src/editor/modal_dialogs.h"

namespace ulvo {

class ScriptedDialogs : public ModalDialogs {
 public:
  ScriptedDialogs(ScriptPlayer& player, const EditorResources& resources, UiLog log)
      : player_(player), resources_(resources), log_(log) {}

  DialogButton ShowMessageBox(WindowId owner, const std::string& text, const std::string& caption,
                              MessageBoxButtons buttons, MessageBoxIcon icon) override;
  void ShowDialog(WindowId owner, int dialogId) override;
  // Plays the dialog from the script: type, check and choose steps fill its
  // controls, answer presses OK or Cancel; other steps are skipped while it
  // is open, and a script that ends cancels it.
  DialogResult RunDialog(WindowId owner, DialogHandler& dialog) override;
  std::optional<std::string> AskOpenFile(WindowId owner, const OpenFileRequest& request) override;
  // Only logged.
  bool ShellOpen(WindowId owner, const std::string& target) override;
  UiLanguage language() const override { return resources_.language(); }

 private:
  // The script's answer if it fits the buttons, else the default button
  // (OK, or Yes).
  DialogButton Answer(const std::string& caption, const std::string& text, bool allowCancel,
                      bool yesNo);

  ScriptPlayer& player_;
  const EditorResources& resources_;
  UiLog log_;
};

}  // namespace ulvo
