#include "src/editor/headless/headless_resources.h"

#include <cstdlib>

#include "src/editor/editor.h"
#include "src/editor/headless/headless_strings.h"
#include "src/settings/memory_profile_store.h"

namespace ulvo {

std::string HeadlessResources::StringResource(int id) {
  return HeadlessStringResource(id, language_);
}

void HeadlessResources::TakeUserLanguageFromEnvironment() {
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') {
      userLanguage_ = value;
      return;
    }
  }
  userLanguage_.clear();
}

std::string HeadlessResources::HostExecutablePath() {
  return ulvo::HostExecutablePath();
}

ProfileStore& HeadlessResources::Profile() {
  if (profile_ != nullptr) return *profile_;
  if (own_ == nullptr) own_ = std::make_unique<MemoryProfileStore>();
  return *own_;
}

}  // namespace ulvo
