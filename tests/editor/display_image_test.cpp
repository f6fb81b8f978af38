#include "src/editor/display_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
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

// A 16-bit job: renders go into 16-bit colours, the display shows them
// rounded, finishing writes them with the source's depth sample.
TEST(DisplayImage, SixteenBitJobsKeepTheirPrecision) {
  TestJob t(3, 2, 2 * 4);  // four planes of two bytes
  t.job.planes = 4;
  t.job.sampleBytes = 2;
  const auto sample = [](const std::vector<uint8_t>& bytes, size_t index) {
    uint16_t value = 0;
    std::memcpy(&value, bytes.data() + 2 * index, 2);
    return value;
  };
  DisplayImage display;
  ASSERT_TRUE(display.TakeIn(t.job));
  EXPECT_TRUE(display.wide());
  EXPECT_EQ(display.renderStride(), 18u);
  for (size_t row = 0; row < 2; ++row) {
    for (size_t x = 0; x < 3; ++x) {
      for (size_t c = 0; c < 3; ++c) {
        const uint16_t source = sample(t.in, (row * 3 + x) * 4 + 1 + c);
        EXPECT_EQ(display.pixels()[display.stride() * row + 3 * x + c], EightBitSample(source));
      }
    }
  }
  // A render writes 16-bit colours; the display shows the rows it is told of.
  uint8_t* rendered = display.renderPixels();
  const uint16_t white = 65535, grey = 0x8081;
  for (size_t i = 0; i < 9; ++i) std::memcpy(rendered + 2 * i, &white, 2);
  for (size_t i = 9; i < 18; ++i) std::memcpy(rendered + 2 * i, &grey, 2);
  display.ShowRendered(1, 1);
  EXPECT_NE(display.pixels()[0], 255);  // row 0 not shown yet
  EXPECT_EQ(display.pixels()[display.stride()], 128);
  display.CopyToOutput(t.job);
  for (size_t x = 0; x < 3; ++x) {
    EXPECT_EQ(sample(t.out, x * 4), sample(t.in, x * 4));  // depth from the source
    EXPECT_EQ(sample(t.out, x * 4 + 2), 65535);
    EXPECT_EQ(sample(t.out, (3 + x) * 4 + 3), 0x8081);
  }
  CopySourceToOutput(t.job);
  EXPECT_EQ(t.out, t.in);
  EXPECT_EQ(EightBitSample(0), 0);
  EXPECT_EQ(EightBitSample(65535), 255);
  EXPECT_EQ(EightBitSample(257 * 100), 100);
}

}  // namespace
}  // namespace ulvo
