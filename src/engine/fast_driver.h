// The fast render driver: the region is cut into horizontal stripes that
// worker threads scatter into bands of their own, each covering its stripe
// and the kernels' reach above and below. Rows that only one stripe reaches
// are written by that stripe's thread as soon as they are complete; rows
// near a stripe boundary are summed from both stripes first. Sums are
// integers, so the order of the additions does not matter and the output is
// the same, byte for byte, as the reference driver's for any thread count.
//
// The calling thread stays the one that talks to the progress reporter: it
// waits on the workers with a timeout and reports at least every 100 ms; a
// confirmed cancel makes every worker stop before its next source row.
#pragma once

#include <cstdint>

#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/render_inputs.h"

namespace ulvo {

struct RunStats;

struct FastDriveSetup {
  const RenderInputs* inputs = nullptr;
  const PatternCopy* pattern = nullptr;  // trimmed
  const DepthLevels* levels = nullptr;
  const KernelTone* tone = nullptr;
  BufferAllocator* allocator = nullptr;
  RunStats* stats = nullptr;
  int16_t skip = 1;
};

enum class FastDriveResult {
  kDone,
  kCancelled,
  kOutOfMemory,    // a band could not be allocated; nothing was written
  kNotApplicable,  // kernels reach beyond the reference band's schedule; use the reference
};

FastDriveResult FastDrive(const FastDriveSetup& setup);

}  // namespace ulvo
