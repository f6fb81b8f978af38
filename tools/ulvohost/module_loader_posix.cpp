#include <dlfcn.h>

#include "tools/ulvohost/module_loader.h"

namespace ulvo::host {
namespace {

class PosixModule final : public LoadedModule {
 public:
  PosixModule(void* handle, pi::EntryPointProc entry) : handle_(handle), entry_(entry) {}
  ~PosixModule() override { dlclose(handle_); }
  PosixModule(const PosixModule&) = delete;
  PosixModule& operator=(const PosixModule&) = delete;
  pi::EntryPointProc entry() const override { return entry_; }

 private:
  void* handle_;
  pi::EntryPointProc entry_;
};

}  // namespace

namespace {

// A relative name without a slash would be searched on the library path.
std::string LoadName(const std::string& path) {
  return path.find('/') == std::string::npos ? "./" + path : path;
}

}  // namespace

bool ModuleStillLoaded(const std::string& path) {
  void* handle = dlopen(LoadName(path).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (handle == nullptr) return false;
  dlclose(handle);
  return true;
}

std::unique_ptr<LoadedModule> LoadFilterModule(const std::string& path, std::string& error) {
  const std::string name = LoadName(path);
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = dlerror();
    error = "cannot load " + path + ": " + (why ? why : "unknown error");
    return nullptr;
  }
  void* symbol = dlsym(handle, "ENTRYPOINT");
  if (!symbol) {
    error = path + " exports no ENTRYPOINT";
    dlclose(handle);
    return nullptr;
  }
  return std::make_unique<PosixModule>(handle, reinterpret_cast<pi::EntryPointProc>(symbol));
}

}  // namespace ulvo::host
