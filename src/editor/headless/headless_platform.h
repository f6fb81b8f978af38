// The editor platform without windows: the window table, its controls and an
// in-memory message queue, fed by the automation script's player, which also
// answers the modal windows; `ui:` lines on a log stream let tests see what
// the editor showed and did.
#pragma once

#include <memory>
#include <ostream>
#include <string_view>

#include "src/editor/editor_platform.h"
#include "src/editor/headless/headless_controls.h"
#include "src/editor/headless/headless_options.h"
#include "src/editor/headless/headless_queue.h"
#include "src/editor/headless/headless_resources.h"
#include "src/editor/headless/headless_screen.h"
#include "src/editor/headless/headless_windows.h"
#include "src/editor/headless/script_player.h"
#include "src/editor/headless/scripted_dialogs.h"
#include "src/editor/headless/ui_log.h"

namespace ulvo {

class HeadlessPlatform : public EditorPlatform {
 public:
  HeadlessPlatform(std::string_view script, std::ostream& log, HeadlessOptions options = {});
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  // The script named by ULVO_EDITOR_SCRIPT, or the default script without it.
  static std::unique_ptr<HeadlessPlatform> FromEnvironment(std::ostream& log);

  static constexpr WindowId kHostWindow = HeadlessWindows::kHostWindow;

  HeadlessWindows& windows() override { return windows_; }
  HeadlessControls& controls() override { return controls_; }
  HeadlessQueue& queue() override { return queue_; }
  ScriptedDialogs& dialogs() override { return dialogs_; }
  HeadlessResources& resources() override { return resources_; }
  ScriptPlayer& player() { return player_; }

 private:
  // Declared so that each part is made after every part it holds through
  // one of its interfaces; the screen holds the window system's parts by
  // their own types and may come before them.
  UiLog log_;
  HeadlessResources resources_;
  HeadlessScreen screen_;
  ScriptPlayer player_;
  ScriptedDialogs dialogs_;
  HeadlessWindows windows_;
  HeadlessQueue queue_;
  HeadlessControls controls_;
};

}  // namespace ulvo
