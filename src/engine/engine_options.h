// Run-time choices of a DefocusEngine that do not change what it renders.
#pragma once

namespace ulvo {

// How the scatter adds kernels into the accumulator band. Every path renders
// exactly the same bytes; the outline path is the quickest.
enum class ScatterPath {
  // The plain single-threaded loop, one channel at a time: the yardstick the
  // faster path is measured and tested against.
  kReference,
  // Horizontal stripes on several threads, the three channels of a pixel
  // added in one pass, vector instructions where the processor has them.
  kFast,
  // The fast path's stripes, with kernel rows added as constant runs (two
  // additions into difference rows) where they hold long ones, and the
  // weight of neighbouring pixels on one level added once per run of them.
  kOutline,
};

struct EngineOptions {
  ScatterPath scatter_path = ScatterPath::kOutline;
  // Worker threads of the threaded paths; 0 or less: one per hardware thread.
  // Small regions and bands that would not fit the memory budget use fewer.
  int threads = 0;
  // Regions of fewer pixels render on one thread: starting threads would
  // cost more than it saves.
  int threaded_min_pixels = 65536;
  // The threaded paths' vector instructions; off, they use plain loops.
  bool simd = true;
  // Testing aid: the working-buffer allocation with this 0-based index fails
  // as if memory had run out. Negative: no allocation is made to fail.
  int fail_allocation = -1;
};

}  // namespace ulvo
