// The editor run on a given platform; RunEditor uses the build's platform.
#pragma once

#include "src/editor/editor_platform.h"
#include "src/job/filter_job.h"

namespace ulvo {

// Opens the editor on the job, runs it until it ends and closes it. The host
// window is disabled meanwhile and enabled again on every path out.
void RunEditorOn(EditorPlatform& platform, FilterJob& job, const DepthBuffer& depth);

}  // namespace ulvo
