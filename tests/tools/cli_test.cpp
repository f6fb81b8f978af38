#include "tools/ulvofilter/cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
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
