#include "src/engine/render_context.h"

namespace ulvo {

RenderContext::RenderContext(const RenderInputs& in, const PatternCopy& trimmed,
                             const DepthLevels& depth_levels, const KernelTone& kernel_tone,
                             BufferAllocator& buffers, RunStats& run_stats, int16_t skip_factor)
    : inputs(in),
      pattern(trimmed),
      levels(depth_levels),
      tone(kernel_tone),
      allocator(buffers),
      stats(run_stats),
      skip(skip_factor) {
  flush.hardness = tone.hardness;
  flush.colour_shift = tone.band_shift;
  flush.fine_shift = tone.fine_shift;
  flush.reference_weight = tone.reference_weight;
  flush.image_width = inputs.width;
  flush.image_height = inputs.height;
}

bool ScatteredUnderSkip(int x, int y, int skip, double diameter) {
  // Large kernels are scattered only on the skip grid; small ones always.
  return skip < 2 || (x % skip == 0 && y % skip == 0) || !(diameter > 1.5 * skip);
}

}  // namespace ulvo
