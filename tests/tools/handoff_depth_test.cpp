#include "tools/ulvofilter/handoff_depth.h"

#include <gtest/gtest.h>

#include <climits>
#include <fstream>

#include "tests/support/temp_dir.h"

namespace ulvo {
namespace {

std::vector<uint8_t> Header(int32_t size, int32_t rowBytes, int32_t width, int32_t height) {
  DepthPlane empty;
  empty.width = width;
  empty.height = height;
  empty.rowBytes = rowBytes;
  std::vector<uint8_t> bytes = SerializeHandoffDepth(empty);
  // Overwrite the size field, which SerializeHandoffDepth derives.
  for (int i = 0; i < 4; ++i)
    bytes[i] = static_cast<uint8_t>(static_cast<uint32_t>(size) >> (8 * i));
  return bytes;
}

TEST(HandoffDepth, ReadsDonorFilesRowsBottomUp) {
  // A 101-pixel-wide donor whose host rows were padded to 104 bytes.
  DepthPlane donor;
  donor.width = 101;
  donor.height = 50;
  donor.rowBytes = 104;
  for (int row = 0; row < 50; ++row)
    for (int x = 0; x < 104; ++x) donor.bottomUp.push_back(static_cast<uint8_t>(row * 3 + x));
  const std::vector<uint8_t> bytes = SerializeHandoffDepth(donor);
  ASSERT_EQ(bytes.size(), 16u + 104 * 50);
  EXPECT_EQ(bytes[0] | bytes[1] << 8, 5200);

  DepthPlane read;
  std::string error;
  ASSERT_TRUE(ParseHandoffDepth(bytes, read, error)) << error;
  EXPECT_EQ(read.width, 101);
  EXPECT_EQ(read.height, 50);
  EXPECT_EQ(read.rowBytes, 104);
  // The first stored row is the bottom image row.
  EXPECT_EQ(read.at(0, 49), 0);
  EXPECT_EQ(read.at(5, 49), 5);
  EXPECT_EQ(read.at(5, 0), static_cast<uint8_t>(49 * 3 + 5));
}

TEST(HandoffDepth, HostileHeadersAreRefusedWithoutTouchingTheResult) {
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> truncated = Header(100 * 50, 100, 100, 50);
  truncated.resize(16 + 100 * 49);
  const std::vector<Case> cases = {
      {"empty", {}},
      {"short header", {1, 2, 3, 4, 5, 6, 7}},
      {"negative width", Header(100, 100, -1, 1)},
      {"negative height", Header(100, 100, 100, -1)},
      {"negative row length", Header(-100, -100, 100, 1)},
      {"zero height", Header(0, 100, 100, 0)},
      {"rows shorter than width", Header(99 * 2, 99, 100, 2)},
      {"size disagrees with rows", Header(10, 100, 100, 50)},
      {"size overflows", Header(INT_MAX, INT_MAX, INT_MAX, INT_MAX)},
      {"absurd height", Header(1 << 30, 16, 16, 1 << 26)},
      {"truncated rows", truncated},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DepthPlane out;
    out.width = 7;
    std::string error;
    EXPECT_FALSE(ParseHandoffDepth(c.bytes, out, error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(out.width, 7);
    EXPECT_TRUE(out.bottomUp.empty());
  }
}

TEST(HandoffDepth, FileReadReportsMissingFiles) {
  TempDir dir;
  DepthPlane out;
  std::string error;
  EXPECT_FALSE(ReadHandoffDepthFile(dir.file("alpha.dat"), out, error));
  EXPECT_NE(error.find("alpha.dat"), std::string::npos);

  DepthPlane plane;
  plane.width = plane.rowBytes = 4;
  plane.height = 2;
  plane.bottomUp = {1, 2, 3, 4, 5, 6, 7, 8};
  const std::vector<uint8_t> bytes = SerializeHandoffDepth(plane);
  std::ofstream(dir.file("alpha.dat"), std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  ASSERT_TRUE(ReadHandoffDepthFile(dir.file("alpha.dat"), out, error)) << error;
  EXPECT_EQ(out.bottomUp, plane.bottomUp);
}

}  // namespace
}  // namespace ulvo
