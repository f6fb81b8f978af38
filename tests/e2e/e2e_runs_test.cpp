// Whole filter runs: the host process loads the module, drives it with an
// editor script and the tests look at results, files and the host's report.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"
#include "tests/support/file_bytes.h"
#include "tests/support/test_images.h"
#include "tools/ulvofilter/aperture_shapes.h"

namespace ulvo::e2e {
namespace {

constexpr int kFilterBadMode = -30101;
constexpr int kCancelled = 2;

constexpr char kFinishScript[] = "wait-editor\ncommand 57665\n";
constexpr char kDonorScript[] = "answer ok\n";
constexpr char kDepthDialog[] =
    "ui: dialog \"UlvoFilter距離データ\" \"距離データがUlvoFilterへ転送されました\" -> ok";

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!target().valid()) GTEST_SKIP() << "ULVO_E2E_HOST and ULVO_E2E_MODULE are not set";
  }

  static const Target& target() { return TargetFromEnvironment(); }

  HostReport Run(const std::vector<std::string>& args) { return RunHost(target(), dir_, args); }

  // Every run ended on its own, and the host window came back enabled.
  void ExpectCleanRuns(const HostReport& report, size_t runs) {
    EXPECT_FALSE(report.process.timedOut) << report.Dump();
    EXPECT_EQ(report.process.exitCode, 0) << report.Dump();
    EXPECT_EQ(report.Results().size(), runs) << report.Dump();
    EXPECT_EQ(report.process.err.find("Sanitizer"), std::string::npos) << report.Dump();
    EXPECT_EQ(report.process.err.find("runtime error"), std::string::npos) << report.Dump();
    if (target().windows()) {
      const auto states = report.LinesStartingWith("host window enabled: ");
      EXPECT_EQ(states.size(), runs) << report.Dump();
      for (const std::string& state : states) EXPECT_EQ(state, "host window enabled: yes");
    } else {
      const auto states = report.LinesStartingWith("ui: host window ");
      if (!states.empty()) {
        EXPECT_EQ(states.back(), "ui: host window enabled") << report.Dump();
      }
    }
  }

  void ExpectImagesEqual(const Image& actual, const Image& expected) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    ASSERT_EQ(actual.channels, expected.channels);
    EXPECT_TRUE(actual.pixels == expected.pixels);
  }

  TempDir dir_{kKeepFolders};
};

TEST_F(EndToEnd, DonorRunWritesDepthFileBottomRowFirstAndTellsTheUser) {
  const Image grey = MakeImage(100, 50, 1);
  SaveImage(dir_, "grey.png", grey);
  const HostReport report = Run({"--image", "grey.png", "--out", "out.png", "--script",
                                 WriteScript(dir_, "donor.txt", kDonorScript)});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{0});
  EXPECT_TRUE(report.Contains(kDepthDialog)) << report.Dump();

  const std::vector<uint8_t> file = ReadFileBytes(dir_.file("alpha.dat"));
  ASSERT_EQ(file.size(), 16u + 5000u);
  EXPECT_EQ(LittleEndian32(file, 0), 5000);
  EXPECT_EQ(LittleEndian32(file, 4), 100);
  EXPECT_EQ(LittleEndian32(file, 8), 100);
  EXPECT_EQ(LittleEndian32(file, 12), 50);
  // Rows are stored bottom-up: the file's first row is the image's last.
  for (int y = 0; y < 50; ++y) {
    const uint8_t* row = grey.row(49 - y);
    ASSERT_TRUE(std::equal(row, row + 100, file.begin() + 16 + y * 100)) << "stored row " << y;
  }
  // No editor opened and the document is unchanged.
  EXPECT_FALSE(report.Contains("ui: editor shown"));
  ExpectImagesEqual(LoadImage(dir_, "out.png"), grey);
}

TEST_F(EndToEnd, ColourRunAfterDonorInTheSameProcessSucceedsUnchanged) {
  SaveImage(dir_, "grey.png", MakeImage(100, 50, 1, 40));
  const Image colour = MakeImage(100, 50, 3);
  SaveImage(dir_, "rgb.png", colour);
  const HostReport report =
      Run({"--image", "grey.png", "--script", WriteScript(dir_, "donor.txt", kDonorScript),
           "--image", "rgb.png", "--out", "out.png"});
  ExpectCleanRuns(report, 2);
  EXPECT_EQ(report.Results(), (std::vector<int>{0, 0}));
  ExpectImagesEqual(LoadImage(dir_, "out.png"), colour);
}

TEST_F(EndToEnd, FinishWithoutRenderReturnsTheImageUnchanged) {
  // 101 pixels wide: the module widens its request by the row pad; the pixels
  // beyond the image must not reach the document.
  const Image colour = MakeImage(101, 37, 3);
  SaveImage(dir_, "rgb.png", colour);
  const HostReport report = Run({"--image", "rgb.png", "--out", "out.png", "--script",
                                 WriteScript(dir_, "finish.txt", kFinishScript)});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{0});
  EXPECT_TRUE(report.Contains("call: finish result 0")) << report.Dump();
  ExpectImagesEqual(LoadImage(dir_, "out.png"), colour);
}

