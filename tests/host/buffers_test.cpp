#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "src/host/job_buffers.h"
#include "src/host/rect_ops.h"

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

// A job over a buffer whose rows have `slack` extra bytes after the pixels.
struct Picture {
  FilterJob job;
  std::vector<uint8_t> bytes;

  Picture(int32_t width, int32_t height, int32_t planes, int32_t slack = 0) {
    job.width = job.paddedWidth = width;
    job.height = height;
    job.planes = planes;
    job.rowBytes = width * planes + slack;
    bytes.resize(static_cast<size_t>(job.rowBytes) * height);
    std::iota(bytes.begin(), bytes.end(), uint8_t{1});
    job.inData = bytes.data();
  }
  uint8_t at(int32_t row, int32_t x, int32_t k) const {
    return bytes[static_cast<size_t>(row * job.rowBytes + x * job.planes + k)];
  }
};

TEST(FlipJobBuffer, SwapsRowsAndReversesPixelBytes) {
  for (int32_t height : {1, 2, 3}) {
    SCOPED_TRACE(height);
    Picture picture(3, height, 3, 2);
    const Picture original = picture;
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    for (int32_t row = 0; row < height; ++row) {
      for (int32_t x = 0; x < 3; ++x) {
        for (int32_t k = 0; k < 3; ++k) {
          EXPECT_EQ(picture.at(row, x, k), original.at(height - 1 - row, x, 2 - k));
        }
      }
      // The slack after the pixels stays as it was.
      for (int32_t s = 9; s < 11; ++s) {
        EXPECT_EQ(picture.bytes[row * 11 + s], original.bytes[row * 11 + s]);
      }
    }
    FlipJobBuffer(picture.job, JobBuffer::kInput);
    EXPECT_EQ(picture.bytes, original.bytes);
  }
}

TEST(FlipJobBuffer, WorksOnTheOutputAndLeavesBytesBeyondPaddedWidth) {
  Picture picture(4, 3, 4);
  picture.job.paddedWidth = 3;
  picture.job.outData = picture.job.inData;
  picture.job.inData = nullptr;
  const Picture original = picture;
  FlipJobBuffer(picture.job, JobBuffer::kOutput);
  EXPECT_EQ(picture.at(0, 0, 0), original.at(2, 0, 3));
  EXPECT_EQ(picture.at(1, 2, 1), original.at(1, 2, 2));
  for (int32_t row = 0; row < 3; ++row) {
    for (int32_t k = 0; k < 4; ++k) EXPECT_EQ(picture.at(row, 3, k), original.at(row, 3, k));
  }
}

TEST(BlendWithMask, MixesUnselectedPixelsBackToTheSource) {
  FilterJob job;
  job.width = job.paddedWidth = 4;
  job.height = 2;
  job.planes = 3;
  job.rowBytes = 12;
  std::vector<uint8_t> in(24, 100), out(24, 200);
  // Mask rows are top-down; buffer rows bottom-up.
  std::vector<uint8_t> mask = {0, 128, 255, 1, /* bottom row */ 255, 255, 255, 255};
  job.inData = in.data();
  job.outData = out.data();
  job.maskData = mask.data();
  job.maskRowBytes = 4;
  BlendWithMask(job);
  const uint8_t expectTop[] = {100, 150, 200, (1 * 200 + 254 * 100) / 255};
  for (int32_t x = 0; x < 4; ++x) {
    for (int32_t k = 0; k < 3; ++k) {
      EXPECT_EQ(out[12 + x * 3 + k], expectTop[x]) << x;  // image top row = buffer row 1
      EXPECT_EQ(out[x * 3 + k], 200);
    }
  }
}

TEST(BlendWithMask, SkippedWithoutMask) {
  FilterJob job;
  job.width = job.paddedWidth = 2;
  job.height = 1;
  job.planes = 3;
  job.rowBytes = 6;
  std::vector<uint8_t> in(6, 10), out(6, 20), mask(2, 0);
  job.inData = in.data();
  job.outData = out.data();
  job.maskRowBytes = 2;
  BlendWithMask(job);  // no mask data
  job.maskData = mask.data();
  job.maskRowBytes = 0;
  BlendWithMask(job);
  EXPECT_EQ(out, std::vector<uint8_t>(6, 20));
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
