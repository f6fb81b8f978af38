// Values of the running editor that the frame, the view and later the
// settings dialog share. They belong to one editor run, which owns them.
#pragma once

#include <cstdint>

#include "src/job/depth_notice.h"

namespace ulvo {

struct ActiveValues {
  int32_t ActivePlanes = 0;  // copy of FilterJob::planes, for the frame
  int32_t ActiveRepeat = 0;  // copy of FilterJob::repeat, for the frame
  // A depth map exists: the image's fourth plane or the hand-off file's data.
  bool DepthAvailable = false;
  // Why there is none, when there is none: the status bar says so.
  DepthNotice depthNotice = DepthNotice::kNone;
  uint8_t ActiveFocusDepth = 0;
  float ActiveHardness = 1.0f;
  float ActiveBrightness = 1.0f;
};

}  // namespace ulvo
