// What the editor takes from the module and the process it runs in: the
// string table, the settings store of this run and the host's executable.
#pragma once

#include <string>

#include "src/settings/profile_store.h"

namespace ulvo {

class EditorResources {
 public:
  virtual ~EditorResources() = default;

  // A string of the editor's string table (UTF-8); empty when it is missing.
  virtual std::string StringResource(int id) = 0;

  virtual std::string HostExecutablePath() = 0;

  // Where the editor's settings persist for this run.
  virtual ProfileStore& Profile() = 0;
};

}  // namespace ulvo
