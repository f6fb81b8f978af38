#include "tools/ulvofilter/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_images.h"
#include "tests/support/test_tiff.h"
#include "tools/ulvofilter/aperture_shapes.h"
#include "tools/ulvofilter/handoff_depth.h"

namespace ulvo {
namespace {

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Image scene;
    scene.width = 48;
    scene.height = 32;
    scene.channels = 4;
    scene.pixels.assign(48 * 32 * 4, 40);
    for (size_t i = 3; i < scene.pixels.size(); i += 4) scene.pixels[i] = 200;
    std::string error;
    ASSERT_TRUE(WriteImageFile(file("scene.png"), scene, error)) << error;
    scene.channels = 3;
    scene.pixels.resize(48 * 32 * 3);
    ASSERT_TRUE(WriteImageFile(file("rgb.png"), scene, error)) << error;
    Image grey = scene;
    grey.channels = 1;
    grey.pixels.assign(48 * 32, 128);
    ASSERT_TRUE(WriteImageFile(file("depth.png"), grey, error)) << error;
    grey.width = 47;
    grey.pixels.resize(47 * 32);
    ASSERT_TRUE(WriteImageFile(file("depth47.png"), grey, error)) << error;
    Image black = DrawAperture(ApertureShape::kDisc, 16);
    std::fill(black.pixels.begin(), black.pixels.end(), 0);
    ASSERT_TRUE(WriteImageFile(file("black.tif"), black, error)) << error;
    std::ofstream(file("junk.png")) << "not an image";
  }

  std::string file(const std::string& name) const { return dir_.file(name); }

  int Run(std::vector<std::string> args, const std::atomic<bool>* cancel = nullptr) {
    args.insert(args.begin(), "ulvofilter");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    out_.str("");
    err_.str("");
    const CliEnvironment env{out_, err_, cancel, false};
    return RunCli(static_cast<int>(argv.size()), argv.data(), env);
  }

  TempDir dir_;
  std::ostringstream out_, err_;
};

