#include "src/imageio/pattern_loader.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

struct RecordedMessages : UserMessages {
  std::vector<std::string> texts;
  void ShowMessage(const std::string& text) override { texts.push_back(text); }
};

class PatternLoaderTest : public ::testing::Test {
 protected:
  // Loads `tiff` through both calls with the usual stride.
  bool Load(const TestTiff& tiff, PatternBitmap& bitmap) {
    char name[32];
    std::snprintf(name, sizeof name, "p%d.tif", counter_++);
    const std::string path = dir_.file(name);
    EXPECT_TRUE(WriteTestTiff(path, tiff));
    return LoadPatternBitmap(path, bitmap, messages_);
  }
  // Pixel (x, y) of the bitmap counted in file rows (y = 0 is the first file row).
  static std::vector<uint8_t> FilePixel(const PatternBitmap& b, int x, int y) {
    const uint8_t* p = b.row(b.height - 1 - y) + 3 * x;
    return {p[0], p[1], p[2]};
  }

  TempDir dir_;
  RecordedMessages messages_;
  int counter_ = 0;
};

TEST_F(PatternLoaderTest, GreyPatternFillsBottomUpRowsWithThreeEqualBytes) {
  TestTiff tiff;
  tiff.width = 100;
  tiff.height = 80;
  tiff.compression = COMPRESSION_LZW;
  for (uint32_t y = 0; y < 80; ++y)
    for (uint32_t x = 0; x < 100; ++x) tiff.data.push_back(static_cast<uint8_t>(x + 2 * y));
  const std::string path = dir_.file("grey.tif");
  ASSERT_TRUE(WriteTestTiff(path, tiff));

  PatternLoader loader(messages_);
  PatternDescription d;
  ASSERT_EQ(loader.ReadDescription(d, path), 1);
  EXPECT_EQ(d.imageWidth, 100u);
  EXPECT_EQ(d.imageLength, 80u);
  EXPECT_EQ(d.samplesPerPixel, 1);
  EXPECT_EQ(d.bitsPerSample, 8);
  EXPECT_EQ(d.scanlineSize, 100);
  d.destRowStride = PatternRowStride(d.imageWidth);
  EXPECT_EQ(d.destRowStride, 300);

  std::vector<uint8_t> dest(300 * 80 + 1028, 0xcd);
  EXPECT_EQ(loader.ReadPixels(d, nullptr), 1);
  ASSERT_EQ(loader.ReadPixels(d, dest.data()), 1);
  for (int row = 0; row < 80; ++row) {
    const int fileRow = 79 - row;
    for (int x = 0; x < 100; ++x) {
      const uint8_t* p = dest.data() + row * 300 + 3 * x;
      ASSERT_EQ(p[0], static_cast<uint8_t>(x + 2 * fileRow));
      ASSERT_EQ(p[1], p[0]);
      ASSERT_EQ(p[2], p[0]);
    }
  }
  EXPECT_EQ(dest[300 * 80], 0xcd);  // nothing beyond the last row
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(PatternLoaderTest, ColourPatternsBecomeBgrAndLoseAlpha) {
  for (uint16_t samples : {3, 4}) {
    for (uint16_t planar : {PLANARCONFIG_CONTIG, PLANARCONFIG_SEPARATE}) {
      SCOPED_TRACE(std::to_string(samples) + " samples, planar " + std::to_string(planar));
      TestTiff tiff;
      tiff.width = 5;
      tiff.height = 3;
      tiff.samples = samples;
      tiff.photometric = PHOTOMETRIC_RGB;
      tiff.planar = planar;
      // First row pure red, then (10, 20, 30), alpha 77 everywhere.
      const uint8_t colours[3][3] = {{255, 0, 0}, {10, 20, 30}, {10, 20, 30}};
      if (planar == PLANARCONFIG_CONTIG) {
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 5; ++x) {
            tiff.data.insert(tiff.data.end(), colours[y], colours[y] + 3);
            if (samples == 4) tiff.data.push_back(77);
          }
      } else {
        for (int s = 0; s < samples; ++s)
          for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) tiff.data.push_back(s < 3 ? colours[y][s] : 77);
      }
      PatternBitmap bitmap;
      ASSERT_TRUE(Load(tiff, bitmap));
      EXPECT_EQ(bitmap.rowStride, 16);
      for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(FilePixel(bitmap, x, 0), (std::vector<uint8_t>{0, 0, 255}));
        EXPECT_EQ(FilePixel(bitmap, x, 2), (std::vector<uint8_t>{30, 20, 10}));
      }
    }
  }
}

