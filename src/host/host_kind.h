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

// Bytes of one sample in an image mode: 2 for the 16-bit modes, 4 for the
// 32-bit ones, 1 for the others.
int32_t SampleBytesOfMode(int32_t imageMode);

// Whether the start selector accepts an image of this mode and plane count.
// Besides the per-host rule, a plane count the buffers cannot be addressed
// with (below 1, or 2: no room for three colour samples) and 32-bit samples
// are always refused. The 16-bit modes count as their 8-bit ones: RGB48 as
// RGB, a one-plane Gray16 as any one-plane image.
bool ImageAccepted(HostKind kind, int32_t imageMode, int32_t planes);

}  // namespace ulvo
