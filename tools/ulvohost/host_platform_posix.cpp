#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "src/editor/script/automation_script.h"
#include "tools/ulvohost/host_platform_factory.h"

extern char** environ;

namespace ulvo::host {
namespace {

namespace fs = std::filesystem;

constexpr const char* kScriptVariable = "ULVO_EDITOR_SCRIPT";

// The module's headless editor reads its script from the file named by an
// environment variable; without --script the host writes the default script.
class PosixPlatform final : public HostPlatform {
 public:
  ~PosixPlatform() override { RemoveDefaultScript(); }

  intptr_t HostWindow() override { return 0; }

  bool BeginRun(const RunPlan& run, std::string& error) override {
    std::string path = run.script;
    if (path.empty()) {
      RemoveDefaultScript();
      std::error_code ec;
      fs::path dir = fs::temp_directory_path(ec);
      if (ec) dir = ".";
      std::string pattern = (dir / "ulvohost-script-XXXXXX").string();
      const int fd = mkstemp(pattern.data());
      if (fd < 0) {
        error = "cannot create the default editor script";
        return false;
      }
      close(fd);
      defaultScript_ = pattern;
      std::ofstream(defaultScript_, std::ios::binary)
          << (run.about ? kDefaultAboutScript : kDefaultEditorScript);
      path = defaultScript_;
    } else if (!fs::exists(path)) {
      error = "editor script not found: " + path;
      return false;
    }
    setenv(kScriptVariable, path.c_str(), 1);
    return true;
  }

  bool EndRun() override {
    unsetenv(kScriptVariable);
    RemoveDefaultScript();
    return true;
  }

 private:
  void RemoveDefaultScript() {
    if (defaultScript_.empty()) return;
    std::error_code ec;
    fs::remove(defaultScript_, ec);
    defaultScript_.clear();
  }

  std::string defaultScript_;
};

}  // namespace

std::unique_ptr<HostPlatform> CreateHostPlatform(std::string&) {
  return std::make_unique<PosixPlatform>();
}

int RunAsNamedCopy(const std::string& name, const std::vector<std::string>& args,
                   std::string& error) {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  if (ec) {
    error = "cannot find this executable: " + ec.message();
    return -1;
  }
  fs::path tmp = fs::temp_directory_path(ec);
  if (ec) tmp = ".";
  std::string dirPattern = (tmp / "ulvohost-as-XXXXXX").string();
  if (!mkdtemp(dirPattern.data())) {
    error = "cannot create a temporary folder";
    return -1;
  }
  const fs::path dir = dirPattern;
  const fs::path copy = dir / name;
  fs::copy_file(self, copy, ec);
  if (!ec) fs::permissions(copy, fs::perms::owner_all, fs::perm_options::replace, ec);
  if (ec) {
    error = "cannot copy this executable to " + copy.string() + ": " + ec.message();
    fs::remove_all(dir, ec);
    return -1;
  }

  std::vector<std::string> argv = {copy.string()};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (std::string& a : argv) pointers.push_back(a.data());
  pointers.push_back(nullptr);

  pid_t pid = 0;
  const int spawned =
      posix_spawn(&pid, argv[0].c_str(), nullptr, nullptr, pointers.data(), environ);
  int status = -1;
  if (spawned != 0) {
    error = "cannot start " + copy.string();
  } else {
    int wstatus = 0;
    while (waitpid(pid, &wstatus, 0) < 0 && errno == EINTR) {
    }
    status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  }
  fs::remove_all(dir, ec);
  return status;
}

}  // namespace ulvo::host
