// Which host runs the module, and which images it may hand us.
#pragma once

#include <cstdint>
#include <string_view>

namespace ulvo {

enum class HostKind : int32_t {
  kGeneric = 1,
  kPhotosle = 2,
  kPsp = 3,
};

// Recognises the host by its executable's path: only the three spellings of
// each name count (case-sensitive). A path naming neither keeps `current`.
HostKind DetectHostKind(std::string_view executablePath, HostKind current);

// Whether the start selector accepts an image of this mode and plane count.
// Besides the per-host rule, a plane count the buffers cannot be addressed
// with (below 1, or 2: no room for three colour bytes) is always refused.
bool ImageAccepted(HostKind kind, int32_t imageMode, int32_t planes);

}  // namespace ulvo
