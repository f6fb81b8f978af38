// What the status bar's second pane says when a run has no depth map: the
// whole image will then be blurred evenly with the widest kernel, and the
// user should know that before rendering, and why.
#pragma once

#include <string>

#include "src/job/depth_notice.h"

namespace ulvo {

// The text for a run without depth (UTF-8); kNone says that nothing is known
// beyond the missing map. Empty only for runs that have their depth.
std::string DepthNoticeText(DepthNotice notice);

}  // namespace ulvo
