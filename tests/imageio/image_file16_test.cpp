// 16-bit PNG and TIFF files: read and written at 16 bits in the file's own
// byte order, JPEG written from the rounded samples, and 16-bit layouts the
// readers do not take refused by name.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_images.h"
#include "tests/support/test_png.h"
#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

std::vector<uint16_t> Samples(const Image& image) {
  std::vector<uint16_t> samples(image.sampleCount());
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = image.sample(i);
  return samples;
}

Image Read(const std::string& path) {
  Image image;
  std::string error;
  EXPECT_TRUE(ReadImageFile(path, image, error)) << error;
  return image;
}

TEST(ImageFile16, PngAndTiffKeepSixteenBitsForEveryChannelCount) {
  TempDir dir;
  struct Case {
    const char* ext;
    int channels;
  };
  for (const Case c :
       {Case{".png", 1}, Case{".png", 2}, Case{".png", 3}, Case{".png", 4}, Case{".tif", 1},
        Case{".tif", 2}, Case{".tif", 3}, Case{".tif", 4}, Case{".tiff", 5}}) {
    SCOPED_TRACE(std::string(c.ext) + " " + std::to_string(c.channels));
    const Image written = MakeImage16(37, 23, c.channels);
    const std::string path = dir.file("img" + std::to_string(c.channels) + c.ext);
    std::string error;
    ASSERT_TRUE(WriteImageFile(path, written, error)) << error;
    const Image read = Read(path);
    EXPECT_EQ(read.bits, 16);
    EXPECT_EQ(read.width, 37);
    EXPECT_EQ(read.height, 23);
    EXPECT_EQ(read.channels, c.channels);
    EXPECT_EQ(read.pixels, written.pixels);
  }
  // 8-bit images stay 8-bit both ways.
  for (const char* name : {"eight.png", "eight.tif"}) {
    std::string error;
    ASSERT_TRUE(WriteImageFile(dir.file(name), MakeImage(5, 4, 3), error)) << error;
    EXPECT_EQ(Read(dir.file(name)).bits, 8) << name;
  }
}