TEST_F(CliTest, RendersWithEachDepthSource) {
  EXPECT_EQ(Run({"render", file("scene.png"), "-o", file("a.png"), "--keep-extra-channels"}), 0)
      << err_.str();
  EXPECT_EQ(Run({"render", file("scene.png"), "-o", file("d.png")}), 0) << err_.str();
  EXPECT_EQ(Run({"render", file("rgb.png"), "--depth", file("depth.png"), "-o", file("b.tif")}), 0)
      << err_.str();

  DepthPlane plane;
  plane.width = 48;
  plane.height = 32;
  plane.rowBytes = 48;
  plane.bottomUp.assign(48 * 32, 128);
  const std::vector<uint8_t> bytes = SerializeHandoffDepth(plane);
  std::ofstream(file("alpha.dat"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  EXPECT_EQ(Run({"render", file("rgb.png"), "--depth-file", file("alpha.dat"), "--pattern",
                 file("black.tif"), "-o", file("c.png")}),
            1);  // the all-black pattern is refused by the engine
  EXPECT_NE(err_.str().find("empty"), std::string::npos) << err_.str();
  EXPECT_EQ(Run({"render", file("rgb.png"), "--depth-file", file("alpha.dat"), "-o", file("c.jpg"),
                 "--region", "4,4,20,10", "--skip", "2"}),
            0)
      << err_.str();

  Image result;
  std::string error;
  ASSERT_TRUE(ReadImageFile(file("a.png"), result, error));
  EXPECT_EQ(result.channels, 4);  // the depth channel is kept on request
  ASSERT_TRUE(ReadImageFile(file("d.png"), result, error));
  EXPECT_EQ(result.channels, 3);
  ASSERT_TRUE(ReadImageFile(file("c.jpg"), result, error));
  EXPECT_EQ(result.channels, 3);
}

TEST_F(CliTest, EveryBadInputFailsWithAMessageAndWritesNothing) {
  const std::string out = file("out.png");
  const std::string scene = file("scene.png");
  struct Case {
    std::vector<std::string> args;
    const char* expected;  // a piece of the message
  };
  const std::vector<Case> cases = {
      {{"render", file("missing.png"), "-o", out}, "missing.png"},
      {{"render", file("junk.png"), "-o", out}, "not a PNG"},
      {{"render", scene}, "output"},
      {{"render", scene, "-o", out, "--focus", "256"}, "focus"},
      {{"render", scene, "-o", out, "--levels", "0"}, "levels"},
      {{"render", scene, "-o", out, "--levels", "129"}, "levels"},
      {{"render", scene, "-o", out, "--hardness", "0.4"}, "hardness"},
      {{"render", scene, "-o", out, "--brightness", "0"}, "brightness"},
      {{"render", scene, "-o", out, "--brightness", "inf"}, "brightness"},
      {{"render", scene, "-o", out, "--skip", "6"}, "skip"},
      {{"render", scene, "-o", out, "--max-blur", "-1"}, "max-blur"},
      {{"render", scene, "-o", out, "--focus", "abc"}, "focus"},
      {{"render", scene, "-o", out, "--region", "1,2,3"}, "region"},
      {{"render", scene, "-o", out, "--region", "40,0,20,10"}, "region"},
      {{"render", scene, "-o", out, "--region", "0,0,0,10"}, "region"},
      {{"render", file("rgb.png"), "-o", out, "--depth", file("depth47.png")}, "47 x 32"},
      {{"render", file("rgb.png"), "-o", out, "--depth", file("scene.png")}, "grey"},
      {{"render", file("rgb.png"), "-o", out, "--depth-file", file("depth.png")}, "depth file"},
      {{"render", file("rgb.png"), "-o", out, "--depth", file("depth.png"), "--depth-file",
        file("alpha.dat")},
       "excludes"},
      {{"render", scene, "-o", out, "--pattern", file("missing.tif")}, "missing.tif"},
      {{"render", scene, "-o", out, "--pattern", file("junk.png")}, "pattern"},
      {{"render", scene, "-o", file("out.bmp")}, "unknown file type"},
      {{"render", scene, "-o", file("no/such/folder/out.png")}, "out.png"},
      {{"make-pattern", "square", "-o", file("p.tif")}, "square"},
      {{"frobnicate"}, "subcommand"},
      {{}, "subcommand"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    SCOPED_TRACE(joined);
    EXPECT_NE(Run(c.args), 0);
    EXPECT_NE(err_.str().find(c.expected), std::string::npos) << err_.str();
  }
  EXPECT_FALSE(std::filesystem::exists(out));
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(CliTest, FailedRenderKeepsAnExistingOutput) {
  const std::string out = file("keep.png");
  ASSERT_EQ(Run({"render", file("scene.png"), "-o", out}), 0) << err_.str();
  const std::vector<uint8_t> before = ReadFileBytes(out);
  EXPECT_NE(Run({"render", file("rgb.png"), "--depth", file("depth47.png"), "-o", out}), 0);
  EXPECT_EQ(ReadFileBytes(out), before);
}

TEST_F(CliTest, MakePatternWritesALoadablePattern) {
  ASSERT_EQ(Run({"make-pattern", "heptagon-curved", "--size", "33", "-o", file("h.tif")}), 0)
      << err_.str();
  EXPECT_EQ(Run({"render", file("scene.png"), "--pattern", file("h.tif"), "-o", file("r.png")}), 0)
      << err_.str();
  // The 33-pixel pattern cannot carry the default blur of 24 ... it can; 40 it cannot.
  EXPECT_EQ(Run({"render", file("scene.png"), "--pattern", file("h.tif"), "--max-blur", "40", "-o",
                 file("r.png")}),
            0);
  EXPECT_NE(err_.str().find("lowered to 31"), std::string::npos) << err_.str();
}

TEST_F(CliTest, HandoffFileAndGreyDepthImageGiveTheSameResult) {
  // A depth ramp from near at the top to far at the bottom, once as a grey
  // image (rows top-down) and once as a hand-off file (rows bottom-up, padded).
  Image grey;
  grey.width = 48;
  grey.height = 32;
  grey.channels = 1;
  DepthPlane plane;
  plane.width = 48;
  plane.height = 32;
  plane.rowBytes = 52;
  plane.bottomUp.assign(52 * 32, 0);
  for (int y = 0; y < 32; ++y) {
    for (int x = 0; x < 48; ++x) {
      const auto depth = static_cast<uint8_t>(y * 8);
      grey.pixels.push_back(depth);
      plane.bottomUp[static_cast<size_t>(31 - y) * 52 + x] = depth;
    }
  }
  Image colour;
  colour.width = 48;
  colour.height = 32;
  colour.channels = 3;
  for (int i = 0; i < 48 * 32; ++i) {
    const auto v = static_cast<uint8_t>(i % 7 == 0 ? 250 : 30 + i % 50);
    colour.pixels.insert(colour.pixels.end(), {v, static_cast<uint8_t>(v / 2), 20});
  }
  std::string error;
  ASSERT_TRUE(WriteImageFile(file("ramp.png"), grey, error));
  ASSERT_TRUE(WriteImageFile(file("colour.png"), colour, error));
  const std::vector<uint8_t> bytes = SerializeHandoffDepth(plane);
  std::ofstream(file("ramp.dat"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));

  ASSERT_EQ(Run({"render", file("colour.png"), "--depth", file("ramp.png"), "--focus", "0",
                 "--max-blur", "12", "-o", file("from-image.png")}),
            0)
      << err_.str();
  ASSERT_EQ(Run({"render", file("colour.png"), "--depth-file", file("ramp.dat"), "--focus", "0",
                 "--max-blur", "12", "-o", file("from-file.png")}),
            0)
      << err_.str();
  Image a, b;
  ASSERT_TRUE(ReadImageFile(file("from-image.png"), a, error));
  ASSERT_TRUE(ReadImageFile(file("from-file.png"), b, error));
  EXPECT_EQ(a.pixels, b.pixels);
  // The top row is in focus, the bottom row is not.
  const auto largestChange = [&](size_t first) {
    int largest = 0;
    for (size_t i = first; i < first + 48 * 3; ++i) {
      largest = std::max(largest, std::abs(a.pixels[i] - colour.pixels[i]));
    }
    return largest;
  };
  EXPECT_LE(largestChange(0), 2);
  EXPECT_GT(largestChange(31 * 48 * 3), 20);
}

// The colour samples of an 8-bit image with one extra channel.
std::vector<uint8_t> ColourOnlySamples(const Image& image) {
  std::vector<uint8_t> colour;
  for (size_t i = 0; i < image.pixels.size(); ++i) {
    if (static_cast<int>(i % static_cast<size_t>(image.channels)) != image.channels - 1) {
      colour.push_back(image.pixels[i]);
    }
  }
  return colour;
}

// A 16-bit scene: colours with fine steps, a depth channel of its own.
Image Scene16(int width, int height) {
  Image scene = MakeImage16(width, height, 4);
  for (size_t i = 3; i < scene.sampleCount(); i += 4) {
    scene.setSample(i, static_cast<uint16_t>(i % 2 ? 200 * 257 + 77 : 50 * 257 - 91));
  }
  return scene;
}

TEST_F(CliTest, SixteenBitImagesGiveSixteenBitResultsExceptInJpeg) {
  const Image scene = Scene16(48, 32);
  std::string error;
  ASSERT_TRUE(WriteImageFile(file("scene16.png"), scene, error)) << error;
  ASSERT_TRUE(WriteImageFile(file("scene16.tif"), scene, error)) << error;

  for (const char* input : {"scene16.png", "scene16.tif"}) {
    SCOPED_TRACE(input);
    ASSERT_EQ(Run({"render", file(input), "-o", file("r.png")}), 0) << err_.str();
    ASSERT_EQ(Run({"render", file(input), "-o", file("r.tif"), "--keep-extra-channels"}), 0)
        << err_.str();
    Image result;
    ASSERT_TRUE(ReadImageFile(file("r.png"), result, error)) << error;
    EXPECT_EQ(result.bits, 16);
    EXPECT_EQ(result.channels, 3);
    ASSERT_TRUE(ReadImageFile(file("r.tif"), result, error)) << error;
    EXPECT_EQ(result.bits, 16);
    ASSERT_EQ(result.channels, 4);
    for (size_t i = 3; i < scene.sampleCount(); i += 4) {
      ASSERT_EQ(result.sample(i), scene.sample(i)) << "depth kept at 16 bits, " << i;
    }
  }

  // A JPEG result is the 16-bit result rounded, and the tool says so.
  ASSERT_EQ(Run({"render", file("scene16.png"), "-o", file("r.jpg")}), 0) << err_.str();
  EXPECT_NE(err_.str().find("rounded to 8 bits"), std::string::npos) << err_.str();
  Image wide;
  ASSERT_TRUE(ReadImageFile(file("r.png"), wide, error)) << error;
  ASSERT_TRUE(WriteImageFile(file("rounded.jpg"), ReducedTo8Bits(wide), error)) << error;
  EXPECT_EQ(ReadFileBytes(file("r.jpg")), ReadFileBytes(file("rounded.jpg")));
  ASSERT_EQ(Run({"render", file("scene.png"), "-o", file("r8.jpg")}), 0) << err_.str();
  EXPECT_EQ(err_.str().find("rounded"), std::string::npos) << err_.str();
}

TEST_F(CliTest, SixteenBitFileOfAnEightBitFileTimes257RendersAsItDoes) {
  // Lights on a far background, a near block in focus; grey + depth and
  // RGB + depth.
  for (const int channels : {2, 4}) {
    SCOPED_TRACE(channels);
    const int colours = channels - 1;
    const Image eight = FilledImage(48, 32, channels, [colours](int x, int y, int c) {
      if (c == colours) return static_cast<uint8_t>(x > 12 && x < 30 && y > 8 ? 40 : 210);
      if ((x * 5 + y * 3) % 11 == 0) return static_cast<uint8_t>(250 - c * 20);
      return static_cast<uint8_t>(20 + x * 4 + c * 15);
    });
    std::string error;
    ASSERT_TRUE(WriteImageFile(file("eight.png"), eight, error)) << error;
    ASSERT_TRUE(WriteImageFile(file("wide.png"), Widened(eight), error)) << error;
    ASSERT_TRUE(WriteImageFile(file("wide.tif"), Widened(eight), error)) << error;
    const std::vector<std::string> values = {"--focus", "40", "--max-blur", "14"};
    const auto render = [&](const char* in, const char* out) {
      std::vector<std::string> args = {"render", file(in), "-o", file(out)};
      args.insert(args.end(), values.begin(), values.end());
      EXPECT_EQ(Run(args), 0) << err_.str();
      Image result;
      EXPECT_TRUE(ReadImageFile(file(out), result, error)) << error;
      return result;
    };
    const Image expected = render("eight.png", "eight-out.png");
    ASSERT_EQ(expected.bits, 8);
    ASSERT_NE(expected.pixels, ColourOnlySamples(eight)) << "the scene was blurred";
    for (const auto& [in, out] :
         {std::pair{"wide.png", "wide-out.png"}, std::pair{"wide.tif", "wide-out.tif"},
          std::pair{"wide.tif", "wide-out.png"}}) {
      SCOPED_TRACE(std::string(in) + " -> " + out);
      const Image result = render(in, out);
      ASSERT_EQ(result.bits, 16);
      ASSERT_EQ(result.channels, expected.channels);
      ASSERT_EQ(result.sampleCount(), expected.sampleCount());
      int worst = 0;
      for (size_t i = 0; i < result.sampleCount(); ++i) {
        worst = std::max(worst, std::abs((result.sample(i) >> 8) - expected.pixels[i]));
      }
      EXPECT_LE(worst, 1);
    }
  }
}

TEST_F(CliTest, SixteenBitDepthMapGivesTheResultOfItsRoundedMap) {
  // A depth ramp whose 16-bit values fall between the 8-bit steps.
  Image depth16 = MakeImage16(48, 32, 1);
  for (size_t i = 0; i < depth16.sampleCount(); ++i) {
    depth16.setSample(i, static_cast<uint16_t>(i * 41));
  }
  std::string error;
  ASSERT_TRUE(WriteImageFile(file("depth16.png"), depth16, error)) << error;
  ASSERT_TRUE(WriteImageFile(file("depth8.png"), ReducedTo8Bits(depth16), error)) << error;
  ASSERT_TRUE(WriteImageFile(file("rgb8.png"), MakeImage(48, 32, 3), error)) << error;
  ASSERT_TRUE(WriteImageFile(file("rgb16.tif"), MakeImage16(48, 32, 3), error)) << error;
  for (const char* image : {"rgb8.png", "rgb16.tif"}) {
    SCOPED_TRACE(image);
    ASSERT_EQ(Run({"render", file(image), "--depth", file("depth16.png"), "--focus", "90", "-o",
                   file("from16.tif")}),
              0)
        << err_.str();
    ASSERT_EQ(Run({"render", file(image), "--depth", file("depth8.png"), "--focus", "90", "-o",
                   file("from8.tif")}),
              0)
        << err_.str();
    EXPECT_EQ(ReadFileBytes(file("from16.tif")), ReadFileBytes(file("from8.tif")));
  }
}

TEST_F(CliTest, OddSixteenBitFilesAreRefusedByNameAndNothingIsWritten) {
  TestTiff signedGrey;
  signedGrey.width = 48;
  signedGrey.height = 32;
  signedGrey.bits = 16;
  signedGrey.sampleFormat = SAMPLEFORMAT_INT;
  ASSERT_TRUE(WriteTestTiff(file("signed.tif"), signedGrey));
  TestTiff halfFloat = signedGrey;
  halfFloat.sampleFormat = SAMPLEFORMAT_IEEEFP;
  ASSERT_TRUE(WriteTestTiff(file("float.tif"), halfFloat));

  EXPECT_EQ(Run({"render", file("signed.tif"), "-o", file("out.png")}), kExitFailure);
  EXPECT_NE(err_.str().find("signed.tif: unsupported TIFF file: signed 16-bit samples"),
            std::string::npos)
      << err_.str();
  EXPECT_EQ(Run({"render", file("rgb.png"), "--depth", file("float.tif"), "-o", file("out.png")}),
            kExitFailure);
  EXPECT_NE(err_.str().find("float.tif: unsupported TIFF file: floating-point 16-bit samples"),
            std::string::npos)
      << err_.str();
  EXPECT_FALSE(std::filesystem::exists(file("out.png")));
}

TEST_F(CliTest, InterruptedRenderWritesNothing) {
  // Too small for progress reports: the interrupt is noticed after the render.
  const std::atomic<bool> interrupted{true};
  EXPECT_EQ(Run({"render", file("scene.png"), "-o", file("int.png")}, &interrupted),
            kExitCancelled);
  EXPECT_NE(err_.str().find("cancelled"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(file("int.png")));
}

}  // namespace
}  // namespace ulvo
