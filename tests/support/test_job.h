// A FilterJob over buffers of its own, as the entry point hands one to the
// editor.
#pragma once

#include <cstdint>
#include <vector>

#include "src/job/filter_job.h"

namespace ulvo {

// width × height pixels of `planes` bytes, each row `rowPad` bytes longer
// than its pixels. Every input byte differs from its neighbours (byte k
// holds k × 13 + 1); the output starts at 0.
struct TestJob {
  TestJob(int32_t width, int32_t height, int32_t planes, int32_t rowPad = 0);
  // The copy's job points into the copy's own buffers wherever the
  // original's pointed into the original's.
  TestJob(const TestJob& other);
  TestJob& operator=(const TestJob&) = delete;

  // Byte `plane` of pixel `col` in buffer row `row`.
  uint8_t InByte(int32_t row, int32_t col, int32_t plane) const;
  uint8_t OutByte(int32_t row, int32_t col, int32_t plane) const;

  FilterJob job;
  std::vector<uint8_t> in;
  std::vector<uint8_t> out;
};

}  // namespace ulvo