TEST_F(EndToEnd, EditorEndingsGiveTheirResults) {
  const Image colour = MakeImage(64, 48, 3);
  SaveImage(dir_, "rgb.png", colour);
  struct Case {
    const char* name;
    const char* script;
    int result;
  };
  const Case cases[] = {
      {"cancel command", "wait-editor\ncommand 40003\nanswer ok\n", kCancelled},
      {"quit message", "wait-editor\nquit\n", kCancelled},
      {"close box, then finish", "wait-editor\nclose-box\nexpect-open\ncommand 57665\n", 0},
      {"Ctrl+E", "wait-editor\nkey 69 ctrl\n", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const HostReport report = Run({"--image", "rgb.png", "--out", "out.png", "--script",
                                   WriteScript(dir_, "script.txt", c.script)});
    ExpectCleanRuns(report, 1);
    EXPECT_EQ(report.Results(), std::vector<int>{c.result});
    // Neither a cancel nor a finish without render changes the document.
    ExpectImagesEqual(LoadImage(dir_, "out.png"), colour);
  }
}

TEST_F(EndToEnd, AboutBoxAndScreenshot) {
  SaveImage(dir_, "rgb.png", MakeImage(64, 48, 3));
  const HostReport report =
      Run({"--about", "--script", WriteScript(dir_, "about.txt", "answer ok\n"), "--image",
           "rgb.png", "--script",
           WriteScript(dir_, "shot.txt", "wait-editor\nscreenshot shot.png\ncommand 57665\n")});
  ExpectCleanRuns(report, 2);
  EXPECT_EQ(report.Results(), (std::vector<int>{0, 0}));
  if (target().windows()) {
    // The host's own capture of the screen.
    const Image shot = LoadImage(dir_, "shot.png");
    EXPECT_GT(shot.width, 0);
    EXPECT_GT(shot.height, 0);
  } else {
    // The headless editor writes its display image.
    EXPECT_FALSE(ReadFileBytes(dir_.file("shot.png")).empty());
  }
}

TEST_F(EndToEnd, UnsupportedModesAreRefusedByHost) {
  SaveImage(dir_, "cmyk.tif", MakeImage(40, 30, 4));
  SaveImage(dir_, "grey.png", MakeImage(40, 30, 1));
  const std::string finish = WriteScript(dir_, "finish.txt", kFinishScript);

  // A CMYK document under a host the module does not know.
  HostReport report = Run({"--image", "cmyk.tif", "--mode", "4", "--script", finish});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{kFilterBadMode});
  EXPECT_EQ(report.LinesStartingWith("call: continue").size(), 0u);

  // Grey documents are refused under the photo-editor host, whatever the case
  // of its name; they pass under a generic host.
  report = Run({"--as", "photosle.exe", "--image", "grey.png", "--script", finish});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{kFilterBadMode});

  report = Run({"--as", "PSP.EXE", "--image", "cmyk.tif", "--mode", "4", "--script", finish});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{0}) << "no mode check under the paint host";
}

TEST_F(EndToEnd, PhotoEditorHostGetsASecondContinueCall) {
  const Image colour = MakeImage(50, 30, 3);
  SaveImage(dir_, "rgb.png", colour);
  SaveImage(dir_, "mask.png", MakeSplitMask(50, 30, 20));
  const std::string finish = WriteScript(dir_, "finish.txt", kFinishScript);
  for (bool withMask : {false, true}) {
    SCOPED_TRACE(withMask ? "with a selection" : "whole image");
    std::vector<std::string> args = {"--as",  "photosle.exe", "--image",  "rgb.png",
                                     "--out", "out.png",      "--script", finish};
    if (withMask) args.insert(args.end(), {"--mask", "mask.png"});
    const HostReport report = Run(args);
    ExpectCleanRuns(report, 1);
    EXPECT_EQ(report.Results(), std::vector<int>{0});
    EXPECT_EQ(report.LinesStartingWith("continue calls: "),
              std::vector<std::string>{"continue calls: 2"});
    EXPECT_TRUE(report.Contains("Second time")) << report.Dump();
    // The second call covers the whole filter rectangle: the margins outside
    // the selection come back as they were.
    ExpectImagesEqual(LoadImage(dir_, "out.png"), colour);
  }
}

