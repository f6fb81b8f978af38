// Elsewhere than on Windows the settings live in a file in the user's
// configuration folder: UlvoSoft/<application>.ini.
#include <cstdlib>
#include <memory>
#include <string>

#include "src/settings/file_profile_store.h"
#include "src/settings/memory_profile_store.h"

namespace ulvo {

std::unique_ptr<ProfileStore> OpenUserProfileStore(const std::string& appName) {
  std::string folder;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config != '\0') {
    folder = config;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
    folder = std::string(home) + "/.config";
  } else {
    return std::make_unique<MemoryProfileStore>();  // nowhere to keep them
  }
  const std::string name = appName.empty() ? std::string("ulvofilter") : appName;
  return std::make_unique<FileProfileStore>(folder + "/" + kProfileCompany + "/" + name + ".ini");
}

}  // namespace ulvo
