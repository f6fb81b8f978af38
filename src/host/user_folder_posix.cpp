#include <cstdlib>

#include "src/host/user_folder.h"

namespace ulvo {

std::filesystem::path PerUserFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (state != nullptr && state[0] == '/') return std::filesystem::path(state) / "ulvofilter";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') {
    return std::filesystem::path(home) / ".local" / "state" / "ulvofilter";
  }
  return {};
}

}  // namespace ulvo
