// The Win32 platform's modal windows: message boxes, dialogs from the
// module's templates (plain ones closed by OK or Cancel, and portable ones
// with their controls' data exchange), the common open-file dialog, and the
// shell's "open".
#pragma once

#include <optional>
#include <string>

#include "src/editor/modal_dialogs.h"
#include "src/editor/win32/win32_resources.h"

namespace ulvo::win32 {

class Win32Dialogs : public ModalDialogs {
 public:
  explicit Win32Dialogs(const Win32Resources& resources) : resources_(resources) {}

  DialogButton ShowMessageBox(WindowId owner, const std::string& text, const std::string& caption,
                              MessageBoxButtons buttons, MessageBoxIcon icon) override;
  void ShowDialog(WindowId owner, int dialogId) override;
  DialogResult RunDialog(WindowId owner, DialogHandler& dialog) override;
  std::optional<std::string> AskOpenFile(WindowId owner, const OpenFileRequest& request) override;
  bool ShellOpen(WindowId owner, const std::string& target) override;
  UiLanguage language() const override { return resources_.language(); }

 private:
  const Win32Resources& resources_;
};

}  // namespace ulvo::win32