TEST_F(PatternLoaderTest, LowBitDepthsPalettesAndTwoSamplesAreExpanded) {
  // 1-bit black-is-zero and white-is-zero, 4-bit grey, 2-bit palette, grey + alpha.
  TestTiff bilevel;
  bilevel.width = 10;
  bilevel.bits = 1;
  bilevel.data = {0b10100000, 0b01000000};
  PatternBitmap b;
  ASSERT_TRUE(Load(bilevel, b));
  EXPECT_EQ(FilePixel(b, 0, 0)[0], 255);
  EXPECT_EQ(FilePixel(b, 1, 0)[0], 0);
  EXPECT_EQ(FilePixel(b, 2, 0)[0], 255);
  EXPECT_EQ(FilePixel(b, 9, 0)[0], 255);

  bilevel.photometric = PHOTOMETRIC_MINISWHITE;
  ASSERT_TRUE(Load(bilevel, b));
  EXPECT_EQ(FilePixel(b, 0, 0)[0], 0);
  EXPECT_EQ(FilePixel(b, 1, 0)[0], 255);

  TestTiff nibbles;
  nibbles.width = 3;
  nibbles.bits = 4;
  nibbles.data = {0x0f, 0x80};
  ASSERT_TRUE(Load(nibbles, b));
  EXPECT_EQ(FilePixel(b, 0, 0), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(FilePixel(b, 1, 0), (std::vector<uint8_t>{255, 255, 255}));
  EXPECT_EQ(FilePixel(b, 2, 0), (std::vector<uint8_t>{136, 136, 136}));

  TestTiff palette;
  palette.width = 2;
  palette.bits = 2;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.red = {0, 0xffff, 0, 0};
  palette.green = {0, 0, 0x4000, 0};
  palette.blue = {0, 0, 0, 0xffff};
  palette.data = {0b01100000};  // indices 1, 2
  ASSERT_TRUE(Load(palette, b));
  EXPECT_EQ(FilePixel(b, 0, 0), (std::vector<uint8_t>{0, 0, 255}));
  EXPECT_EQ(FilePixel(b, 1, 0), (std::vector<uint8_t>{0, 64, 0}));

  TestTiff greyAlpha;
  greyAlpha.width = 2;
  greyAlpha.samples = 2;
  greyAlpha.data = {40, 255, 90, 0};
  ASSERT_TRUE(Load(greyAlpha, b));
  EXPECT_EQ(FilePixel(b, 0, 0), (std::vector<uint8_t>{40, 40, 40}));
  EXPECT_EQ(FilePixel(b, 1, 0), (std::vector<uint8_t>{90, 90, 90}));
  EXPECT_TRUE(messages_.texts.empty());
}

TEST_F(PatternLoaderTest, SixteenBitsAreRefusedWithTheFormatMessage) {
  TestTiff deep;
  deep.width = 4;
  deep.bits = 16;
  const std::string path = dir_.file("deep.tif");
  ASSERT_TRUE(WriteTestTiff(path, deep));
  PatternLoader loader(messages_);
  PatternDescription d;
  d.imageWidth = 7;  // a previous pattern's description stays
  EXPECT_EQ(loader.ReadDescription(d, path), 0);
  EXPECT_EQ(d.imageWidth, 7u);
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_EQ(messages_.texts[0], "Unsupported format ( 16 bits per pixel )");
}

TEST_F(PatternLoaderTest, BrokenFilesKeepThePreviousPatternAndSaySo) {
  PatternBitmap previous;
  TestTiff good;
  good.width = 64;
  good.height = 64;
  good.data.assign(64 * 64, 200);
  ASSERT_TRUE(Load(good, previous));
  const std::vector<uint8_t> before = previous.pixels;

  // Truncated: header intact, most strips gone.
  const std::string whole = dir_.file("p0.tif");
  const std::vector<uint8_t> bytes = ReadFileBytes(whole);
  // The directory is at the end of a libtiff file; keep it, zero-length the data.
  const std::string cut = dir_.file("cut.tif");
  {
    std::vector<uint8_t> damaged = bytes;
    ASSERT_GT(damaged.size(), 8u + 64 * 60);
    for (size_t i = 8; i < 8 + 64 * 60; ++i) damaged[i] = 0;
    damaged.resize(8 + 64 * 30);
    WriteFileBytes(cut, damaged);
  }
  const std::string missing = dir_.file("missing.tif");
  const std::string text = dir_.file("text.tif");
  std::ofstream(text) << "this is not a TIFF file";

  for (const std::string& path : {cut, missing, text}) {
    SCOPED_TRACE(path);
    messages_.texts.clear();
    EXPECT_FALSE(LoadPatternBitmap(path, previous, messages_));
    EXPECT_EQ(previous.pixels, before);
    EXPECT_EQ(messages_.texts.size(), 1u);
  }

  // Strips that end before the rows they promise: the description is fine,
  // decoding fails, the destination stays untouched.
  TestTiff shortStrips = good;
  shortStrips.compression = COMPRESSION_LZW;
  const std::string lzw = dir_.file("lzw.tif");
  ASSERT_TRUE(WriteTestTiff(lzw, shortStrips));
  {
    std::vector<uint8_t> data = ReadFileBytes(lzw);
    for (size_t i = 8; i < 8 + 40 && i < data.size(); ++i) data[i] = 0xff;
    WriteFileBytes(lzw, data);
  }
  PatternLoader loader(messages_);
  PatternDescription d;
  ASSERT_EQ(loader.ReadDescription(d, lzw), 1);
  d.destRowStride = PatternRowStride(d.imageWidth);
  std::vector<uint8_t> dest(static_cast<size_t>(d.destRowStride) * d.imageLength, 0x11);
  messages_.texts.clear();
  EXPECT_EQ(loader.ReadPixels(d, dest.data()), 0);
  EXPECT_EQ(dest, std::vector<uint8_t>(dest.size(), 0x11));
  EXPECT_FALSE(messages_.texts.empty());
}

TEST_F(PatternLoaderTest, HeadersThatWouldOverrunTheDestinationAreRefused) {
  // A header announcing a huge image is refused before any allocation.
  TestTiff huge;
  huge.width = 200000;
  huge.height = 3;
  const std::string path = dir_.file("huge.tif");
  ASSERT_TRUE(WriteTestTiff(path, huge));
  PatternLoader loader(messages_);
  PatternDescription d;
  EXPECT_EQ(loader.ReadDescription(d, path), 0);
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_NE(messages_.texts[0].find("too large"), std::string::npos);

  // A small file whose pixels claim hundreds of samples each would need
  // gigabytes once decoded; its one strip holds a single byte.
  const std::string samples = dir_.file("samples.tif");
  TIFF* tif = TIFFOpen(samples.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4096u);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 4096u);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 200);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4096u);
  uint8_t byte = 0;
  ASSERT_EQ(TIFFWriteRawStrip(tif, 0, &byte, 1), 1);
  TIFFClose(tif);
  messages_.texts.clear();
  EXPECT_EQ(loader.ReadDescription(d, samples), 0);
  ASSERT_EQ(messages_.texts.size(), 1u);
  EXPECT_NE(messages_.texts[0].find("too large"), std::string::npos);

  // The file grew after the description was read: the destination, sized for
  // the old file, is not written.
  TestTiff small;
  small.width = 4;
  small.height = 4;
  const std::string changing = dir_.file("changing.tif");
  ASSERT_TRUE(WriteTestTiff(changing, small));
  ASSERT_EQ(loader.ReadDescription(d, changing), 1);
  d.destRowStride = PatternRowStride(4);
  std::vector<uint8_t> dest(static_cast<size_t>(d.destRowStride) * 4, 0x22);
  TestTiff bigger;
  bigger.width = 40;
  bigger.height = 40;
  ASSERT_TRUE(WriteTestTiff(changing, bigger));
  EXPECT_EQ(loader.ReadPixels(d, dest.data()), 0);
  EXPECT_EQ(dest, std::vector<uint8_t>(dest.size(), 0x22));

  // The file turned 16-bit: as many pixels, twice the bytes each.
  ASSERT_TRUE(WriteTestTiff(changing, small));
  ASSERT_EQ(loader.ReadDescription(d, changing), 1);
  d.destRowStride = PatternRowStride(4);
  TestTiff deeper = small;
  deeper.bits = 16;
  deeper.data = NativeSamples(std::vector<uint16_t>(16, 0xffff));
  ASSERT_TRUE(WriteTestTiff(changing, deeper));
  EXPECT_EQ(loader.ReadPixels(d, dest.data()), 0);
  EXPECT_EQ(dest, std::vector<uint8_t>(dest.size(), 0x22));

  // A stride too small for a row is refused as well.
  ASSERT_TRUE(WriteTestTiff(changing, small));
  d.destRowStride = 11;
  EXPECT_EQ(loader.ReadPixels(d, dest.data()), 0);
  EXPECT_EQ(dest, std::vector<uint8_t>(dest.size(), 0x22));
}

