// Checks of an output path made before any work starts, so that a run that
// cannot write its result fails at once instead of after a long render.
#pragma once

#include <string>

namespace ulvo {

struct OutputCheck {
  int exitCode = 0;     // 0 when the path can be written; else the exit code to end with
  std::string message;  // for the user; it names the path
};

// Whether the name's extension is one the image writer knows (.png, .jpg,
// .jpeg, .tif, .tiff; any case).
bool IsWritableImageName(const std::string& path);

// Checks that `path` names a writable image type, is not a folder or
// another kind of non-regular file, and that its folder exists and accepts
// a new file. Writability is probed by creating and removing a file in the
// folder, as permission bits do not tell (an administrator writes
// anywhere; access lists and read-only mounts are not in the bits).
OutputCheck CheckOutputPath(const std::string& path);

}  // namespace ulvo
