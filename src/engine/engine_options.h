// Run-time choices of a DefocusEngine that do not change what it renders.
#pragma once

namespace ulvo {

// How the scatter adds kernels into the accumulator band. kReference is the
// plain single-threaded loop; faster paths must match its output exactly.
enum class ScatterPath {
  kReference,
};

struct EngineOptions {
  ScatterPath scatter_path = ScatterPath::kReference;
  // Testing aid: the working-buffer allocation with this 0-based index fails
  // as if memory had run out. Negative: no allocation is made to fail.
  int fail_allocation = -1;
};

}  // namespace ulvo
