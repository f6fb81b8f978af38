// Loads a filter module and finds its entry point: dlopen/dlsym natively; on
// Windows the module's property list is read and checked first, as hosts do.
#pragma once

#include <memory>
#include <string>

#include "src/host/filter_record.h"

namespace ulvo::host {

class LoadedModule {
 public:
  virtual ~LoadedModule() = default;
  virtual pi::EntryPointProc entry() const = 0;
};

// Returns null with a message in `error` when the module cannot be used.
std::unique_ptr<LoadedModule> LoadFilterModule(const std::string& path, std::string& error);

// True while the module at `path` is still mapped into this process (after
// its LoadedModule was destroyed that means the system kept it loaded).
bool ModuleStillLoaded(const std::string& path);

}  // namespace ulvo::host
