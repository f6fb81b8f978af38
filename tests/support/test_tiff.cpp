#include "tests/support/test_tiff.h"

#include <cstring>

namespace ulvo {

std::vector<uint8_t> NativeSamples(const std::vector<uint16_t>& samples) {
  std::vector<uint8_t> bytes(samples.size() * 2);
  if (!samples.empty()) std::memcpy(bytes.data(), samples.data(), bytes.size());
  return bytes;
}

bool WriteTestTiff(const std::string& path, const TestTiff& t) {
  TIFF* tif = TIFFOpen(path.c_str(), t.bigEndian ? "wb" : "w");
  if (tif == nullptr) return false;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, t.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, t.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, t.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, t.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, t.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, t.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, t.compression);
  if (t.sampleFormat != SAMPLEFORMAT_UINT) TIFFSetField(tif, TIFFTAG_SAMPLEFORMAT, t.sampleFormat);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 4u);
  if (t.samples == 2 || t.samples == 4) {
    const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  if (!t.red.empty()) {
    TIFFSetField(tif, TIFFTAG_COLORMAP, t.red.data(), t.green.data(), t.blue.data());
  }
  const int planes = t.planar == PLANARCONFIG_SEPARATE ? t.samples : 1;
  bool ok = true;
  std::vector<uint8_t> row(t.rowBytes());
  for (int p = 0; p < planes && ok; ++p) {
    for (uint32_t y = 0; y < t.height && ok; ++y) {
      const size_t offset = (static_cast<size_t>(p) * t.height + y) * row.size();
      for (size_t i = 0; i < row.size(); ++i) {
        row[i] = offset + i < t.data.size() ? t.data[offset + i] : 0;
      }
      ok = TIFFWriteScanline(tif, row.data(), y, static_cast<uint16_t>(p)) >= 0;
    }
  }
  TIFFClose(tif);
  return ok;
}

}  // namespace ulvo
