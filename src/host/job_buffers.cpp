#include "src/host/job_buffers.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "src/host/rect_ops.h"
#include "src/job/job_mask.h"

namespace ulvo {

int32_t RowPad(int32_t width) {
  const int32_t product = 3 * width;
  return product < 0 ? 0 : product % 4;
}

namespace {

// Swaps two pixels and reverses the sample order of both (samples of
// `sampleBytes` bytes keep their own byte order); a and b may be the same
// pixel, which is then only reversed.
void SwapReversed(uint8_t* a, uint8_t* b, int32_t planes, int32_t sampleBytes) {
  uint8_t sample[2];
  const auto swapSamples = [&](uint8_t* p, uint8_t* q) {
    std::memcpy(sample, p, static_cast<size_t>(sampleBytes));
    std::memmove(p, q, static_cast<size_t>(sampleBytes));
    std::memcpy(q, sample, static_cast<size_t>(sampleBytes));
  };
  if (a == b) {
    for (int32_t k = 0; k < planes / 2; ++k) {
      swapSamples(a + k * sampleBytes, a + (planes - 1 - k) * sampleBytes);
    }
    return;
  }
  for (int32_t k = 0; k < planes; ++k) {
    swapSamples(a + k * sampleBytes, b + (planes - 1 - k) * sampleBytes);
  }
}

uint16_t LoadSample(const uint8_t* at) {
  uint16_t value = 0;
  std::memcpy(&value, at, sizeof value);
  return value;
}

void StoreSample(uint8_t* at, uint16_t value) {
  std::memcpy(at, &value, sizeof value);
}

template <typename Convert>
void ConvertSamples(FilterJob& job, JobBuffer which, Convert convert) {
  uint8_t* base = which == JobBuffer::kInput ? job.inData : job.outData;
  if (job.sampleBytes != 2 || base == nullptr || job.planes <= 0) return;
  const size_t samples = static_cast<size_t>(job.paddedWidth) * static_cast<size_t>(job.planes);
  for (int32_t y = 0; y < job.height; ++y) {
    uint8_t* row = base + static_cast<ptrdiff_t>(y) * job.rowBytes;
    for (size_t i = 0; i < samples; ++i) StoreSample(row + 2 * i, convert(LoadSample(row + 2 * i)));
  }
}

}  // namespace

void FlipJobBuffer(FilterJob& job, JobBuffer which) {
  uint8_t* base = which == JobBuffer::kInput ? job.inData : job.outData;
  const int32_t planes = job.planes;
  const int32_t sampleBytes = job.sampleBytes == 2 ? 2 : 1;
  if (base == nullptr || planes <= 0 || job.height <= 0 || job.paddedWidth <= 0) {
    return;
  }
  const ptrdiff_t rowBytes = job.rowBytes;
  const int32_t height = job.height;
  const ptrdiff_t pixelBytes = static_cast<ptrdiff_t>(planes) * sampleBytes;
  for (int32_t i = 0; i < (height + 1) / 2; ++i) {
    uint8_t* top = base + i * rowBytes;
    uint8_t* bottom = base + (height - 1 - i) * rowBytes;
    for (int32_t x = 0; x < job.paddedWidth; ++x) {
      const ptrdiff_t offset = x * pixelBytes;
      SwapReversed(top + offset, bottom + offset, planes, sampleBytes);
    }
  }
}

uint16_t EngineSampleOfHost(uint16_t host) {
  const uint32_t v = std::min<uint32_t>(host, pi::kSixteenBitWhite);
  return static_cast<uint16_t>((v * 65535u + pi::kSixteenBitWhite / 2) / pi::kSixteenBitWhite);
}

uint16_t HostSampleOfEngine(uint16_t engine) {
  return static_cast<uint16_t>((uint32_t{engine} * pi::kSixteenBitWhite + 65535u / 2) / 65535u);
}

void SamplesToEngineRange(FilterJob& job, JobBuffer which) {
  ConvertSamples(job, which, EngineSampleOfHost);
}

void SamplesToHostRange(FilterJob& job, JobBuffer which) {
  ConvertSamples(job, which, HostSampleOfEngine);
}

void BlendWithMask(const FilterJob& job) {
  if (job.maskRowBytes == 0 || job.maskData == nullptr || job.inData == nullptr ||
      job.outData == nullptr || job.planes <= 0) {
    return;
  }
  const uint32_t full = MaskFullWeight(job);
  for (int32_t r = 0; r < job.height; ++r) {
    const uint8_t* mask = job.maskData + static_cast<ptrdiff_t>(r) * job.maskRowBytes;
    const ptrdiff_t row = static_cast<ptrdiff_t>(job.height - 1 - r) * job.rowBytes;
    const uint8_t* in = job.inData + row;
    uint8_t* out = job.outData + row;
    for (int32_t x = 0; x < job.paddedWidth; ++x) {
      const uint32_t m = MaskWeightAt(job, mask, x);
      if (m == full) continue;
      for (int32_t k = 0; k < job.planes; ++k) {
        const ptrdiff_t i = static_cast<ptrdiff_t>(x) * job.planes + k;
        if (job.sampleBytes == 2) {
          // 32768 × 65535 and its complement still fit in 32 bits.
          const uint32_t value =
              (m * LoadSample(out + 2 * i) + (full - m) * LoadSample(in + 2 * i)) / full;
          StoreSample(out + 2 * i, static_cast<uint16_t>(std::min<uint32_t>(value, 65535)));
        } else {
          const uint32_t value = (m * out[i] + (full - m) * in[i]) / full;
          out[i] = static_cast<uint8_t>(std::min<uint32_t>(value, 255));
        }
      }
    }
  }
}

namespace {

void CopyPixels(const pi::FilterRecord& record, int32_t pixelBytes, int32_t row, int32_t from,
                int32_t to) {
  if (to <= from) return;
  const auto* in = static_cast<const uint8_t*>(record.inData) +
                   static_cast<ptrdiff_t>(row) * record.inRowBytes +
                   static_cast<ptrdiff_t>(from) * pixelBytes;
  auto* out = static_cast<uint8_t*>(record.outData) +
              static_cast<ptrdiff_t>(row) * record.outRowBytes +
              static_cast<ptrdiff_t>(from) * pixelBytes;
  std::memmove(out, in, static_cast<size_t>(to - from) * static_cast<size_t>(pixelBytes));
}

}  // namespace

void CopyUnfilteredMargins(const pi::FilterRecord& record, const FilterJob& job) {
  if (record.inData == nullptr || record.outData == nullptr || job.planes <= 0) return;
  const int32_t pixelBytes = job.pixelBytes();
  const pi::Rect& rect = record.filterRect;
  const int32_t width = RectWidth(rect);
  const int32_t height = RectHeight(rect);
  if (width <= 0 || height <= 0) return;
  const int64_t rowPixelBytes = int64_t{width} * pixelBytes;
  if (record.inRowBytes < rowPixelBytes || record.outRowBytes < rowPixelBytes) return;
  // The job rectangle relative to filterRect's top-left corner, clipped to it.
  const int32_t top = std::clamp(job.top - rect.top, 0, height);
  const int32_t bottom = std::clamp(job.bottom - rect.top, top, height);
  const int32_t left = std::clamp(job.left - rect.left, 0, width);
  const int32_t right = std::clamp(job.right - rect.left, left, width);
  for (int32_t row = 0; row < height; ++row) {
    if (row < top || row >= bottom) {
      CopyPixels(record, pixelBytes, row, 0, width);
    } else {
      CopyPixels(record, pixelBytes, row, 0, left);
      CopyPixels(record, pixelBytes, row, right, width);
    }
  }
}

}  // namespace ulvo
