// The selection's whitening: computed from the display and the top-down
// mask, never written into the display itself.
#include "src/editor/selection_overlay.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace ulvo {
namespace {

TEST(SelectionOverlay, WhitensWhatIsNotSelected) {
  // Two columns, two rows; the source rows are bottom-up like the display.
  FilterJob job;
  job.width = job.paddedWidth = 2;
  job.height = 2;
  job.planes = 3;
  job.rowBytes = 6;
  std::vector<uint8_t> source = {0,  0,  0,  255, 255, 255,  // bottom row
                                 10, 20, 30, 40,  50,  60};  // top row
  job.inData = source.data();
  // Mask rows are top-down: top row 0 and 128, bottom row 255 and 128.
  std::vector<uint8_t> mask = {0, 128, 255, 128};
  job.maskData = mask.data();
  job.maskRowBytes = 2;
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(job));
  const std::vector<uint8_t> before(display.pixels(), display.pixels() + display.byteSize());
  std::vector<uint8_t> overlay(display.byteSize());
  ComposeSelectionOverlay(display, job, overlay.data());
  const size_t stride = display.stride();
  // Bottom row: fully selected black stays black; half-selected white stays white.
  EXPECT_EQ(overlay[0], 0);
  EXPECT_EQ(overlay[3], 255);
  // Top row: unselected turns white; half selected 40 becomes 40 × 128 / 255 + 127.
  EXPECT_EQ(overlay[stride + 0], 255);
  EXPECT_EQ(overlay[stride + 3], 40 * 128 / 255 + 127);
  const std::vector<uint8_t> after(display.pixels(), display.pixels() + display.byteSize());
  EXPECT_EQ(before, after);
  EXPECT_TRUE(JobHasMask(job));
  job.maskRowBytes = 0;
  EXPECT_FALSE(JobHasMask(job));
}

TEST(SelectionOverlay, ColumnsBeyondTheMaskRowsShowAsTheyAre) {
  FilterJob job;
  job.width = job.paddedWidth = 3;
  job.height = 1;
  job.planes = 3;
  job.rowBytes = 9;
  std::vector<uint8_t> source = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  job.inData = source.data();
  std::vector<uint8_t> mask = {0, 0};  // two columns only
  job.maskData = mask.data();
  job.maskRowBytes = 2;
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(job));
  std::vector<uint8_t> overlay(display.byteSize());
  ComposeSelectionOverlay(display, job, overlay.data());
  EXPECT_EQ(overlay[3], 255);
  EXPECT_EQ(overlay[6], display.pixels()[6]);
}

}  // namespace
}  // namespace ulvo
