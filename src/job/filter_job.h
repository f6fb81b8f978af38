// The record of one filter run that the entry point fills from the host's
// buffers and hands to the editor, and the depth map of the current run.
#pragma once

#include <cstdint>

namespace ulvo {

struct FilterJob {
  int32_t width = 0;        // requested rectangle's width before the row pad
  int32_t paddedWidth = 0;  // width plus the row pad: pixels processed per row
  int32_t height = 0;       // rows of the requested rectangle
  int32_t left = 0;         // edges of the requested rectangle, host image coordinates;
  int32_t right = 0;        // right includes the row pad (exclusive)
  int32_t bottom = 0;       // exclusive
  int32_t top = 0;
  int32_t planes = 0;    // interleaved bytes per pixel
  int32_t rowBytes = 0;  // distance between rows of inData and outData
  // While the editor runs, inData and outData are in display order: rows
  // bottom-up, bytes of each pixel in reverse plane order. The mask stays
  // top-down.
  uint8_t* inData = nullptr;
  uint8_t* outData = nullptr;
  const uint8_t* maskData = nullptr;  // null without a mask; read it through job_mask.h
  int32_t maskRowBytes = 0;
  int32_t accepted = 0;  // 1 when the user finished with the result
  int32_t repeat = 0;    // 1 when the run began without the parameters selector
  // Bytes of one sample: 1, or 2 for the host's 16-bit modes. Two-byte
  // samples are native-endian; while the editor runs they hold 0..65535
  // (the host's own range is 0..32768). The mask keeps the host's range.
  int32_t sampleBytes = 1;

  int32_t pixelBytes() const { return planes * sampleBytes; }
};

// A 16-bit job sample (0..65535) rounded to 8 bits: what the editor shows of
// it and what the depth hand-off keeps of a 16-bit donor.
inline uint8_t EightBitSample(uint16_t sample) {
  return static_cast<uint8_t>((uint32_t{sample} * 255u + 32767u) / 65535u);
}

// How an editor run on a job ended: the window closed (finished or
// cancelled, see FilterJob::accepted), or it could not open or go on for
// lack of memory; the host then gets its out-of-memory result.
enum class EditorResult { kClosed, kOutOfMemory };

// One unsigned byte per pixel, rows bottom-up, aligned with FilterJob::inData.
struct DepthBuffer {
  uint8_t* data = nullptr;
  int32_t size = 0;  // byte count; 0 = no depth map
  int32_t rowBytes = 0;

  bool present() const { return data != nullptr && size != 0; }
};

// Every pixel of the job has a depth: the image's fourth plane, or the
// depth map of the run.
inline bool JobHasDepth(const FilterJob& job, const DepthBuffer& depth) {
  return job.planes >= 4 || depth.present();
}

}  // namespace ulvo
