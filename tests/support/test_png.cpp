#include "tests/support/test_png.h"

#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

namespace ulvo {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

void PutBigEndian32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v >> 24);
  p[1] = static_cast<uint8_t>(v >> 16);
  p[2] = static_cast<uint8_t>(v >> 8);
  p[3] = static_cast<uint8_t>(v);
}

// libpng's default error handler jumps back to the setjmp in these two; what
// they fill lives in the caller's frame.
bool WriteWithLibpng(std::FILE* file, const TestPng& t, png_bytepp rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_IHDR(png, info, t.width, t.height, t.bitDepth, t.colourType,
               t.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!t.palette.empty()) {
    png_set_PLTE(png, info, t.palette.data(), static_cast<int>(t.palette.size()));
  }
  if (!t.paletteAlpha.empty()) {
    png_set_tRNS(png, info, t.paletteAlpha.data(), static_cast<int>(t.paletteAlpha.size()),
                 nullptr);
  }
  png_color_16 transparent = t.transparent;
  if (t.hasTransparent) png_set_tRNS(png, info, nullptr, 0, &transparent);
  if (t.significantBits > 0) {
    png_color_8 significant{};
    const auto bits = static_cast<png_byte>(t.significantBits);
    significant.red = significant.green = significant.blue = bits;
    significant.gray = significant.alpha = bits;
    png_set_sBIT(png, info, &significant);
  }
  png_write_info(png, info);
  png_write_image(png, rows);
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool ReadWithLibpng(std::FILE* file, TestPng& t, std::vector<png_bytep>& rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_init_io(png, file);
  png_read_info(png, info);
  t.width = png_get_image_width(png, info);
  t.height = png_get_image_height(png, info);
  t.bitDepth = png_get_bit_depth(png, info);
  t.colourType = png_get_color_type(png, info);
  t.interlaced = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
  if (t.interlaced) png_set_interlace_handling(png);
  png_read_update_info(png, info);
  t.data.assign(t.rowBytes() * t.height, 0);
  rows.resize(t.height);
  for (uint32_t y = 0; y < t.height; ++y) rows[y] = t.data.data() + t.rowBytes() * y;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

int TestPng::channels() const {
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    default:
      return 1;
  }
}

size_t TestPng::rowBytes() const {
  return (static_cast<size_t>(width) * channels() * bitDepth + 7) / 8;
}

std::vector<uint8_t> BigEndianSamples(const std::vector<uint16_t>& samples) {
  std::vector<uint8_t> bytes;
  bytes.reserve(samples.size() * 2);
  for (const uint16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s >> 8));
    bytes.push_back(static_cast<uint8_t>(s));
  }
  return bytes;
}

bool WriteTestPng(const std::string& path, const TestPng& png) {
  std::vector<uint8_t> data = png.data;
  data.resize(png.rowBytes() * png.height, 0);
  std::vector<png_bytep> rows(png.height);
  for (uint32_t y = 0; y < png.height; ++y) rows[y] = data.data() + png.rowBytes() * y;
  FilePtr file(std::fopen(path.c_str(), "wb"));
  return file && WriteWithLibpng(file.get(), png, rows.data()) && std::fflush(file.get()) == 0;
}

bool ReadTestPng(const std::string& path, TestPng& png) {
  FilePtr file(std::fopen(path.c_str(), "rb"));
  std::vector<png_bytep> rows;
  return file && ReadWithLibpng(file.get(), png, rows);
}

bool RewritePngHeader(std::vector<uint8_t>& bytes, uint32_t width, uint32_t height, int bitDepth,
                      int colourType) {
  // Signature (8 bytes), then the header chunk: length 13, "IHDR", its 13
  // bytes and a checksum over type and data.
  static constexpr uint8_t kType[4] = {'I', 'H', 'D', 'R'};
  if (bytes.size() < 33 || !std::equal(kType, kType + 4, bytes.begin() + 12)) return false;
  PutBigEndian32(bytes.data() + 16, width);
  PutBigEndian32(bytes.data() + 20, height);
  bytes[24] = static_cast<uint8_t>(bitDepth);
  bytes[25] = static_cast<uint8_t>(colourType);
  const uLong crc = crc32(0L, bytes.data() + 12, 17);
  PutBigEndian32(bytes.data() + 29, static_cast<uint32_t>(crc));
  return true;
}

}  // namespace ulvo
