#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/test_images.h"
#include "tools/ulvohost/host_document.h"
#include "tools/ulvohost/host_region.h"

namespace ulvo::host {
namespace {

uint8_t At(const HostRegion& r, int x, int y, int plane) {
  return r.bytes[static_cast<size_t>(y) * r.rowBytes + static_cast<size_t>(x) * r.planes + plane];
}

TEST(HostRegion, CopiesTheRequestWithHostRowBytesAndPlaneRange) {
  const Image image = NumberedImage(6, 5, 4);
  RegionRequest request;
  request.rect = pi::Rect{1, 1, 4, 6};  // 5 x 3 pixels
  request.loPlane = 1;
  request.hiPlane = 3;
  std::string error;
  HostRegion region;
  ASSERT_TRUE(ExtractRegion(image, request, region, error)) << error;
  EXPECT_EQ(region.width, 5);
  EXPECT_EQ(region.height, 3);
  EXPECT_EQ(region.planes, 3);
  EXPECT_EQ(region.rowBytes, 16);  // 15 bytes rounded up to a multiple of 4
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 5; ++x) {
      for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(At(region, x, y, p), (p + 1) * 64 + (y + 1) * 8 + (x + 1));
      }
    }
  }

  request.rowAlign = 7;
  ASSERT_TRUE(ExtractRegion(image, request, region, error));
  EXPECT_EQ(region.rowBytes, 21);
}

TEST(HostRegion, PadsOutsideTheImageAsRequested) {
  const Image image = NumberedImage(4, 3, 1);
  RegionRequest request;
  request.rect = pi::Rect{-1, -2, 4, 6};  // two columns left and right, a row above and below
  request.padding = 0xAB;
  std::string error;
  HostRegion region;
  ASSERT_TRUE(ExtractRegion(image, request, region, error)) << error;
  ASSERT_EQ(region.width, 8);
  ASSERT_EQ(region.height, 5);
  EXPECT_EQ(At(region, 0, 0, 0), 0xAB);
  EXPECT_EQ(At(region, 1, 2, 0), 0xAB);
  EXPECT_EQ(At(region, 2, 1, 0), image.row(0)[0]);
  EXPECT_EQ(At(region, 5, 3, 0), image.row(2)[3]);
  EXPECT_EQ(At(region, 6, 3, 0), 0xAB);
  EXPECT_EQ(At(region, 3, 4, 0), 0xAB);

  request.padding = kPaddingReplicate;
  ASSERT_TRUE(ExtractRegion(image, request, region, error)) << error;
  EXPECT_EQ(At(region, 0, 0, 0), image.row(0)[0]);  // corner: nearest pixel
  EXPECT_EQ(At(region, 7, 4, 0), image.row(2)[3]);
  EXPECT_EQ(At(region, 4, 0, 0), image.row(0)[2]);
  EXPECT_EQ(At(region, 0, 2, 0), image.row(1)[0]);

  request.padding = kPaddingError;
  EXPECT_FALSE(ExtractRegion(image, request, region, error));
  request.rect = pi::Rect{0, 0, 3, 4};
  EXPECT_TRUE(ExtractRegion(image, request, region, error)) << "inside needs no padding";
}

TEST(HostRegion, RefusesRequestsItCannotServe) {
  const Image image = NumberedImage(4, 4, 3);
  std::string error;
  HostRegion region;
  RegionRequest request;
  request.rect = pi::Rect{0, 0, 4, 4};
  for (auto [lo, hi] : {std::pair{0, 3}, std::pair{-1, 1}, std::pair{2, 1}}) {
    request.loPlane = static_cast<int16_t>(lo);
    request.hiPlane = static_cast<int16_t>(hi);
    EXPECT_FALSE(ExtractRegion(image, request, region, error)) << lo << ".." << hi;
  }
  request.loPlane = request.hiPlane = 0;
  request.padding = 256;
  EXPECT_FALSE(ExtractRegion(image, request, region, error));
  request.padding = 0;
  request.rect = pi::Rect{-32768, -32768, 32767, 32767};
  EXPECT_FALSE(ExtractRegion(image, request, region, error)) << "a 4 GB request";
  // Empty requests give no buffer and are no error.
  request.rect = pi::Rect{3, 3, 3, 9};
  ASSERT_TRUE(ExtractRegion(image, request, region, error));
  EXPECT_TRUE(region.empty());
  EXPECT_EQ(region.data(), nullptr);
}

TEST(HostRegion, SubsamplesAtTheInputRate) {
  const Image image = NumberedImage(5, 5, 1);
  RegionRequest request;
  request.rect = pi::Rect{0, 0, 5, 5};
  request.rate = 2 * pi::kFixedOne;
  std::string error;
  HostRegion region;
  ASSERT_TRUE(ExtractRegion(image, request, region, error));
  EXPECT_EQ(region.width, 3);
  EXPECT_EQ(region.height, 3);
  EXPECT_EQ(At(region, 2, 1, 0), image.row(2)[4]);
}

