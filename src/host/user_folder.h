// The per-user folder of the module's own files: where the depth hand-off
// goes when the host's current folder refuses new files.
#pragma once

#include <filesystem>

namespace ulvo {

// "<local application data>\UlvoFilter" on Windows; "$XDG_STATE_HOME/ulvofilter"
// (by default "~/.local/state/ulvofilter") elsewhere. Empty when the platform
// names no such place. The folder may not exist yet.
std::filesystem::path PerUserFolder();

}  // namespace ulvo
