#include "tests/support/test_job.h"

#include <cstddef>

namespace ulvo {
namespace {

// `pointer` moved from the buffers of `from` to those of `to`; a pointer
// elsewhere (null, or a buffer of the test's) stays.
uint8_t* Rebased(uint8_t* pointer, const TestJob& from, TestJob& to) {
  if (pointer == from.in.data()) return to.in.data();
  if (pointer == from.out.data()) return to.out.data();
  return pointer;
}

size_t Offset(const FilterJob& job, int32_t row, int32_t col, int32_t plane) {
  return static_cast<size_t>(job.rowBytes) * row + static_cast<size_t>(job.planes) * col + plane;
}

}  // namespace

TestJob::TestJob(int32_t width, int32_t height, int32_t planes, int32_t rowPad) {
  job.width = job.paddedWidth = width;
  job.height = height;
  job.planes = planes;
  job.rowBytes = width * planes + rowPad;
  in.resize(static_cast<size_t>(job.rowBytes) * height);
  for (size_t k = 0; k < in.size(); ++k) in[k] = static_cast<uint8_t>(k * 13 + 1);
  out.assign(in.size(), 0);
  job.inData = in.data();
  job.outData = out.data();
}

TestJob::TestJob(const TestJob& other) : job(other.job), in(other.in), out(other.out) {
  job.inData = Rebased(other.job.inData, other, *this);
  job.outData = Rebased(other.job.outData, other, *this);
}

uint8_t TestJob::InByte(int32_t row, int32_t col, int32_t plane) const {
  return in[Offset(job, row, col, plane)];
}

uint8_t TestJob::OutByte(int32_t row, int32_t col, int32_t plane) const {
  return out[Offset(job, row, col, plane)];
}

}  // namespace ulvo
