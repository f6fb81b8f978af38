// TIFF image files for the tools: any layout tiff_pixels can decode on read,
// 16-bit grey and RGB included; deflate-compressed contiguous samples of the
// image's size (8 or 16 bits) on write, extra channels marked as unspecified
// data (a depth plane is not an alpha channel).
#include <new>
#include <vector>

#include "src/imageio/image_codecs.h"
#include "src/imageio/tiff_handle.h"
#include "src/imageio/tiff_pixels.h"

namespace ulvo {

bool ReadTiff(const std::string& path, Image& out, std::string& error) {
  TiffDiagnostics diag;
  TiffPtr tif = OpenTiff(path, "r", diag);
  if (!tif) {
    error = "damaged or unsupported TIFF file: " + diag.errors;
    return false;
  }
  const TiffLayout layout = DescribeTiff(tif.get());
  std::string reason;
  if (!CheckDecodable(layout, reason, 16)) {
    error = "unsupported TIFF file: " + reason;
    return false;
  }
  Image image;
  if (!CheckImageSize(layout.width, layout.height, static_cast<uint64_t>(layout.outputChannels()),
                      layout.outputBits(), error) ||
      !AllocateImage(image, static_cast<int>(layout.width), static_cast<int>(layout.height),
                     layout.outputChannels(), layout.outputBits(), error)) {
    return false;
  }
  bool read = false;
  try {
    read = ReadTiffPixels(tif.get(), layout, image.pixels.data(), reason);
  } catch (const std::bad_alloc&) {
    error = "not enough memory to read the TIFF file";
    return false;
  }
  if (!read) {
    error = "damaged TIFF file: " + reason;
    if (!diag.errors.empty()) error += " (" + diag.errors + ")";
    return false;
  }
  out = std::move(image);
  return true;
}

bool WriteTiff(const std::string& path, const Image& image, std::string& error) {
  TiffDiagnostics diag;
  TiffPtr tif = OpenTiff(path, "w", diag);
  if (!tif) {
    error = "cannot create TIFF file: " + diag.errors;
    return false;
  }
  TIFF* t = tif.get();
  const bool colour = image.channels >= 3;
  TIFFSetField(t, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(image.width));
  TIFFSetField(t, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(image.height));
  TIFFSetField(t, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(image.channels));
  TIFFSetField(t, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(image.bits == 16 ? 16 : 8));
  TIFFSetField(t, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(t, TIFFTAG_PHOTOMETRIC, colour ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
  TIFFSetField(t, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
  TIFFSetField(t, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(t, 0));
  const int extras = image.channels - (colour ? 3 : 1);
  if (extras > 0) {
    std::vector<uint16_t> kinds(static_cast<size_t>(extras), EXTRASAMPLE_UNSPECIFIED);
    TIFFSetField(t, TIFFTAG_EXTRASAMPLES, static_cast<uint16_t>(extras), kinds.data());
  }
  for (int y = 0; y < image.height; ++y) {
    // libtiff takes a non-const row but does not modify it for these settings.
    void* row = const_cast<uint8_t*>(image.row(y));
    if (TIFFWriteScanline(t, row, static_cast<uint32_t>(y), 0) < 0) {
      error = "cannot write TIFF file: " + diag.errors;
      return false;
    }
  }
  if (!TIFFWriteDirectory(t)) {
    error = "cannot write TIFF file: " + diag.errors;
    return false;
  }
  TIFF* raw = tif.release();
  TIFFFlush(raw);
  TIFFClose(raw);
  if (!diag.errors.empty()) {
    error = "cannot write TIFF file: " + diag.errors;
    return false;
  }
  return true;
}

}  // namespace ulvo
