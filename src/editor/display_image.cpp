#include "src/editor/display_image.h"

#include <cstring>
#include <new>

namespace ulvo {

namespace {

// 0.4 mm per pixel, the resolution the display bitmap advertises.
constexpr int32_t kDisplayPelsPerMeter = 15748;

}  // namespace

bool JobHasImage(const FilterJob& job) {
  return job.inData != nullptr && job.paddedWidth > 0 && job.height > 0 && job.planes >= 3 &&
         job.rowBytes >= static_cast<int64_t>(job.paddedWidth) * job.planes;
}

bool DisplayImage::TakeIn(const FilterJob& job) {
  pixels_.clear();
  pixels_.shrink_to_fit();
  header_ = BitmapInfoHeader{};
  stride_ = 0;
  if (!JobHasImage(job)) return false;

  header_.width = job.paddedWidth;
  header_.height = job.height;
  header_.xPelsPerMeter = kDisplayPelsPerMeter;
  header_.yPelsPerMeter = kDisplayPelsPerMeter;
  // Held in size_t: stride times height overflows 32 bits for large images.
  stride_ = static_cast<size_t>(Stride24(job.paddedWidth));
  try {
    pixels_.assign(stride_ * static_cast<size_t>(job.height), 0);
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    return false;
  }
  Restore(job);
  return true;
}

void DisplayImage::Restore(const FilterJob& job) {
  if (pixels_.empty() || job.inData == nullptr || job.paddedWidth != header_.width ||
      job.height != header_.height)
    return;
  const size_t planes = static_cast<size_t>(job.planes);
  const size_t colour = planes - 3;  // the colour bytes are the last three
  for (int32_t i = 0; i < job.height; ++i) {
    const uint8_t* src = job.inData + static_cast<size_t>(job.rowBytes) * i + colour;
    uint8_t* dst = pixels_.data() + stride_ * i;
    for (int32_t j = 0; j < job.paddedWidth; ++j, src += planes, dst += 3) {
      dst[0] = src[0];
      dst[1] = src[1];
      dst[2] = src[2];
    }
  }
}

void DisplayImage::CopyToOutput(const FilterJob& job) const {
  if (pixels_.empty() || job.outData == nullptr || job.paddedWidth != header_.width ||
      job.height != header_.height || job.planes < 3)
    return;
  const size_t planes = static_cast<size_t>(job.planes);
  const size_t e = planes - 3;
  const bool copyDepth = e >= 1 && job.inData != nullptr;
  for (int32_t i = 0; i < job.height; ++i) {
    const size_t rowOffset = static_cast<size_t>(job.rowBytes) * i;
    uint8_t* out = job.outData + rowOffset;
    const uint8_t* in = copyDepth ? job.inData + rowOffset : nullptr;
    const uint8_t* disp = pixels_.data() + stride_ * i;
    for (int32_t j = 0; j < job.paddedWidth; ++j, out += planes, disp += 3) {
      if (copyDepth) out[e - 1] = in[planes * j + e - 1];
      std::memcpy(out + e, disp, 3);
    }
  }
}

void CopySourceToOutput(const FilterJob& job) {
  if (!JobHasImage(job) || job.outData == nullptr) return;
  const size_t planes = static_cast<size_t>(job.planes);
  const size_t first = planes > 3 ? planes - 4 : 0;  // the depth byte, or the first colour
  const size_t count = planes - first;
  for (int32_t i = 0; i < job.height; ++i) {
    const size_t rowOffset = static_cast<size_t>(job.rowBytes) * i;
    const uint8_t* in = job.inData + rowOffset + first;
    uint8_t* out = job.outData + rowOffset + first;
    for (int32_t j = 0; j < job.paddedWidth; ++j, in += planes, out += planes)
      std::memcpy(out, in, count);
  }
}

}  // namespace ulvo
