// The fixture of the end-to-end tests that render in the editor: a returning
// user's settings, the test's pattern loaded through the editor's file
// dialog, and the command-line tool's render of the same picture to compare
// the host's result with.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "src/imageio/pattern_loader.h"
#include "tests/e2e/e2e_support.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/render_job.h"

namespace ulvo::e2e {

inline constexpr int kCancelled = 2;

class QuietMessages : public UserMessages {
 public:
  void ShowMessage(const std::string& text) override { ADD_FAILURE() << text; }
};

class EditorRender : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!target().valid()) GTEST_SKIP() << "ULVO_E2E_HOST and ULVO_E2E_MODULE are not set";
    // A returning user's settings; no stored pattern comes back at start-up
    // (an earlier test's file is gone).
    Preset({});
    const Image hexagon = DrawAperture(ApertureShape::kHexagon, 23);
    SaveImage(dir_, "hexagon.tif", hexagon);
    QuietMessages messages;
    ASSERT_TRUE(LoadPatternBitmap(dir_.file("hexagon.tif"), pattern_, messages));
  }

  static const Target& target() { return TargetFromEnvironment(); }

  // The settings every test starts from, changed by `changes`; the stored
  // ones are replaced by them as a whole.
  static void Preset(const std::map<std::string, int>& changes) {
    std::map<std::string, int> values{{"UseOldPat", 0},   {"Ndepth", 6},       {"FullSkip", 1},
                                      {"QuickEnd", 1},    {"QuickQuit", 1},    {"EnterExec", 0},
                                      {"PrevWidth", 100}, {"PrevHeight", 100}, {"PrevSkip", 1}};
    for (const auto& [name, value] : changes) values[name] = value;
    if (target().windows()) {
      for (const auto& [name, value] : values) {
        ASSERT_TRUE(SettingsSandbox::SetRegistryValue(name, "REG_DWORD", std::to_string(value)));
      }
      return;
    }
    const std::filesystem::path file = SettingsSandbox::NativeFile();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << "[UlvoFilter]\n";
    for (const auto& [name, value] : values) out << name << "=" << value << "\n";
  }

  // The script's lines that load the test's pattern through the dialog.
  std::string LoadPattern() const {
    return "wait-editor\ncommand 32778\nopen-file " + target().HostPath(dir_.file("hexagon.tif")) +
           "\n";
  }

  HostReport Run(const std::string& script, std::vector<std::string> more = {}) {
    WriteScript(dir_, "script.txt", script);
    std::vector<std::string> args{"--image", "in.png",   "--out",
                                  "out.png", "--script", "script.txt"};
    args.insert(args.end(), more.begin(), more.end());
    return RunHost(target(), dir_, args);
  }

  // The command-line tool's render of the same picture.
  Image ToolRender(Image image, const RenderRequest& request, const DepthPlane* plane = nullptr) {
    RenderReport report;
    std::string error;
    EXPECT_TRUE(RenderImage(image, plane, pattern_, request, nullptr, report, error)) << error;
    return image;
  }

  static RenderRequest Settings(int focus) {
    RenderRequest r;
    r.values.focus_depth = focus;
    r.values.max_blur = 1000;  // fitted to the pattern as the editor's full run does
    r.values.large_levels = 6;
    return r;
  }

  // A selection of columns 0..9 and from 50 on: its bounds are the whole
  // image, so the module renders what the tool renders, and columns 10..49
  // keep the source.
  static Image SelectionWithAGap(int width, int height) {
    Image mask = MakeSplitMask(width, height, 50);
    for (int y = 0; y < mask.height; ++y) {
      for (int x = 0; x < 10; ++x) mask.pixels[static_cast<size_t>(y) * mask.width + x] = 255;
    }
    return mask;
  }

  // The source with the rendered colours where SelectionWithAGap selects
  // (8- or 16-bit images of three channels).
  static Image RenderedWhereSelected(const Image& source, const Image& rendered) {
    Image expected = source;
    for (int y = 0; y < source.height; ++y) {
      for (int x = 0; x < source.width; ++x) {
        if (x >= 10 && x < 50) continue;
        for (size_t c = 0; c < 3; ++c) {
          const size_t at = (static_cast<size_t>(y) * source.width + x) * 3 + c;
          expected.setSample(at, rendered.sample(at));
        }
      }
    }
    return expected;
  }

  static void ExpectSame(const Image& actual, const Image& expected, const HostReport& report) {
    ASSERT_EQ(actual.width, expected.width) << report.Dump();
    ASSERT_EQ(actual.height, expected.height);
    ASSERT_EQ(actual.channels, expected.channels);
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = 0; i < actual.pixels.size(); ++i) {
      if (actual.pixels[i] != expected.pixels[i] && differing++ == 0) first = i;
    }
    const size_t pixel = first / static_cast<size_t>(actual.channels);
    EXPECT_EQ(differing, 0u) << "first at column " << pixel % actual.width << ", row "
                             << pixel / actual.width << "\n"
                             << report.Dump();
  }

  TempDir dir_{kKeepFolders};
  PatternBitmap pattern_;
};

}  // namespace ulvo::e2e
