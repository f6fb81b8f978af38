// The aperture pattern loader on any file: the description, then the pixels
// into a buffer of exactly the smallest stride the loader accepts, then the
// usual one-call load. A refused or damaged file must leave the destination
// untouched and say why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "src/imageio/pattern_loader.h"
#include "tests/fuzz/scratch_file.h"

namespace {

struct CountedMessages : ulvo::UserMessages {
  int count = 0;
  void ShowMessage(const std::string&) override { ++count; }
};

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ulvo::fuzz::ScratchFile file(data, size, ".tif");
  CountedMessages messages;
  ulvo::PatternLoader loader(messages);
  ulvo::PatternDescription description;
  if (loader.ReadDescription(description, file.string()) != 1) {
    Require(messages.count > 0);
    return 0;
  }
  Require(description.imageWidth > 0 && description.imageLength > 0);
  Require(description.imageWidth <= ulvo::kMaxPatternDimension &&
          description.imageLength <= ulvo::kMaxPatternDimension);
  Require(loader.ReadPixels(description, nullptr) == 1 || messages.count > 0);

  description.destRowStride = static_cast<int32_t>(description.imageWidth * 3);
  constexpr uint8_t kUntouched = 0xa5;
  std::vector<uint8_t> pixels(
      static_cast<size_t>(description.destRowStride) * description.imageLength, kUntouched);
  const int before = messages.count;
  if (loader.ReadPixels(description, pixels.data()) != 1) {
    Require(messages.count > before);
    for (const uint8_t byte : pixels) Require(byte == kUntouched);
  }

  ulvo::PatternBitmap bitmap;
  if (ulvo::LoadPatternBitmap(file.string(), bitmap, messages)) {
    Require(bitmap.pixels.size() == static_cast<size_t>(bitmap.rowStride) * bitmap.height);
  } else {
    Require(bitmap.pixels.empty());
  }
  return 0;
}
