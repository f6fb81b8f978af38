#include "src/editor/display_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/support/test_job.h"

namespace ulvo {
namespace {

class DisplayImagePlanes : public ::testing::TestWithParam<int> {};

TEST_P(DisplayImagePlanes, TakesTheLastThreeBytesOfEachPixelRowForRow) {
  const int planes = GetParam();
  // Width 5: 15 colour bytes padded to a stride of 16; a host row pad as well.
  TestJob t(5, 3, planes, 2);
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(t.job));
  EXPECT_EQ(display.stride(), 16u);
  EXPECT_EQ(display.byteSize(), 48u);
  EXPECT_EQ(display.header().size, 40u);
  EXPECT_EQ(display.header().width, 5);
  EXPECT_EQ(display.header().height, 3);  // positive: bottom-up like the source rows
  EXPECT_EQ(display.header().bitCount, 24);
  EXPECT_EQ(display.header().xPelsPerMeter, 15748);
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 5; ++j) {
      for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(display.pixels()[display.stride() * i + 3 * j + c],
                  t.InByte(i, j, planes - 3 + c))
            << "row " << i << " col " << j << " byte " << c;
      }
    }
    EXPECT_EQ(display.pixels()[display.stride() * i + 15], 0) << "row pad of row " << i;
  }
}

TEST_P(DisplayImagePlanes, FinishWritesDisplayColoursAndKeepsDepthAndLeadingBytes) {
  const int planes = GetParam();
  TestJob t(6, 2, planes);
  t.out.assign(t.out.size(), 0xEE);
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(t.job));
  // A render changed the display: the output must come from it, not the source.
  for (size_t k = 0; k < display.byteSize(); ++k) display.pixels()[k] ^= 0x5A;
  display.CopyToOutput(t.job);

  const int e = planes - 3;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 6; ++j) {
      for (int c = 0; c < 3; ++c)
        EXPECT_EQ(t.OutByte(i, j, e + c), display.pixels()[display.stride() * i + 3 * j + c]);
      if (e >= 1) {
        EXPECT_EQ(t.OutByte(i, j, e - 1), t.InByte(i, j, e - 1)) << "depth byte";
      }
      for (int b = 0; b < e - 1; ++b) EXPECT_EQ(t.OutByte(i, j, b), 0xEE) << "untouched byte";
    }
  }
}

TEST_P(DisplayImagePlanes, SourceCopyMatchesAnUnrenderedFinish) {
  const int planes = GetParam();
  TestJob viaDisplay(5, 3, planes, 3);
  TestJob direct(5, 3, planes, 3);
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(viaDisplay.job));
  display.CopyToOutput(viaDisplay.job);
  CopySourceToOutput(direct.job);
  EXPECT_EQ(direct.out, viaDisplay.out);
}

INSTANTIATE_TEST_SUITE_P(Planes, DisplayImagePlanes, ::testing::Values(3, 4, 5));

TEST(DisplayImage, RestoreBringsBackTheSource) {
  TestJob t(3, 2, 4);
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(t.job));
  const std::vector<uint8_t> original(display.pixels(), display.pixels() + display.byteSize());
  for (size_t k = 0; k < display.byteSize(); ++k) display.pixels()[k] = 0;
  display.Restore(t.job);
  EXPECT_EQ(std::vector<uint8_t>(display.pixels(), display.pixels() + display.byteSize()),
            original);
}

TEST(DisplayImage, RefusesJobsItCannotReadSafely) {
  DisplayImage display;
  TestJob twoPlanes(4, 4, 2);
  EXPECT_FALSE(display.TakeIn(twoPlanes.job));
  TestJob noInput(4, 4, 3);
  noInput.job.inData = nullptr;
  EXPECT_FALSE(display.TakeIn(noInput.job));
  TestJob shortRows(4, 4, 3);
  shortRows.job.rowBytes = 4 * 3 - 1;
  EXPECT_FALSE(display.TakeIn(shortRows.job));
  TestJob empty(0, 4, 3);
  EXPECT_FALSE(display.TakeIn(empty.job));
  EXPECT_TRUE(display.empty());

  // Without pixels or without an output buffer finishing writes nothing.
  TestJob t(4, 4, 3);
  t.out.assign(t.out.size(), 0xEE);
  display.CopyToOutput(t.job);
  EXPECT_EQ(t.OutByte(0, 0, 0), 0xEE);
  ASSERT_TRUE(display.TakeIn(t.job));
  t.job.outData = nullptr;
  display.CopyToOutput(t.job);
  EXPECT_EQ(t.OutByte(0, 0, 0), 0xEE);
}

}  // namespace
}  // namespace ulvo
