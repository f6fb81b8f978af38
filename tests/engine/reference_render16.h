// A plain, slow 16-bit render, apart from the engine's drivers, bands and
// scatters: every source pixel's two weighted intensity copies are added
// cell by cell into sums over the whole image, which are then normalised
// and mapped back through the interpolated inverse curve with the
// arithmetic the engine states for 16-bit renders. The pattern copy, the
// levels, the tone scales and the kernel sets are the engine's own (the
// 8-bit reference checks those).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/engine/engine_test_support.h"

namespace ulvo::testing {

// 3 samples a pixel in the scene's order, as RenderScene16 writes them.
std::vector<uint16_t> ReferenceRender16(const Scene16& scene);

}  // namespace ulvo::testing
