#include "src/imageio/tiff_pixels.h"

#include <cstring>

namespace ulvo {
namespace {

// Sample `index` of a packed row of `bits`-bit samples (most significant bits
// first, as TIFF stores them).
unsigned PackedSample(const uint8_t* row, uint64_t index, int bits) {
  if (bits == 8) return row[index];
  const uint64_t bit = index * static_cast<uint64_t>(bits);
  const unsigned byte = row[bit / 8];
  const unsigned shift = 8 - static_cast<unsigned>(bits) - static_cast<unsigned>(bit % 8);
  return (byte >> shift) & ((1u << bits) - 1u);
}

uint8_t ScaleTo8Bits(unsigned value, int bits) {
  if (bits == 8) return static_cast<uint8_t>(value);
  const unsigned maximum = (1u << bits) - 1u;
  return static_cast<uint8_t>(value * 255u / maximum);
}

// Converts one decoded scanline. `firstSample`/`sampleCount` select which of
// the pixel's samples the scanline holds (all of them for contiguous data,
// one for separate planes).
void ConvertRow(const TiffLayout& layout, const uint8_t* scanline, int firstSample, int sampleCount,
                uint8_t* out) {
  const int bits = layout.bitsPerSample;
  const int channels = layout.outputChannels();
  const bool palette = layout.photometric == PHOTOMETRIC_PALETTE;
  const bool invert = layout.photometric == PHOTOMETRIC_MINISWHITE;
  for (uint32_t x = 0; x < layout.width; ++x) {
    uint8_t* pixel = out + static_cast<size_t>(x) * channels;
    for (int s = 0; s < sampleCount; ++s) {
      const int sample = firstSample + s;
      const unsigned value =
          PackedSample(scanline, static_cast<uint64_t>(x) * sampleCount + s, bits);
      if (sample == 0 && palette) {
        pixel[0] = static_cast<uint8_t>(layout.red[value] >> 8);
        pixel[1] = static_cast<uint8_t>(layout.green[value] >> 8);
        pixel[2] = static_cast<uint8_t>(layout.blue[value] >> 8);
        continue;
      }
      uint8_t v = ScaleTo8Bits(value, bits);
      if (sample == 0 && invert) v = static_cast<uint8_t>(255 - v);
      pixel[palette ? sample + 2 : sample] = v;
    }
  }
}

// The same for 16-bit samples, which libtiff hands over in the machine's
// byte order whatever the file's; palettes are not read at 16 bits.
void ConvertRow16(const TiffLayout& layout, const uint8_t* scanline, int firstSample,
                  int sampleCount, uint8_t* out) {
  const int channels = layout.outputChannels();
  const bool invert = layout.photometric == PHOTOMETRIC_MINISWHITE;
  for (uint32_t x = 0; x < layout.width; ++x) {
    uint8_t* pixel = out + static_cast<size_t>(x) * channels * 2;
    for (int s = 0; s < sampleCount; ++s) {
      const int sample = firstSample + s;
      uint16_t v;
      std::memcpy(&v, scanline + (static_cast<size_t>(x) * sampleCount + s) * 2, 2);
      if (sample == 0 && invert) v = static_cast<uint16_t>(65535 - v);
      std::memcpy(pixel + static_cast<size_t>(sample) * 2, &v, 2);
    }
  }
}

uint64_t PackedRowBytes(uint64_t samples, int bits) {
  return (samples * static_cast<uint64_t>(bits) + 7) / 8;
}

}  // namespace

TiffLayout DescribeTiff(TIFF* tif) {
  TiffLayout layout;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &layout.width);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &layout.height);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &layout.samplesPerPixel);
  TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &layout.bitsPerSample);
  TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &layout.planarConfig);
  TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &layout.sampleFormat);
  if (!TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &layout.photometric)) {
    layout.photometric = layout.samplesPerPixel >= 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK;
  }
  TIFFGetField(tif, TIFFTAG_XRESOLUTION, &layout.xResolution);
  TIFFGetField(tif, TIFFTAG_YRESOLUTION, &layout.yResolution);
  layout.tiled = TIFFIsTiled(tif) != 0;
  layout.scanlineSize = layout.tiled ? 0 : TIFFScanlineSize(tif);
  if (layout.photometric == PHOTOMETRIC_PALETTE) {
    uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
    if (TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue)) {
      layout.red = red;
      layout.green = green;
      layout.blue = blue;
    }
  }
  return layout;
}

