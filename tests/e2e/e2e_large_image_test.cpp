// Photographs of today's cameras in every module, the 32-bit one included:
// a 12-megapixel image opens, previews, renders at maximum blur 64 and
// finishes within the 32-bit address space, and the result equals the
// tool's. A 40-megapixel one either does the same or is refused with
// "out of memory" and the image left as it was. The 32-bit module also
// renders a 24-megapixel 16-bit document.
#include <cstdio>
#include <string>
#include <vector>

#include "tests/e2e/editor_render_fixture.h"

namespace ulvo::e2e {
namespace {

constexpr int kMemFullErr = -108;

// A photograph-like picture: smooth colours with a few bright highlights and
// a depth plane that runs from near on the left to far on the right, in
// bands, as real scenes have it.
Image MakeScene(int width, int height) {
  Image image;
  image.width = width;
  image.height = height;
  image.channels = 4;
  image.pixels.resize(static_cast<size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = image.pixels.data() + static_cast<size_t>(y) * width * 4;
    for (int x = 0; x < width; ++x) {
      uint8_t* px = row + static_cast<size_t>(x) * 4;
      const bool highlight = (x % 397) < 3 && (y % 311) < 3;
      px[0] = highlight ? 255 : static_cast<uint8_t>(x * 200 / width + 20);
      px[1] = highlight ? 255 : static_cast<uint8_t>(y * 200 / height + 20);
      px[2] = highlight ? 250 : static_cast<uint8_t>((x + y) % 160 + 40);
      px[3] = static_cast<uint8_t>((x * 8 / width) * 32);
    }
  }
  return image;
}

class LargeImages : public EditorRender {
 protected:
  void SetUp() override {
    EditorRender::SetUp();
    if (IsSkipped()) return;
    // 65 pixels across: the full run's blur is fitted to 64.
    SaveImage(dir_, "hexagon.tif", DrawAperture(ApertureShape::kHexagon, 65));
    QuietMessages messages;
    ASSERT_TRUE(LoadPatternBitmap(dir_.file("hexagon.tif"), pattern_, messages));
  }

  HostReport RunLarge(const Image& image,
                      const std::string& steps = "click 200 150\ncommand 32779\n", int bits = 8) {
    SaveImage(dir_, "in.png", image);
    WriteScript(dir_, "script.txt", LoadPattern() + steps);
    return RunHost(target(), dir_,
                   {"--image", "in.png", "--out", "out.png", "--script", "script.txt",
                    "--return-wait", "600", "--bits", std::to_string(bits)},
                   900);
  }
};

// Built with the address sanitizer, the test program and the module it
// drives take many minutes over such an image and learn nothing the other
// builds do not.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

TEST_F(LargeImages, TwelveMegapixelsPreviewAndFullRenderAtBlur64) {
  if (kSanitized) GTEST_SKIP() << "too slow under the address sanitizer";
  const Image image = MakeScene(4000, 3000);
  const HostReport report = RunLarge(image);
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, Settings(0)), report);
}

// Only the 32-bit module can run short of address space; the others would
// only spend the time.
TEST_F(LargeImages, FortyMegapixelsRenderOrAreRefusedCleanly) {
  if (target().kind != "win32") GTEST_SKIP() << "a test of the 32-bit address space";
  const Image image = MakeScene(7300, 5480);
  const HostReport report = RunLarge(image);
  const std::vector<int> results = report.Results();
  ASSERT_EQ(results.size(), 1u) << report.Dump();
  std::printf("[     INFO ] 40 MP in the 32-bit module: %s\n",
              results[0] == kMemFullErr ? "refused, out of memory" : "rendered");
  if (results[0] == kMemFullErr) {
    ExpectSame(LoadImage(dir_, "out.png"), image, report);
    return;
  }
  ASSERT_EQ(results[0], 0) << report.Dump();
  ExpectSame(LoadImage(dir_, "out.png"), ToolRender(image, Settings(0)), report);
}

// A 24-megapixel 16-bit document (RGB and depth, 192 MB in the host's
// buffers alone) in the 32-bit module: the full render fits and equals the
// tool's.
TEST_F(LargeImages, TwentyFourMegapixelsAtSixteenBitsInTheThirtyTwoBitModule) {
  if (target().kind != "win32") GTEST_SKIP() << "a test of the 32-bit address space";
  const Image image = SixteenBitPicture(MakeScene(6000, 4000));
  const HostReport report = RunLarge(image, "command 32772\n", 16);
  ASSERT_EQ(report.Results(), std::vector<int>{0}) << report.Dump();
  const Image out = LoadImage(dir_, "out.png");
  ASSERT_EQ(out.bits, 16);
  ExpectSame(out, ThroughHostRange(ToolRender(image, Settings(0))), report);
}

}  // namespace
}  // namespace ulvo::e2e
