#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace fs = std::filesystem;

std::string Target::HostPath(const std::string& path) const {
  if (!windows() || path.empty() || path[0] != '/') return path;
  std::string windowsPath = "Z:" + path;
  for (char& c : windowsPath) {
    if (c == '/') c = '\\';
  }
  return windowsPath;
}

std::string LinuxPathOfWindowsPath(const std::string& path) {
  if (path.size() < 3 || path[1] != ':' || path[2] != '\\') return path;
  std::string rest = path.substr(2);
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  const char drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
  if (drive == 'Z') return rest;
  const char* prefix = std::getenv("WINEPREFIX");
  if (drive != 'C' || prefix == nullptr) return {};
  return std::string(prefix) + "/drive_c" + rest;
}

const Target& TargetFromEnvironment() {
  static const Target target = [] {
    Target t;
    auto get = [](const char* name) {
      const char* value = std::getenv(name);
      return std::string(value ? value : "");
    };
    std::istringstream words(get("ULVO_E2E_HOST"));
    for (std::string word; words >> word;) t.hostCommand.push_back(word);
    t.module = get("ULVO_E2E_MODULE");
    t.kind = get("ULVO_E2E_KIND");
    if (t.kind.empty()) t.kind = "native";
    return t;
  }();
  return target;
}

namespace {

// The registry key of the Windows modules' settings.
constexpr char kSettingsKey[] = "HKCU\\Software\\UlvoSoft";

// Runs Wine's `reg` tool through the host command's Wine launcher.
bool RunReg(const std::vector<std::string>& args) {
  const Target& target = TargetFromEnvironment();
  if (!target.windows() || target.hostCommand.size() < 2) return false;
  std::vector<std::string> argv = {target.hostCommand.front(), "reg"};
  argv.insert(argv.end(), args.begin(), args.end());
  const ProcessResult result = RunProcess(argv, ".", 120);
  return result.started && !result.timedOut && result.exitCode == 0;
}

// Set up once for the whole test program, before any test runs.
class SettingsEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    const Target& target = TargetFromEnvironment();
    if (!target.valid()) return;
    if (target.windows()) {
      RunReg({"delete", kSettingsKey, "/f"});  // fails harmlessly when there is none
      return;
    }
    std::error_code ec;
    folder_ =
        (fs::temp_directory_path(ec) / ("ulvo-e2e-config-" + std::to_string(getpid()))).string();
    fs::remove_all(folder_, ec);
    fs::create_directories(folder_, ec);
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
    // The native module's per-user folder (for the hand-off file) too.
    const std::string state = folder_ + "/state";
    setenv("XDG_STATE_HOME", state.c_str(), 1);
    // The user the tests play reads Japanese, as under Wine (the Windows
    // kinds' environment sets the same locale); a test of the English editor
    // says so in the settings or changes this for its own runs.
    unsetenv("LC_ALL");
    unsetenv("LC_MESSAGES");
    setenv("LANG", "ja_JP.UTF-8", 1);
  }
  void TearDown() override {
    std::error_code ec;
    if (!folder_.empty()) fs::remove_all(folder_, ec);
  }

 private:
  std::string folder_;
};

const auto* const kSettingsEnvironment =
    ::testing::AddGlobalTestEnvironment(new SettingsEnvironment);

}  // namespace

std::string SettingsSandbox::NativeFile() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const std::string module = fs::path(TargetFromEnvironment().module).stem().string();
  return std::string(config != nullptr ? config : ".") + "/UlvoSoft/" + module + ".ini";
}

bool SettingsSandbox::SetRegistryValue(const std::string& name, const std::string& type,
                                       const std::string& data) {
  const std::string module = fs::path(TargetFromEnvironment().module).stem().string();
  return RunReg({"add", std::string(kSettingsKey) + "\\" + module + "\\UlvoFilter", "/v", name,
                 "/t", type, "/d", data, "/f"});
}

std::vector<int> HostReport::Results() const {
  std::vector<int> results;
  for (const std::string& line : LinesStartingWith("result: ")) {
    results.push_back(std::atoi(line.c_str() + 8));
  }
  return results;
}

std::vector<std::string> HostReport::LinesStartingWith(const std::string& prefix) const {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  }
  return found;
}

bool HostReport::Contains(const std::string& text) const {
  return process.out.find(text) != std::string::npos;
}

std::string HostReport::Dump() const {
  return "exit " + std::to_string(process.exitCode) + (process.timedOut ? " (timed out)" : "") +
         "\n--- stdout\n" + process.out + "\n--- stderr\n" + process.err;
}

HostReport RunHost(const Target& target, const TempDir& dir, const std::vector<std::string>& args,
                   int timeoutSeconds) {
  std::vector<std::string> argv = target.hostCommand;
  argv.push_back("--module");
  argv.push_back(target.HostPath(target.module));
  argv.insert(argv.end(), args.begin(), args.end());
  HostReport report;
  report.process = RunProcess(argv, dir.path().string(), timeoutSeconds);
  std::istringstream text(report.process.out);
  for (std::string line; std::getline(text, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    report.lines.push_back(line);
  }
  return report;
}

std::string WriteScript(const TempDir& dir, const std::string& name, const std::string& text) {
  std::ofstream(dir.file(name), std::ios::binary) << text;
  return name;
}

Image MakeSplitMask(int width, int height, int split) {
  return FilledImage(width, height, 1, [split](int x, int, int) {
    return static_cast<uint8_t>(x < split ? 0 : 255);
  });
}

void SaveImage(const TempDir& dir, const std::string& name, const Image& image) {
  std::string error;
  ASSERT_TRUE(WriteImageFile(dir.file(name), image, error)) << error;
}

Image LoadImage(const TempDir& dir, const std::string& name) {
  Image image;
  std::string error;
  EXPECT_TRUE(ReadImageFile(dir.file(name), image, error)) << error;
  return image;
}

int32_t LittleEndian32(const std::vector<uint8_t>& bytes, size_t offset) {
  if (offset + 4 > bytes.size()) return INT32_MIN;
  return static_cast<int32_t>(bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) |
                              (static_cast<uint32_t>(bytes[offset + 3]) << 24));
}

namespace {

// The interface's 16-bit samples run to 32768; files' to 65535. Both ways
// round to nearest.
uint16_t HostOfFile(uint32_t v) {
  return static_cast<uint16_t>((v * 32768u + 32767u) / 65535u);
}
uint16_t FileOfHost(uint32_t h) {
  return static_cast<uint16_t>((std::min(h, 32768u) * 65535u + 16384u) / 32768u);
}

}  // namespace

Image SixteenBitPicture(const Image& eight) {
  Image image;
  image.width = eight.width;
  image.height = eight.height;
  image.channels = eight.channels;
  image.bits = 16;
  image.pixels.resize(eight.pixels.size() * 2);
  for (size_t i = 0; i < eight.pixels.size(); ++i) {
    const uint32_t host = std::min<uint32_t>(eight.pixels[i] * 128u + (i * 37u) % 128u, 32768u);
    image.setSample(i, FileOfHost(host));
  }
  return image;
}

Image ThroughHostRange(Image image) {
  for (size_t i = 0; i < image.sampleCount(); ++i) {
    image.setSample(i, FileOfHost(HostOfFile(image.sample(i))));
  }
  return image;
}

}  // namespace ulvo::e2e
