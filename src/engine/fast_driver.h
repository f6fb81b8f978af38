// The threaded render driver (the fast and the outline path): the region is
// cut into horizontal stripes (stripe_plan.h) that worker threads scatter
// into bands of their own (stripe_worker.h), each through the scatter the
// render's path chose (stripe_scatter.h). The sums are integers, so the
// output is the same, byte for byte, as the reference driver's for any
// thread count.
//
// The calling thread stays the one that talks to the progress reporter
// (progress_ticker.h): it waits on the workers with a timeout and reports at
// least every 100 ms; a confirmed cancel makes every worker stop before its
// next source row.
#pragma once

#include "src/engine/render_context.h"

namespace ulvo {

enum class FastDriveResult {
  kDone,
  kCancelled,
  kOutOfMemory,    // a band could not be allocated; nothing was written
  kNotApplicable,  // kernels reach beyond the reference band's schedule; use the reference
};

FastDriveResult FastDrive(const RenderContext& context);

}  // namespace ulvo
