// What the editor takes from the module and the process it runs in: the
// string table, menus and dialogs in the editor's language, the settings
// store of this run, the user's interface language and the host's executable.
#pragma once

#include <string>

#include "src/settings/profile_store.h"
#include "src/settings/ui_language.h"

namespace ulvo {

class EditorResources {
 public:
  virtual ~EditorResources() = default;

  // A string of the editor's string table (UTF-8) in the editor's
  // language; empty when it is missing.
  virtual std::string StringResource(int id) = 0;

  // The language of every text, menu and dialog of this platform (Japanese
  // until it is set).
  virtual UiLanguage language() const = 0;
  virtual void SetLanguage(UiLanguage language) = 0;
  // The user's interface language as the system names it ("ja-JP", "en-US",
  // "ja_JP.UTF-8"); empty when it cannot be told.
  virtual std::string UserInterfaceLanguage() = 0;

  virtual std::string HostExecutablePath() = 0;

  // Where the editor's settings persist for this run.
  virtual ProfileStore& Profile() = 0;
};

// Sets the platform's language from the stored choice and the user's
// interface language.
void UseChosenLanguage(EditorResources& resources);

}  // namespace ulvo
