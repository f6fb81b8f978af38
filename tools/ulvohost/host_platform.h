// What differs between the Windows host and the Linux host: the host window
// handed to the module and the automation of the module's editor.
#pragma once

#include <cstdint>
#include <string>

#include "tools/ulvohost/host_options.h"

namespace ulvo::host {

class HostPlatform {
 public:
  virtual ~HostPlatform() = default;
  // The window handle passed in platformData (0 where there is none).
  virtual intptr_t HostWindow() = 0;
  // Called before the first selector of a run: arranges the editor script.
  virtual bool BeginRun(const RunPlan& run, std::string& error) = 0;
  // Called after the last selector of a run; false when the script failed or
  // timed out. Prints whatever the platform reports about the run.
  virtual bool EndRun() = 0;
};

}  // namespace ulvo::host
