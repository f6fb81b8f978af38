// What the editor shows modally and waits for: message boxes, dialogs from
// the module's templates (plain ones and portable ones with data exchange),
// the common open-file dialog; and the shell's "open".
#pragma once

#include <optional>
#include <string>

#include "src/editor/dialog.h"
#include "src/editor/script/automation_script.h"
#include "src/editor/window_messages.h"
#include "src/settings/ui_language.h"

namespace ulvo {

// DialogButton (the buttons a message box returns) comes with the automation
// script, whose `answer` names them.
enum class MessageBoxButtons { kOk, kOkCancel, kYesNo };
// The picture beside a message box's text.
enum class MessageBoxIcon { kNone, kWarning, kInformation };

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

class ModalDialogs {
 public:
  virtual ~ModalDialogs() = default;

  // Modal message box and dialog, owned by owner (0: the active window).
  virtual DialogButton ShowMessageBox(WindowId owner, const std::string& text,
                                      const std::string& caption, MessageBoxButtons buttons,
                                      MessageBoxIcon icon) = 0;
  virtual void ShowDialog(WindowId owner, int dialogId) = 0;
  // Shows a portable dialog modally from its template until OK (once the
  // dialog accepts its values) or Cancel; kFailed when it cannot be shown.
  virtual DialogResult RunDialog(WindowId owner, DialogHandler& dialog) = 0;

  // The common open-file dialog; the chosen path, or nothing when the user
  // cancelled it.
  virtual std::optional<std::string> AskOpenFile(WindowId owner,
                                                 const OpenFileRequest& request) = 0;
  // Opens a file or an address as the shell's "open" verb does, shown
  // normally; false when the shell could not.
  virtual bool ShellOpen(WindowId owner, const std::string& target) = 0;

  // The language its templates and the editor's own messages come in.
  virtual UiLanguage language() const = 0;
};

}  // namespace ulvo
