// Decoding the pixels of a strip-based TIFF image into interleaved samples:
// 8-bit ones for bit depths 1, 2, 4 and 8 (palettes included), 16-bit ones
// for 16-bit grey and RGB, whatever the planar configuration. Every scanline
// is decoded into a buffer of libtiff's own scanline size and nothing is read
// beyond it.
#pragma once

#include <tiffio.h>

#include <cstdint>
#include <string>
#include <vector>

namespace ulvo {

struct TiffLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samplesPerPixel = 1;
  uint16_t bitsPerSample = 1;
  uint16_t photometric = PHOTOMETRIC_MINISBLACK;
  uint16_t planarConfig = PLANARCONFIG_CONTIG;
  uint16_t sampleFormat = SAMPLEFORMAT_UINT;
  bool tiled = false;
  float xResolution = 0.0f;  // left at 0 when the tag is absent
  float yResolution = 0.0f;
  tmsize_t scanlineSize = 0;
  // Palette images only: 2^bitsPerSample 16-bit entries per colour.
  const uint16_t* red = nullptr;
  const uint16_t* green = nullptr;
  const uint16_t* blue = nullptr;

  // Samples per pixel after decoding: a palette index becomes three samples.
  int outputChannels() const {
    return photometric == PHOTOMETRIC_PALETTE ? samplesPerPixel + 2 : samplesPerPixel;
  }
  // Bits of a decoded sample: 16 for 16-bit files, 8 for all others.
  int outputBits() const { return bitsPerSample == 16 ? 16 : 8; }
};

// Reads the tags of the current directory. Never fails; whether the pixels can
// be decoded is CheckDecodable's question.
TiffLayout DescribeTiff(TIFF* tif);

// Whether ReadTiffPixels can decode this layout into samples of at most
// `maxBits` (8, or 16 to take 16-bit files too); if not, `error` says why.
bool CheckDecodable(const TiffLayout& layout, std::string& error, int maxBits = 8);

// Decodes the whole image into `out`, which must hold
// width * height * outputChannels() samples of outputBits() (16-bit ones
// native-endian, two bytes each), rows top-down. Values of fewer than 8 bits
// are scaled to 0..255; white-is-zero grey is inverted; palette indices are
// replaced by their colours. Returns false with libtiff's reason when a
// row cannot be decoded; throws std::bad_alloc when its row buffer cannot be
// had, which is no fault of the file.
bool ReadTiffPixels(TIFF* tif, const TiffLayout& layout, uint8_t* out, std::string& error);

}  // namespace ulvo
