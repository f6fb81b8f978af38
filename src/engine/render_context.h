// What every render driver works from: the caller's inputs, the trimmed
// pattern, the depth levels, the light tables, the allocator of the working
// buffers and how finished rows are written.
#pragma once

#include <cstdint>

#include "src/engine/band_output.h"
#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/render_inputs.h"

namespace ulvo {

struct RunStats;

struct RenderContext {
  const RenderInputs& inputs;
  const PatternCopy& pattern;  // trimmed
  const DepthLevels& levels;
  const KernelTone& tone;
  BufferAllocator& allocator;
  RunStats& stats;
  int16_t skip = 1;
  // The band output's settings for this region.
  FlushSettings flush;

  RenderContext(const RenderInputs& in, const PatternCopy& trimmed, const DepthLevels& depth_levels,
                const KernelTone& kernel_tone, BufferAllocator& buffers, RunStats& run_stats,
                int16_t skip_factor);

  // The level a pixel's depth selects; without a depth map the last one.
  int LevelAt(int x, int y) const {
    return inputs.depth.present() ? levels.depth_to_level[*inputs.depth.at(x, y)] : last_level();
  }
  int last_level() const { return static_cast<int>(levels.levels.size()) - 1; }
};

// The skip rule: with a skip factor of 2 or more, pixels whose level diameter
// exceeds 1.5 × skip are scattered only where x and y are multiples of it.
bool ScatteredUnderSkip(int x, int y, int skip, double diameter);

}  // namespace ulvo
