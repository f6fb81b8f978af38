// Hosts that behave differently from ours: one that cannot pad and clips the
// requested rectangles to the image, one that keeps no data slot, one that
// never calls finish, and one whose current folder refuses new files. The
// module works in each, and renders what the tool renders.
#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/editor_render_fixture.h"
#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace {

constexpr char kTransferred[] = "距離データがUlvoFilterへ転送されました";
constexpr char kElsewhere[] = "保存先: ";
// The status bar's second pane: empty with depth, else why there is none.
constexpr char kNoNotice[] = "ui: status 1 \"\"";
constexpr char kOtherRunNotice[] =
    "ui: status 1 \"距離データ(alpha.dat)は別のセッションのものです：画像全体を均一にぼかします\"";
constexpr char kOtherSizeNotice[] =
    "ui: status 1 "
    "\"距離データ(alpha.dat)は大きさの違う画像のものです：画像全体を均一にぼかします\"";

class OtherHosts : public EditorRender {
 protected:
  // The donor run's grey picture as the tool takes it.
  static DepthPlane PlaneOf(const Image& grey) {
    DepthPlane plane;
    std::string error;
    EXPECT_TRUE(DepthPlaneFromImage(grey, plane, error)) << error;
    return plane;
  }

  // The hand-off file where the module says it put it, as this program sees it.
  std::string ReportedHandOff(const HostReport& report) const {
    const std::vector<std::string> lines = report.LinesStartingWith(kElsewhere);
    if (lines.empty()) return {};
    std::string path = lines.front().substr(std::string(kElsewhere).size());
    const size_t end = path.find('"');  // the dialog line goes on after the text
    if (end != std::string::npos) path.resize(end);
    return target().windows() ? LinuxPathOfWindowsPath(path) : path;
  }

  // A donor run on grey.png, then a colour run on `colour` in the same host
  // process with `script` (after loading the pattern), both with `hostOptions`.
  HostReport DonorThenColour(const std::vector<std::string>& hostOptions,
                             const std::string& colour = "in.png",
                             const std::string& script = "command 32772\n") {
    WriteScript(dir_, "donor.txt", "answer ok\n");
    WriteScript(dir_, "script.txt", LoadPattern() + script);
    std::vector<std::string> args = hostOptions;
    args.insert(args.end(), {"--image", "grey.png", "--script", "donor.txt", "--image", colour,
                             "--out", "out.png", "--script", "script.txt"});
    return RunHost(target(), dir_, args);
  }
};

// An RGB image 201 pixels wide in a host that clips the request (204 wide) to
// the image and gives rows of 201 x planes bytes: the editor opens, and the
// full render equals the tool's, which pads like the module.
TEST_F(OtherHosts, ClippingHostGetsTheRenderOfAPaddingHost) {
  const Image plain = MakeImage(201, 40, 3, 21);
  SaveImage(dir_, "in.png", plain);
  HostReport report = Run("wait-editor\ncommand 57665\n", {"--clip-rects", "--row-align", "1"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  EXPECT_TRUE(report.Contains("request: in 0,0,40,201 planes 0..2 padding 0 rowBytes 603"))
      << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), plain, report);

  const Image image = MakeImage(201, 64, 4, 22);
  SaveImage(dir_, "in.png", image);
  report = Run(LoadPattern() + "command 32779\n", {"--clip-rects", "--row-align", "1"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, Settings(0)), report);
}

