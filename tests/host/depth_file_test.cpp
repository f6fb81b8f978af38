#include "src/host/depth_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "src/host/depth_handoff.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_job.h"

namespace ulvo {
namespace {

std::vector<uint8_t> Header(int32_t size, int32_t rowBytes, int32_t width, int32_t height) {
  std::vector<uint8_t> bytes(16);
  const int32_t fields[] = {size, rowBytes, width, height};
  for (int i = 0; i < 4; ++i) {
    for (int b = 0; b < 4; ++b) {
      bytes[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(fields[i]) >> (8 * b));
    }
  }
  return bytes;
}

int32_t HeaderField(const std::vector<uint8_t>& bytes, int index) {
  int32_t value;
  std::memcpy(&value, bytes.data() + index * 4, 4);
  return value;
}

// A donor job in display order: row i of the buffer holds bytes equal to i + 1.
struct DonorJob : TestJob {
  DonorJob(int32_t width, int32_t paddedWidth, int32_t rowBytes, int32_t height)
      : TestJob(paddedWidth, height, 1, rowBytes - paddedWidth), block(in.size() + 4) {
    job.width = width;
    for (size_t k = 0; k < in.size(); ++k) in[k] = static_cast<uint8_t>(k / rowBytes + 1);
    depth = {block.data(), rowBytes * height, rowBytes};
  }

  std::vector<uint8_t> block;
  DepthBuffer depth;
};

// A colour job of the given width and height with a depth block of the usual capacity.
struct ColourJob : TestJob {
  ColourJob(int32_t width, int32_t paddedWidth, int32_t height)
      : TestJob(paddedWidth, height, 3),
        block(static_cast<size_t>(4 * ((width + 12) * height / 4) + 4), 0xEE) {
    job.width = width;
    depth = {block.data(), static_cast<int32_t>(block.size()), 0};
  }

  std::vector<uint8_t> block;
  DepthBuffer depth;
};

TEST(DepthFile, DonorRoundTripStoresHeaderAndBottomRowFirst) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  DonorJob donor(100, 100, 100, 50);
  ASSERT_TRUE(WriteJobDepthFile(donor.job, donor.depth, path));
  const auto bytes = ReadFileBytes(path);
  ASSERT_EQ(bytes.size(), 16u + 5000u);
  EXPECT_EQ(HeaderField(bytes, 0), 5000);
  EXPECT_EQ(HeaderField(bytes, 1), 100);
  EXPECT_EQ(HeaderField(bytes, 2), 100);
  EXPECT_EQ(HeaderField(bytes, 3), 50);
  // The donor's buffer is in display order, so its first row is the image's bottom row.
  EXPECT_EQ(bytes[16], 1);
  EXPECT_EQ(bytes[16 + 4999], 50);

  ColourJob colour(100, 100, 50);
  ASSERT_EQ(ReadJobDepthFile(colour.job, colour.depth, path), DepthFileStatus::kOk);
  EXPECT_EQ(colour.depth.size, 5000);
  EXPECT_EQ(colour.depth.rowBytes, 100);
  EXPECT_EQ(0, std::memcmp(colour.block.data(), bytes.data() + 16, 5000));
}

TEST(DepthFile, PaddedDonorMatchesOnlyTheSameWidth) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  DonorJob donor(101, 104, 104, 20);
  ASSERT_TRUE(WriteJobDepthFile(donor.job, donor.depth, path));
  const auto bytes = ReadFileBytes(path);
  EXPECT_EQ(HeaderField(bytes, 2), 101);
  EXPECT_EQ(HeaderField(bytes, 1), 104);

  ColourJob same(101, 104, 20);
  EXPECT_EQ(ReadJobDepthFile(same.job, same.depth, path), DepthFileStatus::kOk);
  EXPECT_EQ(same.depth.rowBytes, 104);

  ColourJob wider(102, 104, 20);
  EXPECT_EQ(ReadJobDepthFile(wider.job, wider.depth, path), DepthFileStatus::kMismatch);
  EXPECT_EQ(wider.depth.size, 0);
  EXPECT_EQ(wider.depth.rowBytes, 0);

  ColourJob taller(101, 104, 21);
  EXPECT_EQ(ReadJobDepthFile(taller.job, taller.depth, path), DepthFileStatus::kMismatch);
}

TEST(DepthFile, RowsLargerThanTheBlockAreNotRead) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  // Row distance 40 for width 8: more than width + 12, so 10 rows exceed the capacity.
  DonorJob donor(8, 8, 40, 10);
  ASSERT_TRUE(WriteJobDepthFile(donor.job, donor.depth, path));
  ColourJob colour(8, 8, 10);
  // Rows that do not fit are another image's, as far as the colour run can tell.
  EXPECT_EQ(ReadJobDepthFile(colour.job, colour.depth, path), DepthFileStatus::kMismatch);
  EXPECT_EQ(colour.depth.size, 0);
  EXPECT_EQ(colour.block[0], 0xEE);
}

TEST(DepthFile, MissingFileLeavesNoDepthMap) {
  TempDir dir;
  ColourJob colour(8, 8, 4);
  EXPECT_EQ(ReadJobDepthFile(colour.job, colour.depth, dir / "alpha.dat"),
            DepthFileStatus::kCannotOpen);
  EXPECT_EQ(colour.depth.size, 0);
  EXPECT_EQ(colour.depth.rowBytes, 0);
  DepthFileInfo info;
  EXPECT_EQ(ReadDepthFileInfo(dir / "alpha.dat", &info), DepthFileStatus::kCannotOpen);
}

