// ulvohost: a stand-in host that loads a filter module, feeds it images the
// way a real host does, drives its selectors and writes the results.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "tools/ulvohost/filter_session.h"
#include "tools/ulvohost/host_document.h"
#include "tools/ulvohost/host_log.h"
#include "tools/ulvohost/host_options.h"
#include "tools/ulvohost/host_platform_factory.h"
#include "tools/ulvohost/module_loader.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#endif

namespace ulvo::host {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitRunFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitSetup = 3;

bool LoadDocument(const std::string& path, int bits, Image& image, std::string& error) {
  Image file;
  if (!ReadImageFile(path, file, error)) return false;
  if (file.width <= 0 || file.height <= 0 || file.channels <= 0) {
    error = path + ": empty image";
    return false;
  }
  // Image coordinates of the interface are 16-bit.
  if (file.width > 32767 || file.height > 32767) {
    error = path + ": larger than 32767 pixels";
    return false;
  }
  image = DocumentOfFile(file, bits);
  return true;
}

bool LoadMask(const std::string& path, const Image& document, Image& mask, std::string& error) {
  Image file;
  if (!LoadDocument(path, document.bits, file, error)) return false;
  if (file.width != document.width || file.height != document.height) {
    error = path + ": the mask is " + std::to_string(file.width) + " x " +
            std::to_string(file.height) + ", the image " + std::to_string(document.width) + " x " +
            std::to_string(document.height);
    return false;
  }
  // The selection is the first channel of the mask file, at the document's
  // sample size.
  mask.width = file.width;
  mask.height = file.height;
  mask.channels = 1;
  mask.bits = file.bits;
  const size_t pixels = static_cast<size_t>(file.width) * file.height;
  mask.pixels.resize(pixels * static_cast<size_t>(file.sampleBytes()));
  for (size_t i = 0; i < pixels; ++i) {
    mask.setSample(i, file.sample(i * static_cast<size_t>(file.channels)));
  }
  return true;
}

bool EnterDirectory(const RunPlan& run) {
  if (run.cwd.empty()) return true;
  std::error_code ec;
  std::filesystem::current_path(run.cwd, ec);
  if (ec) SayError("cannot change to " + run.cwd + ": " + ec.message());
  return !ec;
}

// For one run the current folder refuses the module's hand-off file: folders
// take its name and its temporary name where no file has them. Permission bits
// would not do, as neither an administrator nor Wine's root is bound by them.
class HandOffBlock {
 public:
  explicit HandOffBlock(bool active) {
    if (!active) return;
    for (const char* name : {"alpha.dat", "alpha.dat.tmp"}) {
      std::error_code ec;
      if (std::filesystem::create_directory(name, ec)) made_.push_back(name);
    }
  }
  ~HandOffBlock() {
    for (const std::string& name : made_) {
      std::error_code ec;
      std::filesystem::remove(name, ec);  // only while still empty
    }
  }
  HandOffBlock(const HandOffBlock&) = delete;
  HandOffBlock& operator=(const HandOffBlock&) = delete;

 private:
  std::vector<std::string> made_;
};

bool DoFilterRun(FilterSession& session, const RunPlan& run) {
  std::string error;
  Image document;
  if (!LoadDocument(run.image, run.bits, document, error)) {
    SayError(error);
    return false;
  }
  Image mask;
  if (!run.mask.empty() && !LoadMask(run.mask, document, mask, error)) {
    SayError(error);
    return false;
  }
  Say("image: " + run.image + " " + std::to_string(document.width) + " x " +
      std::to_string(document.height) + " x " + std::to_string(document.channels) +
      (document.bits == 16 ? " at 16 bits" : ""));

  RunOutcome outcome;
  {
    const HandOffBlock block(run.readOnlyCwd);
    outcome = session.RunFilter(run, document, run.mask.empty() ? nullptr : &mask);
  }
  if (!outcome.hostOk) {
    SayError(outcome.error);
    Say("error: " + outcome.error);
  }
  // The document as the host keeps it: filtered after a successful run,
  // unchanged otherwise.
  if (!run.out.empty()) {
    if (!WriteImageFile(run.out, FileOfDocument(document), error)) {
      SayError(error);
      return false;
    }
    Say("output: " + run.out);
  }
  return outcome.hostOk;
}

// Unloads the module and loads it again, as hosts that load a module for
// every filter run do: nothing the module kept in memory survives.
std::unique_ptr<LoadedModule> ReloadModule(std::unique_ptr<LoadedModule> module,
                                           const std::string& path, std::string& error) {
  module.reset();
  if (ModuleStillLoaded(path)) {
    error = "the module stayed loaded after it was freed: " + path;
    return nullptr;
  }
  std::unique_ptr<LoadedModule> reloaded = LoadFilterModule(path, error);
  if (reloaded) Say("module: reloaded");
  return reloaded;
}

int Main(const std::vector<std::string>& args) {
  HostOptions options;
  std::string error;
  switch (ParseHostOptions(args, options, error)) {
    case ParseStatus::kHelp:
      std::fputs(HostUsage(), stdout);
      return kExitOk;
    case ParseStatus::kError:
      SayError(error);
      std::fputs(HostUsage(), stderr);
      return kExitUsage;
    case ParseStatus::kOk:
      break;
  }

  if (!options.runAs.empty()) {
    const int status = RunAsNamedCopy(options.runAs, ArgsWithoutRunAs(args), error);
    if (status < 0) {
      SayError(error);
      return kExitSetup;
    }
    return status;
  }

  std::unique_ptr<HostPlatform> platform = CreateHostPlatform(error);
  if (!platform) {
    SayError(error);
    return kExitSetup;
  }
  std::unique_ptr<LoadedModule> module = LoadFilterModule(options.module, error);
  if (!module) {
    SayError(error);
    Say("error: " + error);
    return kExitSetup;
  }

  int status = kExitOk;
  {
    FilterSession session(module->entry(), *platform, options.continueCap);
    for (size_t i = 0; i < options.runs.size(); ++i) {
      const RunPlan& run = options.runs[i];
      if (i > 0 && options.reloadBetweenRuns) {
        module = ReloadModule(std::move(module), options.module, error);
        if (!module) {
          SayError(error);
          Say("error: " + error);
          status = kExitSetup;
          break;
        }
        session.SetEntry(module->entry());
      }
      Say("run " + std::to_string(i + 1) + ": " + (run.about ? "about" : "filter"));
      bool ok = EnterDirectory(run);
      if (ok && run.about) {
        const RunOutcome outcome = session.RunAbout(run);
        ok = outcome.hostOk;
        if (!ok) SayError(outcome.error);
      } else if (ok) {
        ok = DoFilterRun(session, run);
      }
      if (!ok) {
        // A module left in an unknown state is not driven any further.
        status = kExitRunFailed;
        break;
      }
    }
  }
  module.reset();
  platform.reset();
  return status;
}

}  // namespace
}  // namespace ulvo::host

int main(int argc, char** argv) {
#if defined(_WIN32)
  // Plain line ends on standard output, the same as the Linux host.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::vector<std::string> args(argv + 1, argv + argc);
  return ulvo::host::Main(args);
}
