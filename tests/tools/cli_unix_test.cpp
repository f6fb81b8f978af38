// ulvofilter as a command-line program: version, help and manual page,
// depth maps with 255 near, output paths checked before any work, exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tools/ulvofilter/cli.h"
#include "tools/ulvofilter/handoff_depth.h"
#include "tools/ulvofilter/man_page.h"
#include "tools/ulvofilter/output_path.h"
#include "ulvo_version.h"

namespace ulvo {
namespace {

class CliUnixTest : public ::testing::Test {
 protected:
  std::string file(const std::string& name) const { return dir_.file(name); }

  // Runs the tool with its progress bar drawn into a file, read back into
  // `progress_`.
  int Run(std::vector<std::string> args) {
    args.insert(args.begin(), "ulvofilter");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    out_.str("");
    err_.str("");
    const std::string progressFile = file("progress.log");
    std::FILE* progress = std::fopen(progressFile.c_str(), "w");
    EXPECT_NE(progress, nullptr);
    const CliEnvironment env{out_, err_, nullptr, true, progress};
    const int code = RunCli(static_cast<int>(argv.size()), argv.data(), env);
    std::fclose(progress);
    progress_ = ReadFileText(progressFile);
    std::filesystem::remove(progressFile);
    return code;
  }

  void Write(const std::string& name, const Image& image) {
    std::string error;
    ASSERT_TRUE(WriteImageFile(file(name), image, error)) << error;
  }

  Image Read(const std::string& name) {
    Image image;
    std::string error;
    EXPECT_TRUE(ReadImageFile(file(name), image, error)) << error;
    return image;
  }

