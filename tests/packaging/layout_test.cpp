// The staged install layout of this build: every pattern of the aperture
// library is there under its name and loads through the pattern loader as
// the tool draws it; the patterns kept under data/ are the same drawings;
// the help pages show and name every pattern.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "src/imageio/pattern_loader.h"
#include "tools/ulvofilter/aperture_shapes.h"

namespace ulvo {
namespace {

namespace fs = std::filesystem;

const fs::path kLayout = ULVO_LAYOUT_DIR;
const fs::path kSource = ULVO_SOURCE_DIR;
constexpr int kLibrarySize = 101;  // make-pattern's default size

struct RecordedMessages : UserMessages {
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Loads `path` as the editor does and compares it with the shape drawn anew.
void ExpectPatternIsDrawing(const fs::path& path, ApertureShape shape) {
  SCOPED_TRACE(path.string());
  RecordedMessages messages;
  PatternBitmap loaded;
  ASSERT_TRUE(LoadPatternBitmap(path.string(), loaded, messages));
  EXPECT_TRUE(messages.messages.empty());
  const PatternBitmap drawn = ToPatternBitmap(DrawAperture(shape, kLibrarySize));
  EXPECT_EQ(loaded.width, drawn.width);
  EXPECT_EQ(loaded.height, drawn.height);
  EXPECT_EQ(loaded.rowStride, drawn.rowStride);
  EXPECT_TRUE(loaded.pixels == drawn.pixels) << "the pixels differ from the drawing";
}

TEST(LayoutTest, PatternFolderHoldsTheWholeLibraryAndNothingElse) {
  std::set<std::string> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(kLayout / "pattern")) {
    files.insert(entry.path().filename().string());
  }
  std::set<std::string> expected;
  for (const auto& [name, shape] : ApertureShapeNames()) {
    expected.insert(name + ".tif");
    ExpectPatternIsDrawing(kLayout / "pattern" / (name + ".tif"), shape);
  }
  EXPECT_EQ(files, expected);
}

TEST(LayoutTest, PatternsKeptInTheRepositoryAreTheToolsDrawings) {
  int checked = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(kSource / "data" / "patterns")) {
    if (entry.path().extension() != ".tif") continue;
    const std::string name = entry.path().stem().string();
    bool known = false;
    for (const auto& [n, shape] : ApertureShapeNames()) {
      if (n != name) continue;
      known = true;
      ExpectPatternIsDrawing(entry.path(), shape);
    }
    EXPECT_TRUE(known) << name << ".tif is no shape of the tool";
    ++checked;
  }
  EXPECT_GE(checked, 4);
}

TEST(LayoutTest, BothHelpPagesShowAndNameEveryPattern) {
  for (const char* page : {"index.html", "index-en.html"}) {
    SCOPED_TRACE(page);
    const std::string html = ReadText(kLayout / "help" / page);
    ASSERT_FALSE(html.empty());
    for (const auto& [name, shape] : ApertureShapeNames()) {
      EXPECT_NE(html.find(">" + name + ".tif<"), std::string::npos) << name;
      EXPECT_NE(html.find("\"pictures/pattern-" + name + ".png\""), std::string::npos) << name;
      EXPECT_TRUE(fs::is_regular_file(kLayout / "help" / "pictures" / ("pattern-" + name + ".png")))
          << name;
    }
  }
}

}  // namespace
}  // namespace ulvo
