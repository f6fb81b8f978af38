// The filter doing its job inside a host: the editor loads a pattern through
// its file dialog, picks the focus, previews and renders, and what comes back
// to the host equals what the command-line tool renders from the same
// files and settings.
#include <string>
#include <vector>

#include "tests/e2e/editor_render_fixture.h"
#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace {

// The full render with the user's tone settings and a picked focus equals the
// tool's render byte for byte; the focus pick takes the clicked pixel's depth.
TEST_F(EditorRender, FullRenderWithPickedFocusEqualsTheTool) {
  // Not a multiple of 4 wide: the module renders the host's black padding
  // columns with the image, and so does the tool.
  const Image image = MakeImage(157, 124, 4, 3);
  SaveImage(dir_, "in.png", image);
  // Client (37, 20) is image column 37, top-down row 20 at 100 %.
  const int focus = image.pixels[(static_cast<size_t>(20) * image.width + 37) * 4 + 3];
  const HostReport report = Run(LoadPattern() +
                                "choose 1005 8\n"  // hardness 1.3
                                "choose 1004 3\n"  // brightness 1.5
                                "command 40013\nclick 37 20\ncommand 32779\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  RenderRequest request = Settings(focus);
  request.values.hardness = 1.3;
  request.values.brightness = 1.5;
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, request), report);
}

// A preview renders only its rectangle around the click (cut at the edges),
// the same as the tool's region render; the rest stays the source.
TEST_F(EditorRender, PreviewsRenderTheirRectanglesOnly) {
  Preset({{"PrevWidth", 60}, {"PrevHeight", 41}});
  const Image image = MakeImage(120, 100, 4, 5);
  SaveImage(dir_, "in.png", image);
  const HostReport report = Run(LoadPattern() + "click 5 96\ncommand 57665\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  // Column 5, bottom-up row 3: columns 0..34, bottom-up rows 0..22.
  RenderRequest request = Settings(0);
  request.values.max_blur = 22;  // the preview takes the loaded pattern's size - 1
  request.region = DisplayRegion{0, 0, 35, 23};
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, request), report);
}

// A confirmed cancel leaves the source; Cancel answered No renders as if
// nothing had happened.
TEST_F(EditorRender, CancelledRenderLeavesTheSourceAndAnsweredNoFinishes) {
  // Large enough to take a while on every build, so that Cancel meets the
  // render under way.
  const Image image = MakeImage(480, 360, 4, 7);
  SaveImage(dir_, "in.png", image);
  SaveImage(dir_, "hexagon.tif", DrawAperture(ApertureShape::kHexagon, 121));
  HostReport report =
      Run(LoadPattern() + "command 32772\nanswer cancel\nanswer yes\nexpect-open\ncommand 57665\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  EXPECT_TRUE(report.Contains("本当にフィルタ作業を中止しますか？")) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), image, report);

  report = Run(LoadPattern() + "command 32772\nanswer cancel\nanswer no\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  QuietMessages messages;
  ASSERT_TRUE(LoadPatternBitmap(dir_.file("hexagon.tif"), pattern_, messages));
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, Settings(0)), report);
}

// A grey donor run hands its picture to the colour run of the same process
// as depth; a selection keeps the unselected pixels as they were.
TEST_F(EditorRender, DonorDepthAndSelectionMask) {
  const Image colour = MakeImage(126, 96, 3, 11);
  Image grey = MakeImage(126, 96, 1, 12);
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", grey);
  SaveImage(dir_, "mask.png", SelectionWithAGap(126, 96));
  WriteScript(dir_, "donor.txt", "answer ok\n");
  WriteScript(dir_, "script.txt", LoadPattern() + "command 32772\n");
  const HostReport report =
      RunHost(target(), dir_,
              {"--image", "grey.png", "--script", "donor.txt", "--image", "in.png", "--mask",
               "mask.png", "--out", "out.png", "--script", "script.txt"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  DepthPlane plane;
  std::string error;
  ASSERT_TRUE(DepthPlaneFromImage(grey, plane, error)) << error;
  const Image rendered = ToolRender(colour, Settings(0), &plane);
  ExpectSame(LoadImage(dir_, "out.png"), RenderedWhereSelected(colour, rendered), report);
}

// Keys: Enter renders only with "EnterExec"; Esc asks first without
// "QuickQuit", and Cancel keeps the editor open.
TEST_F(EditorRender, EnterAndEscape) {
  const Image image = MakeImage(40, 32, 4, 9);
  SaveImage(dir_, "in.png", image);
  HostReport report = Run(LoadPattern() + "key 0x0D\nexpect-open\ncommand 57665\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), image, report);

  Preset({{"EnterExec", 1}, {"QuickQuit", 0}});
  report = Run(LoadPattern() + "key 0x0D\n");
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, Settings(0)), report);

  report = Run("wait-editor\nkey 0x1B\nanswer cancel\nexpect-open\nkey 0x1B\nanswer ok\n");
  EXPECT_EQ(report.Results(), std::vector<int>{kCancelled}) << report.Dump();
  EXPECT_EQ(report.LinesStartingWith("ui: dialog \"Quitting\"").size(), 2u) << report.Dump();
}

}  // namespace
}  // namespace ulvo::e2e