TEST(DepthFile, HostileHeadersAreRefusedWithoutTouchingTheBuffer) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  struct Case {
    std::vector<uint8_t> bytes;
    DepthFileStatus status;
  };
  auto withRows = [](std::vector<uint8_t> header, size_t rows) {
    header.resize(header.size() + rows, 7);
    return header;
  };
  const Case cases[] = {
      {{1, 2, 3}, DepthFileStatus::kBadHeader},                            // shorter than a header
      {withRows(Header(-32, 8, 8, -4), 64), DepthFileStatus::kBadHeader},  // negative fields
      {withRows(Header(32, -8, 8, -4), 64), DepthFileStatus::kBadHeader},
      {withRows(Header(0, 8, 8, 0), 64), DepthFileStatus::kBadHeader},
      {withRows(Header(32, 8, 9, 4), 64), DepthFileStatus::kBadHeader},  // rows narrower than width
      {withRows(Header(16, 8, 8, 4), 64), DepthFileStatus::kBadHeader},  // size != rows
      // rowBytes * height overflows 32 bits to the announced size.
      {withRows(Header(0x40000000, 0x40000000, 8, 1), 64), DepthFileStatus::kTruncated},
      {withRows(Header(8, 0x40000002, 8, 4), 64), DepthFileStatus::kBadHeader},
      {withRows(Header(32, 8, 8, 4), 31), DepthFileStatus::kTruncated},  // one byte short
      {withRows(Header(0x7FFFFFFF, 0x7FFFFFFF, 8, 1), 8), DepthFileStatus::kTruncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.bytes.size()) + " bytes, header " +
                 (c.bytes.size() >= 16 ? std::to_string(HeaderField(c.bytes, 0)) : "short"));
    WriteFileBytes(path, c.bytes);
    std::vector<uint8_t> dest(64, 0xEE);
    DepthFileInfo info;
    EXPECT_EQ(ReadDepthFile(path, -1, -1, dest.data(), dest.size(), &info), c.status);
    EXPECT_EQ(dest, std::vector<uint8_t>(64, 0xEE));

    ColourJob colour(8, 8, 4);
    EXPECT_NE(ReadJobDepthFile(colour.job, colour.depth, path), DepthFileStatus::kOk);
    EXPECT_EQ(colour.depth.size, 0);
    EXPECT_EQ(colour.depth.rowBytes, 0);
  }
}

TEST(DepthFile, ReaderForOtherToolsChecksExpectationsAndCapacity) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  const std::vector<uint8_t> rows = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(WriteDepthFile(path, {6, 3, 2, 2}, rows.data(), 3), DepthFileStatus::kOk);
  DepthFileInfo info;
  ASSERT_EQ(ReadDepthFileInfo(path, &info), DepthFileStatus::kOk);
  EXPECT_EQ(info.width, 2);
  EXPECT_EQ(info.height, 2);
  std::vector<uint8_t> dest(6);
  EXPECT_EQ(ReadDepthFile(path, 3, -1, dest.data(), dest.size(), nullptr),
            DepthFileStatus::kMismatch);
  EXPECT_EQ(ReadDepthFile(path, 2, 2, dest.data(), 5, nullptr), DepthFileStatus::kTooLarge);
  EXPECT_EQ(ReadDepthFile(path, 2, 2, dest.data(), dest.size(), nullptr), DepthFileStatus::kOk);
  EXPECT_EQ(dest, rows);
  // The writer refuses fields that do not describe its rows.
  EXPECT_EQ(WriteDepthFile(path, {5, 3, 2, 2}, rows.data(), 3), DepthFileStatus::kBadHeader);
}

TEST(DepthFile, FailedWriteKeepsTheEarlierFile) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  const std::vector<uint8_t> rows = {9, 9, 9, 9};
  ASSERT_EQ(WriteDepthFile(path, {4, 2, 2, 2}, rows.data(), 2), DepthFileStatus::kOk);
  const auto before = ReadFileBytes(path);
  // The temporary name is taken by a folder: the new file cannot be written.
  std::filesystem::path temp = path;
  temp += ".tmp";
  std::filesystem::create_directory(temp);
  const std::vector<uint8_t> other = {1, 1, 1, 1};
  EXPECT_EQ(WriteDepthFile(path, {4, 2, 2, 2}, other.data(), 2), DepthFileStatus::kWriteFailed);
  EXPECT_EQ(ReadFileBytes(path), before);
  std::filesystem::remove(temp);
  // And a later write replaces the existing file.
  ASSERT_EQ(WriteDepthFile(path, {4, 2, 2, 2}, other.data(), 2), DepthFileStatus::kOk);
  EXPECT_EQ(ReadFileBytes(path).back(), 1);
  EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST(DepthFile, DonorWithoutMatchingBlockWritesNothing) {
  TempDir dir;
  const auto path = dir / "alpha.dat";
  DonorJob donor(10, 12, 12, 3);
  donor.depth.size -= 1;
  EXPECT_FALSE(WriteJobDepthFile(donor.job, donor.depth, path));
  donor.depth = DepthBuffer{};
  EXPECT_FALSE(WriteJobDepthFile(donor.job, donor.depth, path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace ulvo
