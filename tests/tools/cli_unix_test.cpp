// ulvofilter as a command-line program: output paths checked before any
// work, exit codes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/imageio/temp_dir.h"
#include "tools/ulvofilter/cli.h"
#include "tools/ulvofilter/output_path.h"

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
    std::ifstream in(progressFile);
    progress_.assign(std::istreambuf_iterator<char>(in), {});
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
