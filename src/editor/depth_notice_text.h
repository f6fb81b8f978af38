// What the status bar's second pane says when a run has no depth map: the
// whole image will then be blurred evenly with the widest kernel, and the
// user should know that before rendering, and why.
#pragma once

#include "src/job/depth_notice.h"

namespace ulvo {

// The string table entry for a run without depth; kNone says nothing is
// known beyond the missing map.
int DepthNoticeTextId(DepthNotice notice);

}  // namespace ulvo
