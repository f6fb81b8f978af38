#include "src/imageio/image_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/file_bytes.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_images.h"
#include "tests/support/test_tiff.h"

namespace ulvo {
namespace {

TEST(ImageFile, LosslessFormatsRoundTripEveryChannelCount) {
  TempDir dir;
  struct Case {
    const char* ext;
    int channels;
  };
  for (const Case c :
       {Case{".png", 1}, Case{".png", 2}, Case{".png", 3}, Case{".png", 4}, Case{".tif", 1},
        Case{".tif", 2}, Case{".tif", 3}, Case{".tif", 4}, Case{".tiff", 5}}) {
    SCOPED_TRACE(std::string(c.ext) + " " + std::to_string(c.channels));
    const Image written = MakeImage(37, 23, c.channels);
    const std::string path = dir.file("img" + std::to_string(c.channels) + c.ext);
    std::string error;
    ASSERT_TRUE(WriteImageFile(path, written, error)) << error;
    Image read;
    ASSERT_TRUE(ReadImageFile(path, read, error)) << error;
    EXPECT_EQ(read.width, 37);
    EXPECT_EQ(read.height, 23);
    EXPECT_EQ(read.channels, c.channels);
    EXPECT_EQ(read.pixels, written.pixels);
  }
}

TEST(ImageFile, JpegKeepsShapeAndApproximateValues) {
  TempDir dir;
  for (int channels : {1, 3}) {
    Image flat;
    flat.width = 16;
    flat.height = 8;
    flat.channels = channels;
    flat.pixels.assign(16 * 8 * static_cast<size_t>(channels), 0);
    for (size_t i = 0; i < flat.pixels.size(); i += static_cast<size_t>(channels)) {
      flat.pixels[i] = 200;
    }
    const std::string path = dir.file("flat" + std::to_string(channels) + ".jpg");
    std::string error;
    ASSERT_TRUE(WriteImageFile(path, flat, error)) << error;
    Image read;
    ASSERT_TRUE(ReadImageFile(path, read, error)) << error;
    ASSERT_EQ(read.channels, channels);
    ASSERT_EQ(read.pixels.size(), flat.pixels.size());
    for (size_t i = 0; i < read.pixels.size(); ++i) {
      EXPECT_NEAR(read.pixels[i], flat.pixels[i], 8) << i;
    }
  }
}

TEST(ImageFile, FormatIsRecognisedByContentNotName) {
  TempDir dir;
  const Image image = MakeImage(5, 4, 3);
  std::string error;
  ASSERT_TRUE(WriteImageFile(dir.file("a.png"), image, error)) << error;
  std::filesystem::rename(dir.file("a.png"), dir.file("a.jpg"));
  Image read;
  ASSERT_TRUE(ReadImageFile(dir.file("a.jpg"), read, error)) << error;
  EXPECT_EQ(read.pixels, image.pixels);
}

TEST(ImageFile, PaletteAndBilevelTiffAreExpanded) {
  TempDir dir;
  const std::string path = dir.file("pal.tif");
  TestTiff palette;
  palette.width = 4;
  palette.bits = 2;
  palette.photometric = PHOTOMETRIC_PALETTE;
  palette.red = {0, 0xffff, 0, 0x8000};
  palette.green = {0, 0, 0xffff, 0x8000};
  palette.blue = {0, 0, 0, 0xffff};
  palette.data = {0b00011011};  // indices 0, 1, 2, 3
  ASSERT_TRUE(WriteTestTiff(path, palette));
  Image read;
  std::string error;
  ASSERT_TRUE(ReadImageFile(path, read, error)) << error;
  ASSERT_EQ(read.channels, 3);
  EXPECT_EQ(read.pixels, (std::vector<uint8_t>{0, 0, 0, 255, 0, 0, 0, 255, 0, 128, 128, 255}));
}

TEST(ImageFile, HostileFilesFailWithMessageAndLeaveOutputAlone) {
  TempDir dir;
  const Image original = MakeImage(64, 48, 3);
  std::string error;
  ASSERT_TRUE(WriteImageFile(dir.file("ok.png"), original, error));
  ASSERT_TRUE(WriteImageFile(dir.file("ok.jpg"), original, error));
  ASSERT_TRUE(WriteImageFile(dir.file("ok.tif"), original, error));

  std::vector<std::string> bad;
  for (const char* name : {"ok.png", "ok.jpg", "ok.tif"}) {
    std::vector<uint8_t> bytes = ReadFileBytes(dir.file(name));
    bytes.resize(bytes.size() / 3);
    WriteFileBytes(dir.file(std::string("cut_") + name), bytes);
    bad.push_back(dir.file(std::string("cut_") + name));
  }
  WriteFileBytes(dir.file("garbage.bin"), std::vector<uint8_t>(100, 'x'));
  bad.push_back(dir.file("garbage.bin"));
  WriteFileBytes(dir.file("empty.png"), {});
  bad.push_back(dir.file("empty.png"));
  bad.push_back(dir.file("missing.png"));

  // A PNG whose header announces 100000 x 100000 pixels.
  std::vector<uint8_t> png = ReadFileBytes(dir.file("ok.png"));
  const unsigned char huge[8] = {0, 1, 0x86, 0xa0, 0, 1, 0x86, 0xa0};
  std::copy(huge, huge + 8, png.begin() + 16);
  WriteFileBytes(dir.file("huge.png"), png);
  bad.push_back(dir.file("huge.png"));

  for (const std::string& path : bad) {
    SCOPED_TRACE(path);
    Image out = MakeImage(2, 2, 1);
    error.clear();
    const bool ok = ReadImageFile(path, out, error);
    if (path.find("cut_ok.jpg") != std::string::npos && ok) {
      // libjpeg fills a truncated stream with grey and calls it a warning.
      EXPECT_EQ(out.width, 64);
      continue;
    }
    EXPECT_FALSE(ok);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(out.width, 2);
    EXPECT_EQ(out.pixels.size(), 4u);
  }
}

TEST(ImageFile, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  TempDir dir;
  const std::string path = dir.file("keep.png");
  std::string error;
  ASSERT_TRUE(WriteImageFile(path, MakeImage(8, 8, 3), error));
  const std::vector<uint8_t> before = ReadFileBytes(path);

  EXPECT_FALSE(WriteImageFile(path, MakeImage(8, 8, 5), error));  // PNG holds at most 4
  EXPECT_NE(error.find("TIFF"), std::string::npos) << error;
  EXPECT_FALSE(WriteImageFile(dir.file("keep.jpg"), MakeImage(8, 8, 4), error));
  EXPECT_FALSE(WriteImageFile(dir.file("keep.bmp"), MakeImage(8, 8, 3), error));
  Image inconsistent = MakeImage(8, 8, 3);
  inconsistent.pixels.resize(10);
  error = "an earlier message";
  EXPECT_FALSE(WriteImageFile(path, inconsistent, error));
  EXPECT_EQ(error, path + ": inconsistent image buffer");
  EXPECT_FALSE(WriteImageFile(dir.file("no/such/dir/x.png"), MakeImage(8, 8, 3), error));

  EXPECT_EQ(ReadFileBytes(path), before);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    names.push_back(entry.path().filename().string());
  }
  EXPECT_EQ(names, std::vector<std::string>{"keep.png"});

