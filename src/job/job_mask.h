// The selection mask of a job as the host delivered it. An 8-bit job's mask
// has one byte a pixel, 255 fully selected. A 16-bit job's mask takes two
// bytes a pixel in the host's 16-bit range, 0..32768 (0x8000 fully
// selected), native-endian; larger values count as fully selected.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "src/job/filter_job.h"

namespace ulvo {

// The weight of a fully selected pixel in the job's mask.
inline uint32_t MaskFullWeight(const FilterJob& job) {
  return job.sampleBytes == 2 ? 32768u : 255u;
}

// The weight at column x of one mask row, 0..MaskFullWeight(job).
inline uint32_t MaskWeightAt(const FilterJob& job, const uint8_t* row, int32_t x) {
  if (job.sampleBytes != 2) return row[x];
  uint16_t value = 0;
  std::memcpy(&value, row + static_cast<ptrdiff_t>(x) * 2, sizeof value);
  return std::min<uint32_t>(value, 32768u);
}

// The weight at column x scaled to 0..255, rounded, for pictures.
inline uint8_t MaskWeight8At(const FilterJob& job, const uint8_t* row, int32_t x) {
  const uint32_t weight = MaskWeightAt(job, row, x);
  if (job.sampleBytes != 2) return static_cast<uint8_t>(weight);
  return static_cast<uint8_t>((weight * 255u + 16384u) / 32768u);
}

}  // namespace ulvo
