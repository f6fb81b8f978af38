#include "src/editor/display_image.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ulvo {

namespace {

// 0.4 mm per pixel, the resolution the display bitmap advertises.
constexpr int32_t kDisplayPelsPerMeter = 15748;

}  // namespace

bool JobHasImage(const FilterJob& job) {
  return job.inData != nullptr && job.paddedWidth > 0 && job.height > 0 && job.planes >= 3 &&
         (job.sampleBytes == 1 || job.sampleBytes == 2) &&
         job.rowBytes >= static_cast<int64_t>(job.paddedWidth) * job.pixelBytes();
}

namespace {

uint16_t SampleAt(const uint8_t* at) {
  uint16_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

}  // namespace

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
    if (job.sampleBytes == 2) {
      wide_.assign(3 * static_cast<size_t>(job.paddedWidth) * static_cast<size_t>(job.height), 0);
    } else {
      wide_.clear();
    }
  } catch (const std::bad_alloc&) {
    pixels_.clear();
    pixels_.shrink_to_fit();
    wide_.clear();
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
  const size_t colour = planes - 3;  // the colour samples are the last three
  if (wide()) {
    const size_t width = static_cast<size_t>(job.paddedWidth);
    for (int32_t i = 0; i < job.height; ++i) {
      const uint8_t* src = job.inData + static_cast<size_t>(job.rowBytes) * i + 2 * colour;
      uint16_t* dst = wide_.data() + 3 * width * static_cast<size_t>(i);
      for (size_t j = 0; j < width; ++j, src += 2 * planes) {
        for (size_t k = 0; k < 3; ++k) dst[3 * j + k] = SampleAt(src + 2 * k);
      }
    }
    ShowRendered(0, job.height);
    return;
  }
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

uint8_t* DisplayImage::renderPixels() {
  return wide() ? reinterpret_cast<uint8_t*>(wide_.data()) : pixels_.data();
}

size_t DisplayImage::renderStride() const {
  return wide() ? 6 * static_cast<size_t>(header_.width) : stride_;
}

void DisplayImage::ShowRendered(int32_t bottom, int32_t rows) {
  if (!wide()) return;
  const int32_t first = std::max(bottom, 0);
  const int32_t end = std::min(bottom + std::max(rows, 0), header_.height);
  const size_t width = static_cast<size_t>(header_.width);
  for (int32_t i = first; i < end; ++i) {
    const uint16_t* src = wide_.data() + 3 * width * static_cast<size_t>(i);
    uint8_t* dst = pixels_.data() + stride_ * static_cast<size_t>(i);
    for (size_t j = 0; j < 3 * width; ++j) dst[j] = EightBitSample(src[j]);
  }
}

void DisplayImage::CopyToOutput(const FilterJob& job) const {
  if (pixels_.empty() || job.outData == nullptr || job.paddedWidth != header_.width ||
      job.height != header_.height || job.planes < 3)
    return;
  const size_t planes = static_cast<size_t>(job.planes);
  const size_t e = planes - 3;
  const bool copyDepth = e >= 1 && job.inData != nullptr;
  if (wide()) {
    const size_t width = static_cast<size_t>(job.paddedWidth);
    for (int32_t i = 0; i < job.height; ++i) {
      const size_t rowOffset = static_cast<size_t>(job.rowBytes) * i;
      uint8_t* out = job.outData + rowOffset;
      const uint8_t* in = job.inData != nullptr ? job.inData + rowOffset : nullptr;
      const uint16_t* colours = wide_.data() + 3 * width * static_cast<size_t>(i);
      for (size_t j = 0; j < width; ++j, out += 2 * planes) {
        if (copyDepth) std::memcpy(out + 2 * (e - 1), in + 2 * (planes * j + e - 1), 2);
        std::memcpy(out + 2 * e, colours + 3 * j, 6);
      }
    }
    return;
  }
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
  const size_t sample = static_cast<size_t>(job.sampleBytes);
  const size_t pixel = static_cast<size_t>(job.planes) * sample;
  const size_t planes = static_cast<size_t>(job.planes);
  // The depth sample, or the first colour.
  const size_t first = (planes > 3 ? planes - 4 : 0) * sample;
  const size_t count = pixel - first;
  for (int32_t i = 0; i < job.height; ++i) {
    const size_t rowOffset = static_cast<size_t>(job.rowBytes) * i;
    const uint8_t* in = job.inData + rowOffset + first;
    uint8_t* out = job.outData + rowOffset + first;
    for (int32_t j = 0; j < job.paddedWidth; ++j, in += pixel, out += pixel)
      std::memcpy(out, in, count);
  }
}

}  // namespace ulvo
