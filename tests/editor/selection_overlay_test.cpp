// The selection's whitening: computed from the display and the top-down
// mask, never written into the display itself.
#include "src/editor/selection_overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "tests/support/test_job.h"

namespace ulvo {
namespace {

TEST(SelectionOverlay, WhitensWhatIsNotSelected) {
  // Two columns, two rows; the source rows are bottom-up like the display.
  TestJob t(2, 2, 3);
  const uint8_t source[] = {0,  0,  0,  255, 255, 255,  // bottom row
                            10, 20, 30, 40,  50,  60};  // top row
  std::copy(std::begin(source), std::end(source), t.in.begin());
  FilterJob& job = t.job;
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
  TestJob t(3, 1, 3);
  std::vector<uint8_t> mask = {0, 0};  // two columns only
  t.job.maskData = mask.data();
  t.job.maskRowBytes = 2;
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(t.job));
  std::vector<uint8_t> overlay(display.byteSize());
  ComposeSelectionOverlay(display, t.job, overlay.data());
  EXPECT_EQ(overlay[3], 255);
  EXPECT_EQ(overlay[6], display.pixels()[6]);
}

}  // namespace
}  // namespace ulvo
