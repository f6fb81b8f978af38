// Small PNG files written and read with libpng exactly as described, without
// the tools' image files in between: rows as the file stores them (16-bit
// samples most significant byte first), transparency and significant-bits
// chunks, interlacing; and headers rewritten into combinations libpng will
// not write.
#pragma once

#include <png.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

struct TestPng {
  uint32_t width = 1;
  uint32_t height = 1;
  int bitDepth = 8;
  int colourType = PNG_COLOR_TYPE_GRAY;
  bool interlaced = false;
  // Packed rows, top-down, as the file stores them; rows beyond it are zeros.
  std::vector<uint8_t> data;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlpha;  // tRNS of a palette image
  bool hasTransparent = false;         // tRNS of a grey or colour image
  png_color_16 transparent{};
  int significantBits = 0;  // an sBIT chunk with this for every channel when > 0

  int channels() const;
  size_t rowBytes() const;
};

// The samples as a 16-bit file stores them: each most significant byte first.
std::vector<uint8_t> BigEndianSamples(const std::vector<uint16_t>& samples);

bool WriteTestPng(const std::string& path, const TestPng& png);

// Reads the file without any transformation: its header and its rows as
// stored (interlaced files come back de-interlaced). False for a file libpng
// refuses.
bool ReadTestPng(const std::string& path, TestPng& png);

// Rewrites the header chunk of PNG file bytes (and its checksum) to the
// given size, bit depth and colour type; false when the bytes do not start
// with a header chunk.
bool RewritePngHeader(std::vector<uint8_t>& bytes, uint32_t width, uint32_t height, int bitDepth,
                      int colourType);

}  // namespace ulvo
