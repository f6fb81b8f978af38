// Aperture patterns drawn by code: the bundled patterns under data/patterns
// and the default pattern built into the tool come from here.
#pragma once

#include <string>
#include <vector>

#include "src/imageio/image_file.h"
#include "src/imageio/pattern_loader.h"

namespace ulvo {

enum class ApertureShape {
  kDisc,            // a round opening
  kHexagon,         // six straight blades
  kCurvedHeptagon,  // seven blades with outward-curved edges
  kColourFringe,    // a disc whose red, green and blue openings differ in size
};

// The names used on the command line and as file names.
const std::vector<std::pair<std::string, ApertureShape>>& ApertureShapeNames();

// Draws the shape into a size x size image with an anti-aliased edge: one
// grey channel, or three for the colour-fringe shape.
Image DrawAperture(ApertureShape shape, int size);

// The image as the pattern loader would deliver it (bottom-up BGR, rows
// padded to 4 bytes).
PatternBitmap ToPatternBitmap(const Image& image);

// The pattern used when none is given: a 64-pixel disc.
PatternBitmap DefaultPattern();

}  // namespace ulvo
