// The platform of this build of the host and re-execution under another name.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "tools/ulvohost/host_platform.h"

namespace ulvo::host {

// Null with a message when the platform cannot be set up (no display, ...).
std::unique_ptr<HostPlatform> CreateHostPlatform(std::string& error);

// Copies this executable into a fresh temporary folder under `name`, runs the
// copy with `args` (without the executable name) in the current directory,
// waits for it and removes the copy. Returns the copy's exit status, or -1
// with a message when it could not be started.
int RunAsNamedCopy(const std::string& name, const std::vector<std::string>& args,
                   std::string& error);

}  // namespace ulvo::host
