#include "src/imageio/pattern_loader.h"

#include <cstdio>
#include <cstring>
#include <new>

#include "src/imageio/tiff_handle.h"
#include "src/imageio/tiff_pixels.h"

namespace ulvo {
namespace {

std::string UnsupportedBits(int bits) {
  char text[64];
  std::snprintf(text, sizeof text, "Unsupported format ( %d bits per pixel )", bits);
  return text;
}

// Converts decoded rows (top-down, `channels` samples a pixel) into the
// bottom-up BGR destination. One or two samples are grey (a second sample is
// alpha and dropped); three or more start with red, green, blue.
void ToBottomUpBgr(const std::vector<uint8_t>& decoded, int channels, uint32_t width,
                   uint32_t height, int32_t stride, uint8_t* destination) {
  for (uint32_t i = 0; i < height; ++i) {
    const uint8_t* src = decoded.data() + static_cast<size_t>(i) * width * channels;
    uint8_t* dst = destination + static_cast<size_t>(height - 1 - i) * stride;
    for (uint32_t j = 0; j < width; ++j, src += channels, dst += 3) {
      if (channels < 3) {
        dst[0] = dst[1] = dst[2] = src[0];
      } else {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
    }
  }
}

// Decoding keeps every sample of a pixel, so a small file that claims
// thousands of samples per pixel would demand gigabytes; a pattern needs at
// most four (grey or colour, and alpha) at the largest size.
constexpr uint64_t kMaxDecodedBytes = uint64_t{kMaxPatternDimension} * kMaxPatternDimension * 4;

bool DecodedSizeAllowed(const TiffLayout& layout) {
  return uint64_t{layout.width} * layout.height * static_cast<uint64_t>(layout.outputChannels()) <=
         kMaxDecodedBytes;
}

}  // namespace

int PatternLoader::ReadDescription(PatternDescription& description, const std::string& path) {
  TiffDiagnostics diag;
  TiffPtr tif = OpenTiff(path, "r", diag);
  if (!tif) {
    messages_.ShowMessage(diag.errors);
    return 0;
  }
  const TiffLayout layout = DescribeTiff(tif.get());
  tif.reset();

  if (layout.bitsPerSample == 0 || layout.bitsPerSample > 8 || (8 % layout.bitsPerSample) != 0) {
    messages_.ShowMessage(UnsupportedBits(layout.bitsPerSample));
    return 0;
  }
  if (layout.width > kMaxPatternDimension || layout.height > kMaxPatternDimension ||
      !DecodedSizeAllowed(layout)) {
    messages_.ShowMessage("Pattern too large ( " + std::to_string(layout.width) + " x " +
                          std::to_string(layout.height) + " pixels, " +
                          std::to_string(layout.samplesPerPixel) + " samples per pixel )");
    return 0;
  }
  std::string reason;
  if (!CheckDecodable(layout, reason)) {
    messages_.ShowMessage("Unsupported pattern file: " + reason);
    return 0;
  }

  description.fileName = path;
  description.imageLength = layout.height;
  description.imageWidth = layout.width;
  description.samplesPerPixel = layout.samplesPerPixel;
  description.bitsPerSample = layout.bitsPerSample;
  if (layout.xResolution > 0.0f) description.xResolution = layout.xResolution;
  if (layout.yResolution > 0.0f) description.yResolution = layout.yResolution;
  description.scanlineSize = static_cast<int32_t>(layout.scanlineSize);
  return 1;
}

int PatternLoader::ReadPixels(const PatternDescription& description, uint8_t* destination) {
  TiffDiagnostics diag;
  TiffPtr tif = OpenTiff(description.fileName, "r", diag);
  if (!tif) {
    messages_.ShowMessage(diag.errors);
    return 0;
  }
  const TiffLayout layout = DescribeTiff(tif.get());
  if (layout.width == 0 || layout.height == 0) {
    messages_.ShowMessage("The pattern file has no pixels: " + description.fileName);
    return 0;
  }
  if (destination == nullptr) return 1;

  // The destination was sized from the description; a file changed since then
  // must not be written into it.
  std::string reason;
  if (layout.width != description.imageWidth || layout.height != description.imageLength ||
      layout.width > kMaxPatternDimension || layout.height > kMaxPatternDimension ||
      !DecodedSizeAllowed(layout) ||
      description.destRowStride < static_cast<int64_t>(layout.width) * 3) {
    messages_.ShowMessage("The pattern file has changed since it was chosen: " +
                          description.fileName);
    return 0;
  }
  if (!CheckDecodable(layout, reason)) {
    messages_.ShowMessage("Unsupported pattern file: " + reason);
    return 0;
  }

  // Decode everything first so that a damaged file leaves the destination as
  // it was.
  const int channels = layout.outputChannels();
  std::vector<uint8_t> decoded;
  bool read = false;
  try {
    decoded.resize(static_cast<size_t>(layout.width) * layout.height * channels);
    read = ReadTiffPixels(tif.get(), layout, decoded.data(), reason);
  } catch (const std::bad_alloc&) {
    messages_.ShowMessage(kPatternOutOfMemoryText);
    return 0;
  }
  if (!read) {
    messages_.ShowMessage("Damaged pattern file: " + reason +
                          (diag.errors.empty() ? "" : " (" + diag.errors + ")"));
    return 0;
  }
  ToBottomUpBgr(decoded, channels, layout.width, layout.height, description.destRowStride,
                destination);
  return 1;
}

bool LoadPatternBitmap(const std::string& path, PatternBitmap& bitmap, UserMessages& messages) {
  PatternLoader loader(messages);
  PatternDescription description;
  if (!loader.ReadDescription(description, path)) return false;
  description.destRowStride = PatternRowStride(description.imageWidth);
  PatternBitmap loaded;
  loaded.width = static_cast<int>(description.imageWidth);
  loaded.height = static_cast<int>(description.imageLength);
  loaded.rowStride = description.destRowStride;
  try {
    loaded.pixels.assign(static_cast<size_t>(loaded.rowStride) * loaded.height, 0);
  } catch (const std::bad_alloc&) {
    messages.ShowMessage(kPatternOutOfMemoryText);
    return false;
  }
  if (!loader.ReadPixels(description, loaded.pixels.data())) return false;
  bitmap = std::move(loaded);
  return true;
}

}  // namespace ulvo
