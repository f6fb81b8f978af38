// The editor run on a given platform; RunEditor uses the build's platform.
#pragma once

#include "src/editor/editor_platform.h"
#include "src/job/depth_notice.h"
#include "src/job/filter_job.h"

namespace ulvo {

// Opens the editor on the job, runs it until it ends and closes it. The host
// window is disabled meanwhile and enabled again on every path out. Without
// the memory to open on the job, it returns kOutOfMemory with the windows
// gone and job.accepted 0; once open, a step that runs out of memory tells
// the user and the editor goes on. A job without depth gets the status bar's
// notice that the whole image will be blurred evenly, with `notice`'s reason.
EditorResult RunEditorOn(EditorPlatform& platform, FilterJob& job, const DepthBuffer& depth,
                         DepthNotice notice = DepthNotice::kNone);

}  // namespace ulvo