TEST_F(EndToEnd, SuccessIsReportedToHostsThatPresetAnError) {
  // Some hosts store a non-zero result before each call and take anything
  // non-zero afterwards as a failure: the calls that do their work without
  // the editor must still report success.
  SaveImage(dir_, "grey.png", MakeImage(30, 20, 1));
  SaveImage(dir_, "rgb.png", MakeImage(30, 20, 3));
  HostReport report = Run({"--preset-result", "-1", "--image", "grey.png", "--script",
                           WriteScript(dir_, "donor.txt", kDonorScript)});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{0});
  EXPECT_TRUE(report.Contains("call: finish result 0")) << report.Dump();

  report = Run({"--as", "photosle.exe", "--preset-result", "-1", "--image", "rgb.png", "--script",
                WriteScript(dir_, "finish.txt", kFinishScript)});
  ExpectCleanRuns(report, 1);
  EXPECT_EQ(report.Results(), std::vector<int>{0});
  // The module's own "Second time" has no line end: count anywhere in the output.
  const std::string& out = report.process.out;
  size_t calls = 0;
  for (size_t at = out.find("call: continue result 0"); at != std::string::npos;
       at = out.find("call: continue result 0", at + 1)) {
    ++calls;
  }
  EXPECT_EQ(calls, 2u) << report.Dump();
}

TEST_F(EndToEnd, AStuckEditorDoesNotHangTheHost) {
  if (!target().windows()) GTEST_SKIP() << "the headless editor ends with its script";
  SaveImage(dir_, "rgb.png", MakeImage(16, 16, 3));
  // The script leaves the editor open: after 20 s the host posts a quit
  // message, the editor ends as cancelled and the run counts as failed.
  const HostReport report =
      Run({"--image", "rgb.png", "--script", WriteScript(dir_, "stuck.txt", "wait-editor\n")});
  EXPECT_FALSE(report.process.timedOut);
  EXPECT_EQ(report.process.exitCode, 1) << report.Dump();
  EXPECT_EQ(report.Results(), std::vector<int>{kCancelled}) << report.Dump();
  EXPECT_EQ(report.LinesStartingWith("ui: error: ").size(), 1u) << report.Dump();
  EXPECT_EQ(report.LinesStartingWith("host window enabled: "),
            std::vector<std::string>{"host window enabled: yes"});
}

TEST_F(EndToEnd, HostRefusesAModuleThatIsNoFilter) {
  SaveImage(dir_, "rgb.png", MakeImage(8, 8, 3));
  // The host's own executable: no entry point, no property list.
  Target notAFilter = target();
  notAFilter.module = target().hostCommand.back();
  const HostReport report = RunHost(notAFilter, dir_, {"--image", "rgb.png"});
  EXPECT_EQ(report.process.exitCode, 3) << report.Dump();
  EXPECT_EQ(report.LinesStartingWith("error: ").size(), 1u) << report.Dump();
  EXPECT_TRUE(report.Results().empty());
}

TEST_F(EndToEnd, RepeatRunWithoutParametersSelector) {
  SaveImage(dir_, "rgb.png", MakeImage(48, 40, 3));
  const std::string finish = WriteScript(dir_, "finish.txt", kFinishScript);
  const HostReport report = Run({"--script", finish, "--image", "rgb.png", "--image", "rgb.png",
                                 "--no-parameters", "--image", "rgb.png", "--no-parameters"});
  ExpectCleanRuns(report, 3);
  EXPECT_EQ(report.Results(), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(report.LinesStartingWith("call: parameters").size(), 1u);
}

TEST_F(EndToEnd, UnselectedPixelsKeepTheSource) {
  const Image colour = MakeImage(80, 40, 3);
  SaveImage(dir_, "rgb.png", colour);
  SaveImage(dir_, "mask.png", MakeSplitMask(80, 40, 30));
  // A full render with a pattern chosen in the dialog (none comes back at
  // start-up), which finishes the editor with the result.
  SaveImage(dir_, "disc.tif", DrawAperture(ApertureShape::kDisc, 9));
  if (target().windows()) {
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("UseOldPat", "REG_DWORD", "0"));
    ASSERT_TRUE(SettingsSandbox::SetRegistryValue("QuickEnd", "REG_DWORD", "1"));
  } else {
    const std::filesystem::path file = SettingsSandbox::NativeFile();
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << "[UlvoFilter]\nUseOldPat=0\nQuickEnd=1\n";
  }
  const HostReport report =
      Run({"--image", "rgb.png", "--mask", "mask.png", "--out", "out.png", "--script",
           WriteScript(dir_, "render.txt",
                       "wait-editor\ncommand 32778\nopen-file " +
                           target().HostPath(dir_.file("disc.tif")) + "\ncommand 32772\n")});
  ExpectCleanRuns(report, 1);
  ASSERT_EQ(report.Results(), std::vector<int>{0});
  // The selection starts at column 30: the module asks for its bounding box.
  EXPECT_TRUE(report.Contains("request: in 0,30,40,")) << report.Dump();
  const Image out = LoadImage(dir_, "out.png");
  ASSERT_EQ(out.pixels.size(), colour.pixels.size());
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 30 * 3; ++x) {
      ASSERT_EQ(out.row(y)[x], colour.row(y)[x]) << "unselected pixel " << x / 3 << "," << y;
    }
  }
}

}  // namespace
}  // namespace ulvo::e2e
