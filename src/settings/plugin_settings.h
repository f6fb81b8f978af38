// The editor's persistent choices: how fine previews and full renders are,
// the preview rectangle, the depth parameters, where aperture patterns are
// found and which was used last, and how the editor behaves at start, on
// Enter, on cancel and after a full run. Field names are the names of the
// stored values.
#pragma once

#include <cstdint>
#include <string>

#include "src/settings/profile_store.h"
#include "src/settings/ui_language.h"

namespace ulvo {

struct PluginSettings {
  int16_t PrevSkip = 1;     // skip factor of previews (1: every pixel)
  int16_t FullSkip = 1;     // skip factor of full renders
  int32_t PrevWidth = 100;  // preview rectangle, pixels
  int32_t PrevHeight = 100;
  int32_t Ndepth = 10;       // large depth levels
  int32_t MaxDMapSize = 24;  // maximum blur, pixels
  int32_t OnFocusDepth = 0;  // focus depth at start
  int32_t SaveMemory = 0;    // no effect; 0 whenever an image is taken in
  int32_t UseOldPat = 1;     // load OldPatName without a dialog at start
  int32_t KeepPattern = 1;   // keep the aperture pattern window open
  int32_t QuickQuit = 1;     // cancel without asking
  int32_t QuickEnd = 1;      // finish at once after a completed full run
  int32_t EnterExec = 0;     // Enter starts a full run
  std::string PatDir;        // first folder of the pattern file dialog
  std::string ImgDir;        // no effect; read and written back
  std::string OldPatName;    // full path of the last pattern chosen
};

// The folder of the host's executable: its path without the last path
// separator and what follows.
std::string HostFolder(const std::string& hostExecutablePath);

// "<host folder>\Plug-Ins\Filters\UlvoFilter\pattern", with the host path's
// own separator (a backslash on Windows).
std::string DefaultPatternFolder(const std::string& hostFolder);
// The local help page below the host folder, in the editor's language
// (index.html Japanese, index-en.html English).
std::string LocalHelpPage(const std::string& hostFolder, UiLanguage language);

// The defaults, with the pattern folder below the host's plug-in folder.
PluginSettings DefaultPluginSettings(const std::string& hostFolder);

// Reads every field, each with its current value as the fallback. The two
// skip factors keep the low 16 bits of what is stored; nothing is limited to
// the dialog's ranges here.
void LoadPluginSettings(const ProfileStore& store, PluginSettings& settings);

// What Save all wrote: every one of its 14 values is attempted, whatever
// failed before.
struct SaveAllResult {
  static constexpr int kValues = 14;
  int written = 0;
  bool ok() const { return written == kValues; }
  // "All Parameters Saved" or "Error saving parameters".
  const char* message() const;
};

// Writes the record in the stored order; the focus depth is the working one
// (0..255), not the record's.
SaveAllResult SaveAllPluginSettings(ProfileStore& store, const PluginSettings& settings,
                                    uint8_t activeFocusDepth);

}  // namespace ulvo
