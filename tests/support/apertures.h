// Aperture patterns drawn for the tests and benchmarks: discs, ellipses and
// discs with colour fringes, as pixel buffers, as the engine's pattern copy
// and as TIFF files for the pattern loader. Samples are 255 inside and 0
// outside, without anti-aliasing, so that tests know every value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "src/engine/pattern_trim.h"

namespace ulvo {

// A size × size pattern of three bytes a pixel holding a disc of the given
// diameter centred on pixel (size / 2, size / 2); `value` is every plane's
// byte inside the disc.
std::vector<uint8_t> DiscPattern(int size, double diameter, uint8_t value = 255);

// The same disc with its three planes at different strengths.
std::vector<uint8_t> TintedDiscPattern(int size, double diameter);

// An ellipse filling a width × height pattern of `planes` bytes a pixel.
// With `fringed`, plane q's rim lies q pixels further in and its light is
// 40 × q lower, as in a pattern with colour fringes.
std::vector<uint8_t> EllipsePattern(int width, int height, int planes, bool fringed);

// EllipsePattern(size, size, planes, true) as the engine's kernel build
// takes it.
PatternCopy FringedDiscCopy(int size, int planes);

// Writes a white ellipse filling a width × height RGB TIFF.
bool WriteDiscTiff(const std::string& path, int width, int height);

}  // namespace ulvo
