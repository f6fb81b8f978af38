// The command-line tool's image readers (PNG, JPEG, TIFF, recognised by their
// content, at 8 or 16 bits) on any file. An accepted image must be within the
// size limits, have 8 or 16 bits per sample (16 only from PNG and TIFF) and
// exactly its pixel bytes; a refused one must leave the caller's image as it
// was and say why.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "src/imageio/image_codecs.h"
#include "src/imageio/image_file.h"
#include "tests/fuzz/scratch_file.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ulvo::fuzz::ScratchFile file(data, size, ".img");
  ulvo::Image image;
  image.width = image.height = image.channels = 1;
  image.pixels = {42};
  std::string error;
  if (!ulvo::ReadImageFile(file.string(), image, error)) {
    Require(!error.empty());
    Require(image.width == 1 && image.height == 1 && image.channels == 1 && image.bits == 8);
    Require(image.pixels.size() == 1 && image.pixels[0] == 42);
    return 0;
  }
  Require(image.width > 0 && image.height > 0 && image.channels > 0);
  Require(static_cast<uint32_t>(image.width) <= ulvo::kMaxImageDimension &&
          static_cast<uint32_t>(image.height) <= ulvo::kMaxImageDimension);
  const bool jpeg = size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
  Require(image.bits == 8 || (image.bits == 16 && !jpeg));
  const uint64_t bytes = uint64_t{static_cast<uint32_t>(image.width)} *
                         static_cast<uint32_t>(image.height) *
                         static_cast<uint32_t>(image.channels) * (image.bits / 8);
  Require(bytes <= ulvo::kMaxImageBytes && image.pixels.size() == bytes);
  return 0;
}
