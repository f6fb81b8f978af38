#include "src/editor/headless/headless_platform.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "src/editor/editor.h"

namespace ulvo {

HeadlessPlatform::HeadlessPlatform(std::string_view script, std::ostream& log,
                                   HeadlessOptions options)
    : log_(log),
      resources_(options.profile, options.userLanguage),
      screen_(windows_, controls_, queue_),
      player_(script, screen_, log_),
      dialogs_(player_, resources_, log_),
      windows_(log_, dialogs_, options),
      queue_(windows_, player_),
      controls_(windows_, queue_, log_) {}

std::unique_ptr<HeadlessPlatform> HeadlessPlatform::FromEnvironment(std::ostream& log) {
  const char* path = std::getenv("ULVO_EDITOR_SCRIPT");
  std::unique_ptr<HeadlessPlatform> platform;
  if (path == nullptr || *path == '\0') {
    platform = std::make_unique<HeadlessPlatform>(kDefaultEditorScript, log);
  } else {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (in) text << in.rdbuf();
    if (in) {
      platform = std::make_unique<HeadlessPlatform>(text.str(), log);
    } else {
      // An unreadable script ends the editor as a script that ran out would:
      // nothing is accepted by accident.
      log << "ui: cannot read script " << path << std::endl;
      platform = std::make_unique<HeadlessPlatform>("", log);
    }
  }
  // The module's own settings, as on Windows under the module's file name.
  platform->resources_.SetOwnStore(OpenUserProfileStore(FileBaseName(ModuleFilePath())));
  platform->resources_.TakeUserLanguageFromEnvironment();
  return platform;
}

}  // namespace ulvo