  TempDir dir_;
  std::ostringstream out_, err_;
  std::string progress_;
};

// Options named in a help text: every "--word" in it.
std::set<std::string> LongOptions(const std::string& help) {
  std::set<std::string> names;
  const std::regex option("--[a-z][a-z0-9-]*");
  for (auto it = std::sregex_iterator(help.begin(), help.end(), option);
       it != std::sregex_iterator(); ++it) {
    names.insert(it->str());
  }
  return names;
}

// Runs of white space as one space.
std::string Squeezed(const std::string& text) {
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

TEST_F(CliUnixTest, VersionAndHelpShowTheBuildsVersionAndTheExitCodes) {
  EXPECT_TRUE(std::regex_match(ULVO_VERSION, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
  ASSERT_EQ(Run({"--version"}), 0);
  EXPECT_EQ(out_.str(), std::string("ulvofilter ") + ULVO_VERSION + "\n");
  EXPECT_EQ(err_.str(), "");

  ASSERT_EQ(Run({"--help"}), 0);
  const std::string help = out_.str();
  EXPECT_NE(help.find(std::string("ulvofilter ") + ULVO_VERSION), std::string::npos) << help;
  EXPECT_NE(help.find("--version"), std::string::npos);
  for (const ExitCodeMeaning& exit : ExitCodeMeanings()) {
    EXPECT_NE(help.find("  " + std::to_string(exit.code) + " "), std::string::npos) << exit.code;
    EXPECT_NE(Squeezed(help).find(exit.meaning), std::string::npos) << exit.code;  // wrapped
  }
  EXPECT_EQ(help.find("help-man"), std::string::npos);  // a build step, not a user's command

  ASSERT_EQ(Run({"render", "--help"}), 0);
  EXPECT_NE(out_.str().find("--invert-depth"), std::string::npos);
  // What becomes of 16-bit files.
  const std::string render = Squeezed(out_.str());
  for (const char* piece : {"PNG or TIFF result has 16 bits per sample",
                            "a JPEG result holds 8 bits, so it is rounded to 8 bits",
                            "16-bit depth map, or the depth channel of a 16-bit image, is rounded "
                            "to 8 bits"}) {
    EXPECT_NE(render.find(piece), std::string::npos) << piece;
  }

  EXPECT_EQ(Run({"--no-such-option"}), kExitUsage);
  EXPECT_EQ(Run({"render", "--focus"}), kExitUsage);
}

TEST_F(CliUnixTest, ManualPageHoldsEveryOptionOfEveryHelpText) {
  ASSERT_EQ(Run({"help-man"}), 0) << err_.str();
  const std::string page = out_.str();
  EXPECT_EQ(page.rfind(".\\\"", 0), 0u);  // a comment line first, then the title
  EXPECT_NE(page.find(std::string(".TH ULVOFILTER 1 \"\" \"ulvofilter ") + ULVO_VERSION),
            std::string::npos);

  size_t checked = 0;
  for (const char* command : {"", "render", "demo", "make-pattern", "make-scene", "bench"}) {
    std::vector<std::string> args;
    if (*command != '\0') args.push_back(command);
    args.push_back("--help");
    ASSERT_EQ(Run(args), 0);
    const std::string help = out_.str();
    if (*command != '\0') {
      EXPECT_NE(page.find(".SS \"" + TroffEscape(command) + "\""), std::string::npos) << command;
    }
    for (const std::string& option : LongOptions(help)) {
      SCOPED_TRACE(std::string(command) + " " + option);
      // Hyphens are escaped in troff.
      EXPECT_NE(page.find(TroffEscape(option)), std::string::npos);
      ++checked;
    }
  }
  EXPECT_GT(checked, 20u);
  EXPECT_NE(Squeezed(page).find(TroffEscape("a JPEG result holds 8 bits")), std::string::npos);
  for (const ExitCodeMeaning& exit : ExitCodeMeanings()) {
    EXPECT_NE(
        page.find(".TP\n\\fB" + std::to_string(exit.code) + "\\fR\n" + TroffEscape(exit.meaning)),
        std::string::npos)
        << exit.code;
  }
  // No unescaped hyphen or control character at a line start slips through.
  std::istringstream lines(page);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '.') continue;
    EXPECT_NE(line[0], '\'') << line;
    EXPECT_EQ(std::regex_search(line, std::regex("(^|[^\\\\])-")), false) << line;
  }

  ASSERT_EQ(Run({"help-man", "-o", file("ulvofilter.1")}), 0) << err_.str();
  EXPECT_EQ(ReadFileText(file("ulvofilter.1")), page);
  EXPECT_EQ(Run({"help-man", "-o", file("no-such-folder/ulvofilter.1")}), kExitFailure);
}

TEST_F(CliUnixTest, TroffEscapeNeutralisesControlLinesBackslashesAndHyphens) {
  EXPECT_EQ(TroffEscape(".png, 'x' and a\\b -1\n.tif"), "\\&.png, 'x' and a\\eb \\-1\n\\&.tif");
  EXPECT_EQ(TroffEscape("'quoted"), "\\&'quoted");
}

// A scene whose depth has no symmetry around any focus: a ramp from left to
// right with a near block, on a colour pattern with bright points, 46
// pixels wide so that the render pads two columns.
struct DepthScene {
  Image colour;  // RGB
  Image depth;   // grey
  Image Depth(bool inverted) const {
    Image d = depth;
    if (inverted) {
      for (uint8_t& v : d.pixels) v = static_cast<uint8_t>(255 - v);
    }
    return d;
  }
  Image WithDepth(bool inverted) const {
    const Image d = Depth(inverted);
    Image rgba = colour;
    rgba.channels = 4;
    rgba.pixels.clear();
    for (size_t i = 0; i < d.pixels.size(); ++i) {
      rgba.pixels.insert(rgba.pixels.end(), colour.pixels.begin() + static_cast<long>(i * 3),
                         colour.pixels.begin() + static_cast<long>(i * 3 + 3));
      rgba.pixels.push_back(d.pixels[i]);
    }
    return rgba;
  }
  DepthPlane Plane(bool inverted) const {
    const Image d = Depth(inverted);
    DepthPlane plane;
    plane.width = d.width;
    plane.height = d.height;
    plane.rowBytes = 48;
    plane.bottomUp.assign(static_cast<size_t>(48) * d.height, 0);
    for (int y = 0; y < d.height; ++y) {
      for (int x = 0; x < d.width; ++x) {
        plane.bottomUp[static_cast<size_t>(d.height - 1 - y) * 48 + x] = d.row(y)[x];
      }
    }
    return plane;
  }
};

DepthScene MakeDepthScene() {
  DepthScene s;
  s.colour = Image{46, 30, 3, {}};
  s.depth = Image{46, 30, 1, {}};
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 46; ++x) {
      const bool light = (x * 7 + y * 3) % 11 == 0;
      s.colour.pixels.insert(s.colour.pixels.end(),
                             {static_cast<uint8_t>(light ? 255 : 40 + x * 3),
                              static_cast<uint8_t>(light ? 250 : 20 + y * 5), 90});
      const bool block = x > 8 && x < 20 && y > 6 && y < 18;
      s.depth.pixels.push_back(static_cast<uint8_t>(block ? 20 : x * 5));
    }
  }
  return s;
}

TEST_F(CliUnixTest, InvertedDepthRendersAsAnInvertedDepthMapDoes) {
  const DepthScene scene = MakeDepthScene();
  Write("colour.png", scene.colour);
  Write("depth.png", scene.depth);
  Write("depth-inverted.png", scene.Depth(true));
  Write("with-depth.png", scene.WithDepth(false));
  Write("with-depth-inverted.png", scene.WithDepth(true));
  for (const bool inverted : {false, true}) {
    const std::vector<uint8_t> bytes = SerializeHandoffDepth(scene.Plane(inverted));
    std::ofstream(file(inverted ? "inverted.dat" : "depth.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  const std::vector<std::string> settings = {"--focus", "60", "--max-blur", "10", "--levels", "6"};
  const auto render = [&](std::vector<std::string> args, const std::string& output) {
    args.insert(args.begin(), "render");
    args.insert(args.end(), settings.begin(), settings.end());
    args.insert(args.end(), {"-o", file(output)});
    EXPECT_EQ(Run(args), 0) << err_.str();
    return Read(output);
  };

  struct Source {
    const char* name;
    std::vector<std::string> original, inverted;  // arguments naming the depth map
  };
  const std::vector<Source> sources = {
      {"extra channel", {file("with-depth.png")}, {file("with-depth-inverted.png")}},
      {"grey image",
       {file("colour.png"), "--depth", file("depth.png")},
       {file("colour.png"), "--depth", file("depth-inverted.png")}},
      {"hand-off file",
       {file("colour.png"), "--depth-file", file("depth.dat")},
       {file("colour.png"), "--depth-file", file("inverted.dat")}},
  };
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    std::vector<std::string> flagged = source.original;
    flagged.push_back("--invert-depth");
    const Image withFlag = render(flagged, "flagged.png");
    const Image invertedMap = render(source.inverted, "inverted-map.png");
    const Image plain = render(source.original, "plain.png");
    EXPECT_EQ(withFlag.pixels, invertedMap.pixels);
    EXPECT_NE(withFlag.pixels, plain.pixels);  // the option changed the picture
  }

  // The depth channel written back is the image's own, not the inverted one.
  const Image kept =
      render({file("with-depth.png"), "--invert-depth", "--keep-extra-channels"}, "kept.png");
  ASSERT_EQ(kept.channels, 4);
  const Image original = scene.WithDepth(false);
  for (size_t i = 3; i < kept.pixels.size(); i += 4) {
    ASSERT_EQ(kept.pixels[i], original.pixels[i]) << i;
  }
}

TEST_F(CliUnixTest, UnwritableOutputFailsBeforeAnyWork) {
  // Large enough for progress reports, so that a render would show.
  Image big{160, 160, 3, std::vector<uint8_t>(160 * 160 * 3, 90)};
  Write("big.png", big);
  ASSERT_EQ(Run({"render", file("big.png"), "--max-blur", "4", "-o", file("ok.PNG")}), 0)
      << err_.str();
  ASSERT_NE(progress_.find("rendering"), std::string::npos);  // the progress shows up here

  std::ofstream(file("plain-file")) << "x";
  std::filesystem::create_directory(file("folder.png"));
  struct Case {
    std::string output;
    int code;
    const char* reason;  // a piece of the message
  };
  const std::vector<Case> cases = {
      {file("missing/out.png"), kExitFailure, "does not exist"},
      {file("plain-file/out.png"), kExitFailure, "is not a folder"},
      {file("folder.png"), kExitFailure, "is a folder"},
      {file("out.bmp"), kExitUsage, "unknown file type"},
      {file("out"), kExitUsage, "unknown file type"},
      {"", kExitUsage, "output name is empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    // The input is fine: only the output is wrong.
    EXPECT_EQ(Run({"render", file("big.png"), "--max-blur", "4", "-o", c.output}), c.code);
    // One line, naming the path first.
    EXPECT_EQ(err_.str(), "ulvofilter: " + CheckOutputPath(c.output).message + "\n");
    EXPECT_EQ(err_.str().rfind("ulvofilter: " + c.output, 0), 0u) << err_.str();
    EXPECT_NE(err_.str().find(c.reason), std::string::npos) << err_.str();
    EXPECT_EQ(progress_, "");
    EXPECT_EQ(out_.str(), "");
    // The output is checked before the input is even read.
    EXPECT_EQ(Run({"render", file("missing-input.png"), "-o", c.output}), c.code);
    EXPECT_EQ(err_.str().find("missing-input"), std::string::npos) << err_.str();
    // The other commands that write one file check it alike.
    EXPECT_EQ(Run({"make-pattern", "disc", "-o", c.output}), c.code);
    EXPECT_EQ(Run({"make-scene", "-o", c.output}), c.code);
  }

  // The probe leaves nothing behind.
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    names.insert(entry.path().filename().string());
  }
  EXPECT_EQ(names, (std::set<std::string>{"big.png", "ok.PNG", "plain-file", "folder.png"}));
}

TEST_F(CliUnixTest, OutputCheckAcceptsExactlyWhatTheWriterWrites) {
  const Image tiny{4, 4, 3, std::vector<uint8_t>(48, 7)};
  for (const char* name : {"a.png", "a.PNG", "a.jpg", "a.JPEG", "a.tif", "a.tiff", "a.bmp", "a.gif",
                           "a", "a.png.bak", ".png"}) {
    SCOPED_TRACE(name);
    std::string error;
    const bool written = WriteImageFile(file(name), tiny, error);
    EXPECT_EQ(IsWritableImageName(file(name)), written);
    std::filesystem::remove(file(name));
    EXPECT_EQ(CheckOutputPath(file(name)).exitCode, written ? 0 : kExitUsage);
  }
  // An existing file is fine to replace; a name without a folder means the
  // current one.
  std::ofstream(file("exists.png")) << "old";
  EXPECT_EQ(CheckOutputPath(file("exists.png")).exitCode, 0);
  EXPECT_EQ(CheckOutputPath("relative.png").exitCode, 0);
}

}  // namespace
}  // namespace ulvo
