// The host's selection shown in the view as whitening: the picture the view
// draws instead of the display bitmap while the job has a selection mask.
// The display pixels themselves are never changed.
#pragma once

#include <cstdint>

#include "src/editor/display_image.h"
#include "src/job/filter_job.h"

namespace ulvo {

// True when the job carries a selection mask.
bool JobHasMask(const FilterJob& job);

// Fills `overlay` (display.byteSize() bytes, laid out as the display pixels)
// from them and the mask:
// each colour byte p of a pixel whose mask byte is m becomes
// p × m / 255 + (255 − m), at most 255; fully selected pixels stay, unselected
// ones turn white. The mask is top-down, the display bottom-up. Columns that
// the mask's rows do not reach are shown as they are.
void ComposeSelectionOverlay(const DisplayImage& display, const FilterJob& job, uint8_t* overlay);

}  // namespace ulvo
