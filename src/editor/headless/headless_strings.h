// The texts of the editor's string table and dialogs for the platform that
// has no resources to load them from: the tables written from the module's
// resource scripts, in the editor's language.
#pragma once

#include <string>

#include "src/settings/ui_language.h"

namespace ulvo {

// Empty when the string table has no such entry.
std::string HeadlessStringResource(int id, UiLanguage language);

// A dialog's caption and its texts, as a user reads them: the template's
// static texts in order, joined by spaces.
struct DialogTexts {
  std::string title;
  std::string text;
};
DialogTexts HeadlessDialogTexts(int dialogId, UiLanguage language);

}  // namespace ulvo
