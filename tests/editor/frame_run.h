// A headless editor run on a frame built by hand, so that a test can look at
// the frame, the view and the platform at the start and at the end; the
// script is followed by finishing the editor.
#pragma once

#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "src/editor/editor_app.h"
#include "src/editor/headless/headless_platform.h"
#include "src/editor/ulvo_pi_frame.h"
#include "src/settings/memory_profile_store.h"

namespace ulvo {

struct FrameRun {
  FrameRun() { active.DepthAvailable = true; }

  using Look = std::function<void(HeadlessPlatform&, CUlvoPiFrame&)>;

  void Go(const std::string& script, const Look& atStart = {}, const Look& atEnd = {}) {
    HeadlessOptions options;
    options.profile = &store;
    std::ostringstream out;
    HeadlessPlatform platform(script + "\ncommand 57665\n", out, options);
    EditorApp app(platform.dialogs());
    CUlvoPiFrame frame(platform, app, std::make_unique<CUlvoPiDoc>(platform.queue()), active);
    ASSERT_TRUE(frame.Create());
    frame.GetActiveView()->SetFrame(&frame);
    if (atStart) atStart(platform, frame);
    frame.RunModalLoop();
    if (atEnd) atEnd(platform, frame);
    frame.Destroy();
    log = out.str();
  }

  bool Logged(const std::string& line) const {
    return log.find("ui: " + line) != std::string::npos;
  }

  MemoryProfileStore store;
  ActiveValues active;
  std::string log;
};

}  // namespace ulvo
