// What the end-to-end tests share: the host and module under test (from the
// environment), the settings they run with, images saved into a test's
// folder and helpers to read the host's report.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/e2e/host_process.h"
#include "tests/support/temp_dir.h"

namespace ulvo::e2e {

// ULVO_E2E_HOST: command prefix of the host (e.g. "wine .../ulvohost.exe");
// ULVO_E2E_MODULE: the module; ULVO_E2E_KIND: native, win32 or win64.
struct Target {
  std::vector<std::string> hostCommand;
  std::string module;
  std::string kind;

  bool valid() const { return !hostCommand.empty() && !module.empty(); }
  bool windows() const { return kind == "win32" || kind == "win64"; }
  // A path as the host sees it: drive Z: reaches the Linux file system under Wine.
  std::string HostPath(const std::string& path) const;
};

const Target& TargetFromEnvironment();

// A path the Windows host reported, as this program reaches it: Z: is the
// Linux root, C: the Wine prefix's drive_c. Empty when neither.
std::string LinuxPathOfWindowsPath(const std::string& path);

// Where the module keeps its settings during the tests, so that no run
// reads or changes the settings of the user running them: a folder of the
// test program for the native module (its XDG_CONFIG_HOME, which the host
// inherits), the key below HKEY_CURRENT_USER of the Wine prefix for the
// Windows modules. Both start empty.
class SettingsSandbox {
 public:
  // The native module's settings file (UlvoSoft/<module name>.ini).
  static std::string NativeFile();
  // Stores a registry value in the Wine prefix with the `reg` tool:
  // TYPE is REG_DWORD or REG_SZ.
  static bool SetRegistryValue(const std::string& name, const std::string& type,
                               const std::string& data);
};

// Set it to keep each test's folder (TempDir{kKeepFolders}) for a look.
inline constexpr char kKeepFolders[] = "ULVO_E2E_KEEP";

// What one host process printed, split into lines without line ends.
struct HostReport {
  ProcessResult process;
  std::vector<std::string> lines;

  // Values of every "result: N" line, one per run.
  std::vector<int> Results() const;
  // Lines beginning with `prefix`.
  std::vector<std::string> LinesStartingWith(const std::string& prefix) const;
  bool Contains(const std::string& text) const;
  std::string Dump() const;
};

// Runs the host in `dir` with `--module MODULE` followed by `args`.
HostReport RunHost(const Target& target, const TempDir& dir, const std::vector<std::string>& args,
                   int timeoutSeconds = 120);

// Writes a script file into the folder and returns its name.
std::string WriteScript(const TempDir& dir, const std::string& name, const std::string& text);

// Mask: 0 left of `split`, 255 from it on.
Image MakeSplitMask(int width, int height, int split);
void SaveImage(const TempDir& dir, const std::string& name, const Image& image);
Image LoadImage(const TempDir& dir, const std::string& name);

int32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t offset);

// A 16-bit picture after an 8-bit one, with fine steps between its values so
// that the low byte matters, holding only samples a 16-bit document can
// carry: each is the file value of a value of the interface's 0..32768 range.
Image SixteenBitPicture(const Image& eight);

// What a host that keeps 16-bit documents in the interface's range writes of
// a 16-bit image: every sample taken into that range and back, rounded.
Image ThroughHostRange(Image image);

}  // namespace ulvo::e2e
