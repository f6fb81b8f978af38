// The render driver: walks the source region row by row, scatters every
// pixel through its depth level's kernels into the band, writes finished
// rows out as the band moves down, and reports progress with the chance to
// cancel.
#pragma once

#include <cstdint>

#include "src/engine/band_output.h"
#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/render_inputs.h"

namespace ulvo {

struct DriveSetup {
  const RenderInputs* inputs = nullptr;
  const PatternCopy* pattern = nullptr;  // trimmed
  const DepthLevels* levels = nullptr;
  const KernelTone* tone = nullptr;
  Band* band = nullptr;
  BufferAllocator* allocator = nullptr;
  int16_t skip = 1;
};

// Renders the whole region; returns true when the user confirmed an abort.
// Rows already written stay; later rows keep what the output held.
bool Drive(const DriveSetup& setup);

// The skip rule: with a skip factor of 2 or more, pixels whose level diameter
// exceeds 1.5 × skip are scattered only where x and y are multiples of it.
bool ScatteredUnderSkip(int x, int y, int skip, double diameter);

// Rows the moving band must reckon with for a kernel: the trimmed pattern's
// height, or the tallest kernel of any level when that is taller (the
// Gaussians of the small levels can be, for patterns only a few rows high).
// Half of it is the reach above and below a source row that the band
// schedule keeps; the band is sized from it.
int KernelRows(int pattern_height, const DepthLevels& levels);

// How the band output of a render writes its rows: the tone's hardness,
// band scales and reference weight, for a region of width × height.
FlushSettings MakeFlushSettings(const KernelTone& tone, int width, int height);

// Progress is shown only for regions larger than 120 × 120 pixels.
bool ProgressShown(int width, int height);

}  // namespace ulvo
