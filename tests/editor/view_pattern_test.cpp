// The view's aperture pattern: the stored one comes back at start-up and
// drives the maximum blur, the pattern window and the settings box; a file
// that cannot be used leaves a message and no pattern.
#include "src/editor/view_pattern.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

#include "src/resources/editor_ids.h"
#include "tests/editor/frame_run.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

// A 9 × 7 colour pattern whose top-left pixel is (10, 20, 30).
std::string WritePattern(const TempDir& dir) {
  TestTiff tiff;
  tiff.width = 9;
  tiff.height = 7;
  tiff.samples = 3;
  tiff.photometric = PHOTOMETRIC_RGB;
  tiff.data.assign(tiff.rowBytes() * tiff.height, 200);
  tiff.data[0] = 10;
  tiff.data[1] = 20;
  tiff.data[2] = 30;
  const std::string path = dir.file("disc.tif");
  EXPECT_TRUE(WriteTestTiff(path, tiff));
  return path;
}

TEST(ViewPattern, TheStoredPatternComesBackAtStartUp) {
  TempDir dir;
  FrameRun run;
  run.store.values["OldPatName"] = WritePattern(dir);
  run.store.values["KeepPattern"] = 0;
  const ViewPattern* pattern = nullptr;
  int32_t maxBlur = 0;
  const uint8_t* shown = nullptr;
  run.Go("", [&](HeadlessPlatform&, CUlvoPiFrame& frame) {
    CUlvoFilterView& view = *frame.GetActiveView();
    pattern = &view.pattern();
    maxBlur = view.settings().MaxDMapSize;
    ASSERT_TRUE(pattern->loaded());
    EXPECT_EQ(pattern->width(), 9);
    EXPECT_EQ(pattern->height(), 7);
    EXPECT_EQ(pattern->stride(), 28);  // 27 bytes padded to 4
    EXPECT_EQ(pattern->header().bitCount, 24);
    // Bottom-up and blue first: the file's first pixel opens the last row.
    shown = pattern->pixels() + 6 * 28;
    EXPECT_EQ(shown[0], 30);
    EXPECT_EQ(shown[2], 10);
  });
  EXPECT_EQ(maxBlur, 8);  // the pattern's larger side less one
  EXPECT_NE(std::find(run.store.writes.begin(), run.store.writes.end(), "OldPatName"),
            run.store.writes.end());
  EXPECT_FALSE(run.Logged("dialog \""));  // no message, no file dialog

  // Not wanted: nothing is read.
  FrameRun off;
  off.store.values["OldPatName"] = run.store.values["OldPatName"];
  off.store.values["UseOldPat"] = 0;
  bool loaded = true;
  off.Go("", [&](HeadlessPlatform&, CUlvoPiFrame& frame) {
    loaded = frame.GetActiveView()->pattern().loaded();
  });
  EXPECT_FALSE(loaded);
}

TEST(ViewPattern, AFileThatCannotBeUsedLeavesAMessageAndNoPattern) {
  TempDir dir;
  FrameRun run;
  run.store.values["OldPatName"] = dir.file("gone.tif");
  run.store.values["MaxDMapSize"] = 40;
  bool loaded = true;
  int32_t maxBlur = 0;
  run.Go("answer ok", [&](HeadlessPlatform&, CUlvoPiFrame& frame) {
    loaded = frame.GetActiveView()->pattern().loaded();
    maxBlur = frame.GetActiveView()->settings().MaxDMapSize;
  });
  EXPECT_FALSE(loaded);
  EXPECT_EQ(maxBlur, 40);
  EXPECT_TRUE(run.Logged("dialog \"")) << run.log;
  EXPECT_EQ(std::find(run.store.writes.begin(), run.store.writes.end(), "OldPatName"),
            run.store.writes.end());
}

TEST(ViewPattern, ThePatternBoundsTheMaximumBlurInTheSettingsBox) {
  TempDir dir;
  FrameRun run;
  run.store.values["OldPatName"] = WritePattern(dir);
  run.store.values["KeepPattern"] = 0;
  run.Go("command 32790\ntype 1017 9\nanswer ok\nanswer cancel");
  EXPECT_TRUE(run.Logged("dialog \"")) << run.log;
  EXPECT_NE(run.log.find("0 から 8 までの整数を入力してください。"), std::string::npos) << run.log;
}

TEST(ViewPattern, HeaderResolutionIsPixelsAMetreWithinRange) {
  PatternDescription description;
  description.imageWidth = 5;
  description.imageLength = 3;
  description.xResolution = 72.0f;
  description.yResolution = 300.0f;
  BitmapInfoHeader header = PatternHeader(description);
  EXPECT_EQ(header.width, 5);
  EXPECT_EQ(header.height, 3);
  EXPECT_EQ(header.xPelsPerMeter, 2834);  // 72 × 39.37…, truncated
  EXPECT_EQ(header.yPelsPerMeter, 11811);
  description.xResolution = 1e30f;
  description.yResolution = -1e30f;
  header = PatternHeader(description);
  EXPECT_EQ(header.xPelsPerMeter, INT32_MAX);
  EXPECT_EQ(header.yPelsPerMeter, INT32_MIN);
}

}  // namespace
}  // namespace ulvo
