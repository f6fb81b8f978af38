// What the entry point needs of the editor subsystem.
#pragma once

#include <string>

#include "src/job/depth_notice.h"
#include "src/job/filter_job.h"

namespace ulvo {

// Opens the editor window on the job, disables the host window, runs the
// modal loop until the end message and returns when the window has closed.
// The view writes job.accepted and the output pixels; nothing else here does.
// kOutOfMemory: the editor could not take in the image; nothing was shown
// and job.accepted stays 0. Without depth, `notice` is why (status bar).
EditorResult RunEditor(FilterJob& job, const DepthBuffer& depth, DepthNotice notice);

// The about box (dialog 133), modal.
void ShowAboutBox();

// "The distance data has been transferred" (dialog 142), modal. With a
// non-empty `elsewhere` (UTF-8) a message box says so and where the file went.
void ShowDepthTransferred(const std::string& elsewhere);

// The donor run's depth map could not be stored anywhere, modal.
void ShowDepthNotSaved();

// Full path of the host's executable (the process's main module).
std::string HostExecutablePath();

// Full path of the file this code was loaded from: the module (or, in a test
// program, the program itself).
std::string ModuleFilePath();

}  // namespace ulvo
