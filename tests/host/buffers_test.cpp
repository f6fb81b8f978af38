#include <gtest/gtest.h>

#include <vector>

#include "src/host/job_buffers.h"
#include "src/host/rect_ops.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

TEST(RowPad, MakesThreeBytePixelRowsFillWholeWords) {
  EXPECT_EQ(RowPad(4), 0);
  EXPECT_EQ(RowPad(5), 3);  // 15 bytes -> 24
  EXPECT_EQ(RowPad(6), 2);  // 18 bytes -> 24
  EXPECT_EQ(RowPad(7), 1);
  EXPECT_EQ(RowPad(0), 0);
  EXPECT_EQ(RowPad(-5), 0);
  for (int32_t width = 1; width < 64; ++width) EXPECT_EQ(3 * (width + RowPad(width)) % 4, 0);
}

TEST(RectOps, RefuseNullAndTruncateBoundsToSixteenBits) {
  pi::Rect rect{1, 2, 3, 4};
  EXPECT_FALSE(SetRect(nullptr, 0, 0, 0, 0));
  EXPECT_FALSE(CopyRect(&rect, nullptr));
  EXPECT_FALSE(CopyRect(nullptr, &rect));
  EXPECT_FALSE(RectFromBounds(&rect, nullptr));
  const pi::VRect bounds{0x10005, -1, 0x7FFF + 2, 70000};
  ASSERT_TRUE(RectFromBounds(&rect, &bounds));
  EXPECT_EQ(rect.top, 5);
  EXPECT_EQ(rect.left, -1);
  EXPECT_EQ(rect.bottom, -0x7FFF);
  EXPECT_EQ(rect.right, static_cast<int16_t>(70000 - 65536));
}

TEST(FlipJobBuffer, SwapsRowsAndReversesPixelBytes) {
  for (int32_t height : {1, 2, 3}) {
    SCOPED_TRACE(height);
    // Rows of two bytes more than their pixels.
    TestJob picture(3, height, 3, 2);
    const TestJob original = picture;
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    for (int32_t row = 0; row < height; ++row) {
      for (int32_t x = 0; x < 3; ++x) {
        for (int32_t k = 0; k < 3; ++k) {
          EXPECT_EQ(picture.InByte(row, x, k), original.InByte(height - 1 - row, x, 2 - k));
        }
      }
      // The slack after the pixels stays as it was.
      for (int32_t s = 9; s < 11; ++s) {
        EXPECT_EQ(picture.in[row * 11 + s], original.in[row * 11 + s]);
      }
    }
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    EXPECT_EQ(picture.in, original.in);
  }
}

TEST(FlipJobBuffer, WorksOnTheOutputAndLeavesBytesBeyondPaddedWidth) {
  TestJob picture(4, 3, 4);
  picture.job.paddedWidth = 3;
  picture.job.outData = picture.job.inData;
  picture.job.inData = nullptr;
  const TestJob original = picture;
  FlipJobBuffer(picture.job, JobBuffer::kOutput);
  EXPECT_EQ(picture.InByte(0, 0, 0), original.InByte(2, 0, 3));
  EXPECT_EQ(picture.InByte(1, 2, 1), original.InByte(1, 2, 2));
  for (int32_t row = 0; row < 3; ++row) {
    for (int32_t k = 0; k < 4; ++k)
      EXPECT_EQ(picture.InByte(row, 3, k), original.InByte(row, 3, k));
  }
}

TEST(BlendWithMask, MixesUnselectedPixelsBackToTheSource) {
  TestJob t(4, 2, 3);
  t.in.assign(t.in.size(), 100);
  t.out.assign(t.out.size(), 200);
  // Mask rows are top-down; buffer rows bottom-up.
  std::vector<uint8_t> mask = {0, 128, 255, 1, /* bottom row */ 255, 255, 255, 255};
  t.job.maskData = mask.data();
  t.job.maskRowBytes = 4;
  BlendWithMask(t.job);
  const uint8_t expectTop[] = {100, 150, 200, (1 * 200 + 254 * 100) / 255};
  for (int32_t x = 0; x < 4; ++x) {
    for (int32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(t.OutByte(1, x, k), expectTop[x]) << x;  // image top row = buffer row 1
      EXPECT_EQ(t.OutByte(0, x, k), 200);
    }
  }
}

TEST(BlendWithMask, SkippedWithoutMask) {
  TestJob t(2, 1, 3);
  t.out.assign(t.out.size(), 20);
  std::vector<uint8_t> mask(2, 0);
  t.job.maskRowBytes = 2;
  BlendWithMask(t.job);  // no mask data
  t.job.maskData = mask.data();
  t.job.maskRowBytes = 0;
  BlendWithMask(t.job);
  EXPECT_EQ(t.out, std::vector<uint8_t>(6, 20));
}

TEST(CopyUnfilteredMargins, CopiesOnlyWhatLiesOutsideTheJob) {
  pi::FilterRecord record{};
  record.filterRect = {10, 20, 14, 26};  // 4 rows, 6 pixels
  std::vector<uint8_t> in(4 * 6, 1), out(4 * 6, 0);
  record.inData = in.data();
  record.outData = out.data();
  record.inRowBytes = record.outRowBytes = 6;
  FilterJob job;
  job.planes = 1;
  job.top = 11;
  job.bottom = 13;
  job.left = 22;
  job.right = 25;
  CopyUnfilteredMargins(record, job);
  const std::vector<uint8_t> expect = {
      1, 1, 1, 1, 1, 1,  //
      1, 1, 0, 0, 0, 1,  //
      1, 1, 0, 0, 0, 1,  //
      1, 1, 1, 1, 1, 1,
  };
  EXPECT_EQ(out, expect);

  // A job covering the rectangle (and reaching past it) copies nothing.
  std::fill(out.begin(), out.end(), 0);
  job.top = 10;
  job.bottom = 14;
  job.left = 20;
  job.right = 29;
  CopyUnfilteredMargins(record, job);
  EXPECT_EQ(out, std::vector<uint8_t>(24, 0));

  // Row distances too short for the rectangle: nothing is touched.
  record.outRowBytes = 5;
  job.top = 12;
  CopyUnfilteredMargins(record, job);
  EXPECT_EQ(out, std::vector<uint8_t>(24, 0));
}

}  // namespace
}  // namespace ulvo