  // A successful write replaces the file in place.
  ASSERT_TRUE(WriteImageFile(path, MakeImage(3, 2, 1), error)) << error;
  Image read;
  ASSERT_TRUE(ReadImageFile(path, read, error));
  EXPECT_EQ(read.width, 3);
}

TEST(ImageFile, CorruptedFilesNeverCrashTheReaders) {
  // Deterministic byte damage to valid files of each format, including the
  // headers; every read must come back (with or without an image).
  TempDir dir;
  const Image image = MakeImage(32, 24, 4);
  std::string error;
  ByteDamage damage(12345);
  for (const char* name : {"seed.png", "seed.tif"}) {
    ASSERT_TRUE(WriteImageFile(dir.file(name), image, error)) << error;
  }
  for (const char* name : {"seed16.png", "seed16.tif"}) {
    ASSERT_TRUE(WriteImageFile(dir.file(name), MakeImage16(32, 24, 4), error)) << error;
  }
  Image rgb = MakeImage(32, 24, 3);
  ASSERT_TRUE(WriteImageFile(dir.file("seed.jpg"), rgb, error)) << error;
  for (const char* name : {"seed.png", "seed.tif", "seed16.png", "seed16.tif", "seed.jpg"}) {
    const std::vector<uint8_t> original = ReadFileBytes(dir.file(name));
    for (int round = 0; round < 150; ++round) {
      // Half of the damage goes into the first 64 bytes, where the headers are.
      WriteFileBytes(dir.file("damaged.bin"), damage.Damaged(original, 8, 64));
      Image out;
      if (ReadImageFile(dir.file("damaged.bin"), out, error)) {
        EXPECT_EQ(out.pixels.size(), out.sampleCount() * static_cast<size_t>(out.bits / 8));
      } else {
        EXPECT_FALSE(error.empty());
      }
    }
  }
}

}  // namespace
}  // namespace ulvo
