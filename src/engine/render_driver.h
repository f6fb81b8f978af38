// The reference render driver: walks the source region row by row on one
// thread, scatters every pixel through its depth level's kernels into the
// band one channel at a time, writes finished rows out as the band moves
// down, and reports progress with the chance to cancel.
#pragma once

#include "src/engine/band_output.h"
#include "src/engine/render_context.h"

namespace ulvo {

// Renders the whole region into `band`; returns true when the user
// confirmed an abort. Rows already written stay; later rows keep what the
// output held.
bool Drive(const RenderContext& context, Band& band);

}  // namespace ulvo
