// How a test sets up the headless platform.
#pragma once

#include <string>

#include "src/editor/geometry.h"
#include "src/settings/profile_store.h"

namespace ulvo {

struct HeadlessOptions {
  bool failFrameCreation = false;  // tests: the frame window cannot be created
  bool failViewCreation = false;   // tests: the view window cannot be created
  // The settings store; without one the run keeps its settings in memory.
  ProfileStore* profile = nullptr;
  // The view's client size once the frame has laid it out.
  Size viewSize{640, 480};
  // The user's interface language the platform reports; a run by a host
  // takes it from the locale's environment instead.
  std::string userLanguage = "ja-JP";
};

}  // namespace ulvo
