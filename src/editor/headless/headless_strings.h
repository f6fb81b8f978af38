// The texts of the editor's string table and dialogs for the platform that
// has no resources to load them from. They match the module's resources.
#pragma once

#include <string>

namespace ulvo {

std::string HeadlessStringResource(int id);

struct DialogTexts {
  std::string title;
  std::string text;
};
DialogTexts HeadlessDialogTexts(int dialogId);

}  // namespace ulvo
