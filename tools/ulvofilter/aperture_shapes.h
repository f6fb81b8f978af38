// Aperture patterns drawn by code: the aperture library shipped in the
// filter's pattern folder, the patterns under data/patterns and the default
// pattern built into the tool come from here.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "src/imageio/image_file.h"
#include "src/imageio/pattern_loader.h"

namespace ulvo {

enum class ApertureShape {
  kDisc,                // a round opening: the lens wide open
  kSoftDisc,            // a round opening whose light fades toward the rim
  kPentagon,            // five straight blades
  kCurvedPentagon,      // five blades with outward-curved edges
  kHexagon,             // six straight blades
  kCurvedHexagon,       // six curved blades
  kHeptagon,            // seven straight blades
  kCurvedHeptagon,      // seven curved blades
  kOctagon,             // eight straight blades
  kCurvedOctagon,       // eight curved blades
  kNonagon,             // nine straight blades
  kCurvedNonagon,       // nine curved blades
  kCatsEye,             // a disc cut by the lens barrel, as near the frame's corners
  kMirrorRing,          // a ring: the mirror lens's central obstruction
  kColourFringe,        // a disc with a red rim (red opening widest, blue narrowest)
  kColourFringeBlue,    // a disc with a blue rim
  kColourFringeGreen,   // a disc with a green rim
  kColourFringePurple,  // a disc with a purple rim (red and blue wider than green)
};

// Every shape with the name used on the command line and as the file name in
// the pattern folder, in the library's order.
const std::vector<std::pair<std::string, ApertureShape>>& ApertureShapeNames();

// The number of straight or curved blades of a polygonal shape; 0 for the
// others.
int ApertureBlades(ApertureShape shape);

// Whether the shape is drawn in colour (three channels) rather than grey.
bool ApertureInColour(ApertureShape shape);

// Draws the shape into a size x size image with an anti-aliased edge and a
// dark border pixel all round: one grey channel, or three for the colour
// fringes.
Image DrawAperture(ApertureShape shape, int size);

// The image as the pattern loader would deliver it (bottom-up BGR, rows
// padded to 4 bytes; 16-bit samples rounded to 8 bits).
PatternBitmap ToPatternBitmap(const Image& image);

// The pattern used when none is given: a 64-pixel disc.
PatternBitmap DefaultPattern();

}  // namespace ulvo