TEST_F(PatternLoaderTest, CorruptedPatternsNeverCrashTheLoader) {
  TestTiff seed;
  seed.width = 24;
  seed.height = 20;
  seed.samples = 3;
  seed.photometric = PHOTOMETRIC_RGB;
  seed.compression = COMPRESSION_LZW;
  for (int i = 0; i < 24 * 20 * 3; ++i) seed.data.push_back(static_cast<uint8_t>(i * 5));
  const std::string path = dir_.file("seed.tif");
  ASSERT_TRUE(WriteTestTiff(path, seed));
  const std::vector<uint8_t> original = ReadFileBytes(path);
  ByteDamage damage(777);
  PatternBitmap kept;
  kept.width = 1;
  for (int round = 0; round < 200; ++round) {
    const std::string file = dir_.file("damaged.tif");
    WriteFileBytes(file, damage.Damaged(original, 6));
    messages_.texts.clear();
    PatternBitmap bitmap = kept;
    if (LoadPatternBitmap(file, bitmap, messages_)) {
      EXPECT_EQ(bitmap.pixels.size(), static_cast<size_t>(bitmap.rowStride) * bitmap.height);
    } else {
      EXPECT_EQ(bitmap.width, 1);
      EXPECT_FALSE(messages_.texts.empty());
    }
  }
}

}  // namespace
}  // namespace ulvo