// The round trip above would pass with both byte orders wrong; these files
// are written and read by libpng alone.
TEST(ImageFile16, PngSamplesAreStoredMostSignificantByteFirst) {
  TempDir dir;
  Image image;
  image.width = 2;
  image.height = 1;
  image.channels = 3;
  image.bits = 16;
  image.pixels.resize(12);
  const std::vector<uint16_t> samples = {0x0102, 0x0304, 0x0506, 0xfffe, 0x8001, 0x00ff};
  for (size_t i = 0; i < samples.size(); ++i) image.setSample(i, samples[i]);
  std::string error;
  ASSERT_TRUE(WriteImageFile(dir.file("ours.png"), image, error)) << error;
  TestPng stored;
  ASSERT_TRUE(ReadTestPng(dir.file("ours.png"), stored));
  EXPECT_EQ(stored.bitDepth, 16);
  EXPECT_EQ(stored.colourType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(stored.data, BigEndianSamples(samples));

  // Grey and interlaced RGBA files from elsewhere.
  TestPng grey;
  grey.width = 3;
  grey.bitDepth = 16;
  grey.data = BigEndianSamples({0x1234, 0xabcd, 0x00ff});
  ASSERT_TRUE(WriteTestPng(dir.file("grey.png"), grey));
  Image read = Read(dir.file("grey.png"));
  EXPECT_EQ(read.bits, 16);
  EXPECT_EQ(read.channels, 1);
  EXPECT_EQ(Samples(read), (std::vector<uint16_t>{0x1234, 0xabcd, 0x00ff}));

  TestPng interlaced;
  interlaced.width = 5;
  interlaced.height = 5;
  interlaced.bitDepth = 16;
  interlaced.colourType = PNG_COLOR_TYPE_RGB_ALPHA;
  interlaced.interlaced = true;
  std::vector<uint16_t> rgba(5 * 5 * 4);
  for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint16_t>(i * 2521 + 7);
  interlaced.data = BigEndianSamples(rgba);
  ASSERT_TRUE(WriteTestPng(dir.file("interlaced.png"), interlaced));
  read = Read(dir.file("interlaced.png"));
  EXPECT_EQ(read.channels, 4);
  EXPECT_EQ(Samples(read), rgba);
}

TEST(ImageFile16, PngTransparencyAndSignificantBitsKeepSixteenBits) {
  TempDir dir;
  // A transparent grey value becomes a 16-bit alpha channel.
  TestPng keyed;
  keyed.width = 3;
  keyed.bitDepth = 16;
  keyed.data = BigEndianSamples({0x1234, 0x1235, 0});
  keyed.hasTransparent = true;
  keyed.transparent.gray = 0x1234;
  ASSERT_TRUE(WriteTestPng(dir.file("keyed.png"), keyed));
  Image read = Read(dir.file("keyed.png"));
  EXPECT_EQ(read.bits, 16);
  ASSERT_EQ(read.channels, 2);
  EXPECT_EQ(Samples(read), (std::vector<uint16_t>{0x1234, 0, 0x1235, 65535, 0, 65535}));

  // 12 significant bits, stored scaled to the full 16-bit range as writers
  // do: the samples are taken as stored, not shifted down.
  TestPng twelve;
  twelve.width = 2;
  twelve.bitDepth = 16;
  twelve.colourType = PNG_COLOR_TYPE_RGB;
  twelve.significantBits = 12;
  const std::vector<uint16_t> scaled = {0xfff0, 0x0010, 0x8008, 0x1231, 0xabca, 0};
  twelve.data = BigEndianSamples(scaled);
  ASSERT_TRUE(WriteTestPng(dir.file("twelve.png"), twelve));
  read = Read(dir.file("twelve.png"));
  EXPECT_EQ(read.bits, 16);
  EXPECT_EQ(Samples(read), scaled);

  // Files of fewer bits still give 8-bit images.
  TestPng palette;
  palette.width = 2;
  palette.bitDepth = 4;
  palette.colourType = PNG_COLOR_TYPE_PALETTE;
  palette.palette = {{10, 20, 30}, {200, 100, 50}};
  palette.data = {0x01};
  ASSERT_TRUE(WriteTestPng(dir.file("palette.png"), palette));
  read = Read(dir.file("palette.png"));
  EXPECT_EQ(read.bits, 8);
  EXPECT_EQ(read.pixels, (std::vector<uint8_t>{10, 20, 30, 200, 100, 50}));
}

TEST(ImageFile16, TiffSamplesReadTheSameFromEitherByteOrderAndPlanarLayout) {
  TempDir dir;
  const std::vector<uint16_t> rgb = {0x0102, 0xfedc, 0x8000, 0x00ff, 0xff00, 0x1234,
                                     0,      65535,  0x4321, 0xa5a5, 0x5a5a, 0x0001};
  for (const bool bigEndian : {false, true}) {
    for (const uint16_t planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
      SCOPED_TRACE(std::string(bigEndian ? "MM" : "II") +
                   (planar == PLANARCONFIG_SEPARATE ? " separate" : " contiguous"));
      TestTiff tiff;
      tiff.width = 2;
      tiff.height = 2;
      tiff.samples = 3;
      tiff.bits = 16;
      tiff.photometric = PHOTOMETRIC_RGB;
      tiff.planar = planar;
      tiff.bigEndian = bigEndian;
      tiff.compression = COMPRESSION_ADOBE_DEFLATE;
      std::vector<uint16_t> stored = rgb;
      if (planar == PLANARCONFIG_SEPARATE) {
        for (size_t i = 0; i < rgb.size(); ++i) stored[(i % 3) * 4 + i / 3] = rgb[i];
      }
      tiff.data = NativeSamples(stored);
      ASSERT_TRUE(WriteTestTiff(dir.file("rgb.tif"), tiff));
      if (bigEndian) {
        const std::vector<uint8_t> header = ReadFileBytes(dir.file("rgb.tif"));
        ASSERT_GE(header.size(), 2u);
        EXPECT_EQ(header[0], 'M');  // most significant byte first
        EXPECT_EQ(header[1], 'M');
      }
      const Image read = Read(dir.file("rgb.tif"));
      EXPECT_EQ(read.bits, 16);
      EXPECT_EQ(read.channels, 3);
      EXPECT_EQ(Samples(read), rgb);
    }
  }

  TestTiff whiteIsZero;
  whiteIsZero.width = 3;
  whiteIsZero.bits = 16;
  whiteIsZero.photometric = PHOTOMETRIC_MINISWHITE;
  whiteIsZero.bigEndian = true;
  whiteIsZero.data = NativeSamples({0, 1, 65535});
  ASSERT_TRUE(WriteTestTiff(dir.file("white.tif"), whiteIsZero));
  EXPECT_EQ(Samples(Read(dir.file("white.tif"))), (std::vector<uint16_t>{65535, 65534, 0}));

  // The writer's file as libtiff sees it: 16-bit unsigned samples, the
  // extra channel unspecified, the values as the image held them.
  const Image written = MakeImage16(6, 3, 4);
  std::string error;
  ASSERT_TRUE(WriteImageFile(dir.file("ours.tif"), written, error)) << error;
  TIFF* tif = TIFFOpen(dir.file("ours.tif").c_str(), "r");
  ASSERT_NE(tif, nullptr);
  uint16_t bits = 0, samples = 0, format = 0, extraCount = 0;
  uint16_t* extraKinds = nullptr;
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &format);
  TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
  EXPECT_EQ(bits, 16);
  EXPECT_EQ(samples, 4);
  EXPECT_EQ(format, SAMPLEFORMAT_UINT);
  ASSERT_EQ(extraCount, 1);
  EXPECT_EQ(extraKinds[0], EXTRASAMPLE_UNSPECIFIED);
  // Deflate strips are read from their start: rows 0 and 1 come first.
  std::vector<uint16_t> row(6 * 4);
  for (uint32_t y = 0; y <= 2; ++y) ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1) << y;
  TIFFClose(tif);
  for (size_t i = 0; i < row.size(); ++i) EXPECT_EQ(row[i], written.sample(2 * 6 * 4 + i)) << i;
}