TEST(HostRegion, StoresOnlyPixelsInsideTheImageAndOnlyTheRequestedPlanes) {
  Image image = NumberedImage(4, 3, 3);
  const Image before = image;
  RegionRequest request;
  request.rect = pi::Rect{-1, 2, 2, 6};  // overlaps the top-right corner
  request.loPlane = 1;
  request.hiPlane = 2;
  std::string error;
  HostRegion region;
  ASSERT_TRUE(ExtractRegion(image, request, region, error));
  std::fill(region.bytes.begin(), region.bytes.end(), 0xEE);
  StoreRegion(region, request, image);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 4; ++x) {
      for (int c = 0; c < 3; ++c) {
        const bool written = y < 2 && x >= 2 && c >= 1;
        EXPECT_EQ(image.row(y)[x * 3 + c], written ? 0xEE : before.row(y)[x * 3 + c])
            << x << "," << y << " plane " << c;
      }
    }
  }
}

uint16_t SampleAt(const HostRegion& r, int x, int y, int plane) {
  uint16_t value = 0;
  std::memcpy(&value,
              r.bytes.data() + static_cast<size_t>(y) * r.rowBytes +
                  (static_cast<size_t>(x) * r.planes + plane) * 2,
              2);
  return value;
}

TEST(HostRegion, SixteenBitDocumentsGiveTwoBytesASampleAndTakeThemBack) {
  Image image = MakeImage16(5, 4, 3);
  RegionRequest request;
  request.rect = pi::Rect{1, -1, 3, 4};  // a column of padding on the left
  request.loPlane = 1;
  request.hiPlane = 2;
  request.padding = 0;
  std::string error;
  HostRegion region;
  ASSERT_TRUE(ExtractRegion(image, request, region, error)) << error;
  EXPECT_EQ(region.sampleBytes, 2);
  EXPECT_EQ(region.rowBytes, 20);  // 5 pixels x 2 planes x 2 bytes
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(SampleAt(region, 0, y, 0), 0);
    for (int x = 1; x < 5; ++x) {
      for (int p = 0; p < 2; ++p) {
        const size_t sample = (static_cast<size_t>(y + 1) * 5 + (x - 1)) * 3 + 1 + p;
        EXPECT_EQ(SampleAt(region, x, y, p), image.sample(sample)) << x << "," << y;
      }
    }
  }
  const Image before = image;
  for (size_t i = 0; i + 1 < region.bytes.size(); i += 2) {
    const uint16_t value = 40000;
    std::memcpy(region.bytes.data() + i, &value, 2);
  }
  StoreRegion(region, request, image);
  for (size_t i = 0; i < image.sampleCount(); ++i) {
    const size_t pixel = i / 3;
    const int x = static_cast<int>(pixel % 5), y = static_cast<int>(pixel / 5);
    const bool written = y >= 1 && y < 3 && x < 4 && i % 3 != 0;
    EXPECT_EQ(image.sample(i), written ? 40000 : before.sample(i)) << i;
  }
}

TEST(HostDocument, SixteenBitsHoldTheInterfacesRangeAndComeBackToTheFiles) {
  EXPECT_EQ(HostSixteenOfFile(65535, 65535), 32768);
  EXPECT_EQ(HostSixteenOfFile(255, 255), 32768);
  EXPECT_EQ(HostSixteenOfFile(0, 65535), 0);
  EXPECT_EQ(FileSixteenOfHost(32768), 65535);
  EXPECT_EQ(FileSixteenOfHost(50000), 65535);  // beyond white counts as white
  // Every host sample survives the way to a file and back.
  for (uint32_t host = 0; host <= 32768; ++host) {
    ASSERT_EQ(HostSixteenOfFile(FileSixteenOfHost(static_cast<uint16_t>(host)), 65535), host);
  }
  Image file;
  file.width = 2;
  file.height = 1;
  file.channels = 1;
  file.pixels = {0, 255};
  const Image document = DocumentOfFile(file, 16);
  ASSERT_EQ(document.bits, 16);
  EXPECT_EQ(document.sample(0), 0);
  EXPECT_EQ(document.sample(1), 32768);
  const Image back = FileOfDocument(document);
  EXPECT_EQ(back.bits, 16);
  EXPECT_EQ(back.sample(1), 65535);
  EXPECT_EQ(DocumentOfFile(back, 8).pixels, file.pixels);  // an 8-bit document of it
}

TEST(HostRegion, MaskBoundsCoverEveryNonZeroPixel) {
  Image mask;
  mask.width = 10;
  mask.height = 8;
  mask.channels = 1;
  mask.pixels.assign(80, 0);
  pi::VRect bounds{};
  EXPECT_FALSE(MaskBounds(mask, bounds));
  mask.row(2)[7] = 1;
  mask.row(5)[3] = 200;
  ASSERT_TRUE(MaskBounds(mask, bounds));
  EXPECT_EQ(bounds.top, 2);
  EXPECT_EQ(bounds.left, 3);
  EXPECT_EQ(bounds.bottom, 6);
  EXPECT_EQ(bounds.right, 8);
}

}  // namespace
}  // namespace ulvo::host