bool CheckDecodable(const TiffLayout& layout, std::string& error, int maxBits) {
  const int bits = layout.bitsPerSample;
  const std::string size = std::to_string(bits) + "-bit";
  switch (layout.sampleFormat) {
    case SAMPLEFORMAT_UINT:
    case SAMPLEFORMAT_VOID:
      break;
    case SAMPLEFORMAT_INT:
      error = "signed " + size + " samples are not supported (only unsigned integers are read)";
      return false;
    case SAMPLEFORMAT_IEEEFP:
      error =
          "floating-point " + size + " samples are not supported (only unsigned integers are read)";
      return false;
    default:
      error = "unsupported sample format (only unsigned integers are read)";
      return false;
  }
  const bool sixteen = bits == 16 && maxBits >= 16;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && !sixteen) {
    error = "unsupported sample size (" + std::to_string(bits) + " bits" +
            (maxBits >= 16 ? "; 1, 2, 4, 8 and 16 bits are read)" : ")");
    return false;
  }
  if (sixteen && layout.photometric == PHOTOMETRIC_PALETTE) {
    error = "16-bit palette images are not supported (palette indices of up to 8 bits are read)";
    return false;
  }
  if (layout.samplesPerPixel < 1) {
    error = "no samples per pixel";
    return false;
  }
  if (layout.tiled) {
    error = "tiled TIFF files are not supported";
    return false;
  }
  if (layout.width == 0 || layout.height == 0) {
    error = "the image has no pixels";
    return false;
  }
  if (layout.photometric == PHOTOMETRIC_PALETTE && layout.red == nullptr) {
    error = "palette image without a colour map";
    return false;
  }
  if (layout.photometric == PHOTOMETRIC_YCBCR || layout.photometric == PHOTOMETRIC_SEPARATED) {
    error = "unsupported colour space (only grey, RGB and palette images are read)";
    return false;
  }
  const uint64_t samplesPerScanline =
      static_cast<uint64_t>(layout.width) *
      (layout.planarConfig == PLANARCONFIG_SEPARATE ? 1u : layout.samplesPerPixel);
  if (layout.scanlineSize <= 0 ||
      static_cast<uint64_t>(layout.scanlineSize) < PackedRowBytes(samplesPerScanline, bits)) {
    error = "inconsistent scanline size";
    return false;
  }
  return true;
}

bool ReadTiffPixels(TIFF* tif, const TiffLayout& layout, uint8_t* out, std::string& error) {
  std::vector<uint8_t> scanline(static_cast<size_t>(layout.scanlineSize));
  const bool sixteen = layout.outputBits() == 16;
  const size_t rowBytes =
      static_cast<size_t>(layout.width) * layout.outputChannels() * (sixteen ? 2 : 1);
  const bool separate = layout.planarConfig == PLANARCONFIG_SEPARATE && layout.samplesPerPixel > 1;
  // Separate planes are read one whole plane after the other, which is the
  // order in which they are stored.
  const int planes = separate ? layout.samplesPerPixel : 1;
  for (int plane = 0; plane < planes; ++plane) {
    for (uint32_t y = 0; y < layout.height; ++y) {
      if (TIFFReadScanline(tif, scanline.data(), y, static_cast<uint16_t>(plane)) < 0) {
        error = "cannot decode row " + std::to_string(y);
        return false;
      }
      const int first = separate ? plane : 0;
      const int count = separate ? 1 : layout.samplesPerPixel;
      if (sixteen) {
        ConvertRow16(layout, scanline.data(), first, count, out + rowBytes * y);
      } else {
        ConvertRow(layout, scanline.data(), first, count, out + rowBytes * y);
      }
    }
  }
  return true;
}

}  // namespace ulvo