// A selection in a clipping host: the mask is clipped as well, and the
// unselected pixels keep the source.
TEST_F(OtherHosts, ClippingHostWithASelection) {
  const Image image = MakeImage(83, 30, 4, 23);
  SaveImage(dir_, "in.png", image);
  Image mask = MakeSplitMask(83, 30, 40);
  for (int y = 0; y < mask.height; ++y) mask.pixels[static_cast<size_t>(y) * mask.width] = 255;
  SaveImage(dir_, "mask.png", mask);
  const HostReport report = Run(LoadPattern() + "command 32779\n",
                                {"--mask", "mask.png", "--clip-rects", "--row-align", "1"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  const Image rendered = ToolRender(image, Settings(0));
  Image expected = image;
  for (size_t i = 0; i < expected.pixels.size(); ++i) {
    const size_t pixel = i / 4;
    if (mask.pixels[pixel] == 255) expected.pixels[i] = rendered.pixels[i];
  }
  ExpectSame(LoadImage(dir_, "out.png"), expected, report);
}

// A host with a fresh, zeroed data slot for every run that never calls
// finish: the donor run still reaches the colour run of the same process.
TEST_F(OtherHosts, NoDataSlotAndNoFinish) {
  const Image colour = MakeImage(96, 72, 3, 24);
  const Image grey = MakeImage(96, 72, 1, 25);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", grey);
  const HostReport report = DonorThenColour({"--no-data-slot", "--no-finish"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  EXPECT_TRUE(report.Contains(kTransferred)) << report.Dump();
  EXPECT_FALSE(report.Contains("call: finish")) << report.Dump();
  const DepthPlane plane = PlaneOf(grey);
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(colour, Settings(0), &plane), report);
}

// Where the current folder refuses the hand-off file the donor run puts it in
// the per-user folder and says where; the colour run finds it there.
TEST_F(OtherHosts, ReadOnlyCurrentFolderUsesThePerUserFolder) {
  const Image colour = MakeImage(64, 48, 3, 26);
  const Image grey = MakeImage(64, 48, 1, 27);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", grey);
  const HostReport report = DonorThenColour({"--read-only-cwd"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  EXPECT_TRUE(report.Contains(kTransferred)) << report.Dump();
  const std::string handOff = ReportedHandOff(report);
  ASSERT_FALSE(handOff.empty()) << report.Dump();
  EXPECT_TRUE(std::filesystem::is_regular_file(handOff)) << handOff;
  EXPECT_FALSE(std::filesystem::exists(dir_.file("alpha.dat")));
  const DepthPlane plane = PlaneOf(grey);
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(colour, Settings(0), &plane), report);
  std::error_code ec;
  std::filesystem::remove(handOff, ec);
}

// A host that unloads the module after every run and gives it a fresh,
// zeroed data slot: the donor's map still reaches the colour run of the same
// host process, which renders what the tool renders with that map.
TEST_F(OtherHosts, ReloadingHostKeepsTheHandOff) {
  const Image colour = MakeImage(90, 70, 3, 28);
  const Image grey = MakeImage(90, 70, 1, 29);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", grey);
  const HostReport report = DonorThenColour({"--reload-between-runs", "--no-data-slot"}, "in.png",
                                            "status\ncommand 32772\n");
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  EXPECT_TRUE(report.Contains("module: reloaded")) << report.Dump();
  EXPECT_TRUE(report.Contains(kTransferred)) << report.Dump();
  EXPECT_TRUE(report.Contains(kNoNotice)) << report.Dump();
  const DepthPlane plane = PlaneOf(grey);
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(colour, Settings(0), &plane), report);
}

// A hand-off the colour run cannot trust is not used, and the status bar says
// why before anything is rendered; the render then blurs the whole image
// evenly, as the tool does without a depth map.
TEST_F(OtherHosts, ReloadingHostRefusesForeignHandOffsAndSaysWhy) {
  const Image colour = MakeImage(90, 70, 3, 30);
  const Image grey = MakeImage(90, 70, 1, 31);
  const Image narrower = MakeImage(88, 70, 3, 32);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "narrower.png", narrower);
  SaveImage(dir_, "grey.png", grey);
  // The file of a donor run in another host process, one that has ended.
  WriteScript(dir_, "donor.txt", "answer ok\n");
  HostReport report = RunHost(target(), dir_, {"--image", "grey.png", "--script", "donor.txt"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  report =
      Run(LoadPattern() + "status\ncommand 32772\n", {"--reload-between-runs", "--no-data-slot"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  EXPECT_TRUE(report.Contains(kOtherRunNotice)) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(colour, Settings(0)), report);

  // This process's own hand-off, of an image of another size.
  report = DonorThenColour({"--reload-between-runs", "--no-data-slot"}, "narrower.png",
                           "status\ncommand 32772\n");
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  EXPECT_TRUE(report.Contains(kOtherSizeNotice)) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(narrower, Settings(0)), report);
}

}  // namespace
}  // namespace ulvo::e2e