TEST(ImageFile16, LayoutsThatAreNotUnsignedSixteenBitSamplesAreRefusedByName) {
  TempDir dir;
  struct Case {
    const char* name;
    TestTiff tiff;
    const char* expected;  // a piece of the message
  };
  std::vector<Case> cases;
  TestTiff base;
  base.width = 4;
  base.height = 2;
  base.bits = 16;
  TestTiff signedGrey = base;
  signedGrey.sampleFormat = SAMPLEFORMAT_INT;
  cases.push_back({"signed.tif", signedGrey, "signed 16-bit samples are not supported"});
  TestTiff halfFloat = base;
  halfFloat.sampleFormat = SAMPLEFORMAT_IEEEFP;
  halfFloat.samples = 3;
  halfFloat.photometric = PHOTOMETRIC_RGB;
  cases.push_back({"half.tif", halfFloat, "floating-point 16-bit samples are not supported"});
  TestTiff singleFloat = halfFloat;
  singleFloat.bits = 32;
  cases.push_back({"float.tif", singleFloat, "floating-point 32-bit samples"});
  TestTiff twelve = base;
  twelve.bits = 12;
  twelve.samples = 3;
  twelve.photometric = PHOTOMETRIC_RGB;
  cases.push_back({"twelve.tif", twelve, "unsupported sample size (12 bits"});
  TestTiff wide = base;
  wide.bits = 32;
  cases.push_back({"wide.tif", wide, "unsupported sample size (32 bits"});
  TestTiff palette = base;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.red.assign(65536, 0);
  palette.green.assign(65536, 0x8000);
  palette.blue.assign(65536, 0xffff);
  cases.push_back({"palette.tif", palette, "16-bit palette images are not supported"});

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.file(c.name);
    ASSERT_TRUE(WriteTestTiff(path, c.tiff));
    Image out = MakeImage(2, 2, 1);
    std::string error;
    EXPECT_FALSE(ReadImageFile(path, out, error));
    EXPECT_EQ(error.rfind(path + ": unsupported TIFF file: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.bits, 8);
  }

  // PNG has no 16-bit palettes nor 12-bit samples: libpng's reason is in the
  // message.
  TestPng grey;
  grey.width = 4;
  grey.bitDepth = 16;
  ASSERT_TRUE(WriteTestPng(dir.file("grey.png"), grey));
  const std::vector<uint8_t> bytes = ReadFileBytes(dir.file("grey.png"));
  struct Header {
    const char* name;
    int bitDepth;
    int colourType;
    const char* expected;
  };
  for (const Header& h :
       {Header{"palette16.png", 16, PNG_COLOR_TYPE_PALETTE, "color type/bit depth combination"},
        Header{"twelve.png", 12, PNG_COLOR_TYPE_GRAY, "Invalid bit depth"}}) {
    SCOPED_TRACE(h.name);
    std::vector<uint8_t> changed = bytes;
    ASSERT_TRUE(RewritePngHeader(changed, 4, 1, h.bitDepth, h.colourType));
    WriteFileBytes(dir.file(h.name), changed);
    Image out;
    std::string error;
    EXPECT_FALSE(ReadImageFile(dir.file(h.name), out, error));
    EXPECT_NE(error.find("unsupported PNG file"), std::string::npos) << error;
    EXPECT_NE(error.find(h.expected), std::string::npos) << error;
  }
}

TEST(ImageFile16, SizeLimitCountsTwoBytesASample) {
  // 23171 × 23171 grey samples fit the limit at 8 bits but not at 16.
  TempDir dir;
  TestPng grey;
  grey.bitDepth = 16;
  ASSERT_TRUE(WriteTestPng(dir.file("small.png"), grey));
  std::vector<uint8_t> bytes = ReadFileBytes(dir.file("small.png"));
  ASSERT_TRUE(RewritePngHeader(bytes, 23171, 23171, 16, PNG_COLOR_TYPE_GRAY));
  WriteFileBytes(dir.file("huge.png"), bytes);
  Image out;
  std::string error;
  EXPECT_FALSE(ReadImageFile(dir.file("huge.png"), out, error));
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
  EXPECT_NE(error.find("16 bits"), std::string::npos) << error;
}

TEST(ImageFile16, RoundingToEightBitsTakesTheNearestValue) {
  for (uint32_t v = 0; v <= 65535; ++v) {
    const int nearest = RoundTo8Bits(static_cast<uint16_t>(v));
    ASSERT_LE(std::abs(nearest * 257 - static_cast<int>(v)), 128) << v;
  }
  // Where rounding and the high byte differ.
  EXPECT_EQ(RoundTo8Bits(129), 1);
  EXPECT_EQ(RoundTo8Bits(100 * 257 + 129), 101);
  EXPECT_EQ(RoundTo8Bits(100 * 257 - 128), 100);

  const Image wide = Widened(MakeImage(7, 5, 4));
  const Image back = ReducedTo8Bits(wide);
  EXPECT_EQ(back.bits, 8);
  EXPECT_EQ(back.channels, 4);
  EXPECT_EQ(back.pixels, MakeImage(7, 5, 4).pixels);
}

TEST(ImageFile16, JpegOfASixteenBitImageIsTheJpegOfItsRoundedSamples) {
  TempDir dir;
  for (const int channels : {1, 3}) {
    SCOPED_TRACE(channels);
    const Image wide = MakeImage16(24, 16, channels);
    std::string error;
    ASSERT_TRUE(WriteImageFile(dir.file("wide.jpg"), wide, error)) << error;
    ASSERT_TRUE(WriteImageFile(dir.file("rounded.jpg"), ReducedTo8Bits(wide), error)) << error;
    EXPECT_EQ(ReadFileBytes(dir.file("wide.jpg")), ReadFileBytes(dir.file("rounded.jpg")));
    EXPECT_EQ(Read(dir.file("wide.jpg")).bits, 8);
  }
}

TEST(ImageFile16, WriterRefusesOtherSampleSizesAndBuffersOfTheWrongSize) {
  TempDir dir;
  std::string error;
  Image twelve = MakeImage16(4, 4, 3);
  twelve.bits = 12;
  EXPECT_FALSE(WriteImageFile(dir.file("twelve.png"), twelve, error));
  EXPECT_NE(error.find("12-bit"), std::string::npos) << error;
  Image half = MakeImage16(4, 4, 3);
  half.pixels.resize(half.sampleCount());  // sized for 8 bits
  for (const char* name : {"half.png", "half.tif", "half.jpg"}) {
    EXPECT_FALSE(WriteImageFile(dir.file(name), half, error)) << name;
    EXPECT_NE(error.find("inconsistent image buffer"), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace ulvo
