// The filter in 16-bit documents: the host gives the module two-byte samples
// in the interface's 0..32768 range (ulvohost --bits 16), and the full render
// that comes back equals the command-line tool's 16-bit render of the same
// file, seen through that range.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/e2e/editor_render_fixture.h"
#include "tests/support/test_images.h"

namespace ulvo::e2e {
namespace {

class SixteenBitRender : public EditorRender {
 protected:
  static void ExpectSixteenBitsSame(const Image& actual, const Image& expected,
                                    const HostReport& report) {
    ASSERT_EQ(actual.bits, 16) << report.Dump();
    ASSERT_EQ(expected.bits, 16);
    ExpectSame(actual, expected, report);
  }
};

// RGB with a depth plane, all at 16 bits; the pattern loaded through the
// editor's dialog, the full render.
TEST_F(SixteenBitRender, SixteenBitRgbWithDepthPlaneEqualsTheTool) {
  const Image image = SixteenBitPicture(MakeImage(157, 124, 4, 3));
  SaveImage(dir_, "in.png", image);
  const HostReport report = Run(LoadPattern() + "command 32772\n", {"--bits", "16"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  EXPECT_TRUE(report.Contains("x 4 at 16 bits")) << report.Dump();
  ExpectSixteenBitsSame(LoadImage(dir_, "out.png"),
                        ThroughHostRange(ToolRender(image, Settings(0))), report);
}

// A 16-bit grey donor hands its picture, rounded to 8 bits, to the 16-bit
// colour run of the same process; the selection comes at 16 bits too and
// keeps the unselected pixels as they were.
TEST_F(SixteenBitRender, SixteenBitGreyDonorDepthAndSelection) {
  const Image colour = SixteenBitPicture(MakeImage(126, 96, 3, 11));
  const Image grey = SixteenBitPicture(MakeImage(126, 96, 1, 12));
  SaveImage(dir_, "in.png", colour);
  SaveImage(dir_, "grey.png", grey);
  SaveImage(dir_, "mask.png", SelectionWithAGap(126, 96));
  WriteScript(dir_, "donor.txt", "answer ok\n");
  WriteScript(dir_, "script.txt", LoadPattern() + "command 32772\n");
  const HostReport report =
      RunHost(target(), dir_,
              {"--bits", "16", "--image", "grey.png", "--script", "donor.txt", "--image", "in.png",
               "--mask", "mask.png", "--out", "out.png", "--script", "script.txt"});
  ASSERT_EQ(report.Results(), (std::vector<int>{0, 0})) << report.Dump();
  DepthPlane plane;
  std::string error;
  ASSERT_TRUE(DepthPlaneFromImage(grey, plane, error)) << error;
  const Image rendered = ThroughHostRange(ToolRender(colour, Settings(0), &plane));
  ExpectSixteenBitsSame(LoadImage(dir_, "out.png"), RenderedWhereSelected(colour, rendered),
                        report);
}

// A 16-bit document the user leaves without rendering comes back unchanged,
// every sample of it.
TEST_F(SixteenBitRender, SixteenBitDocumentFinishedUnrenderedIsUnchanged) {
  const Image image = SixteenBitPicture(MakeImage(61, 33, 3, 5));
  SaveImage(dir_, "in.png", image);
  const HostReport report = Run("wait-editor\ncommand 57665\n", {"--bits", "16"});
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  ExpectSixteenBitsSame(LoadImage(dir_, "out.png"), image, report);
}

}  // namespace
}  // namespace ulvo::e2e
