#include "tools/ulvofilter/aperture_shapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include "src/engine/portable_math.h"

namespace ulvo {
namespace {

constexpr int kSupersample = 4;  // samples per pixel side for the edge coverage

enum class Outline {
  kRound,           // the unit circle
  kStraightBlades,  // a regular polygon inscribed in the unit circle
  kCurvedBlades,    // the same with each edge an arc bulging outward
  kCatsEye,         // the overlap of two unit circles side by side
  kRing,            // the unit circle less a central disc
};

struct Geometry {
  Outline outline = Outline::kRound;
  int blades = 0;
  // Share of the radius over which the light of a round opening fades to
  // nothing at its rim; 0 for a hard edge.
  double softEdge = 0.0;
  bool colour = false;
  // Opening size of the red, green and blue channels, for the colour fringes.
  std::array<double, 3> channelScale{1.0, 1.0, 1.0};
};

// One blade edge: its outward normal, and the centre of its arc when curved.
struct BladeEdge {
  double cosA = 0.0;
  double sinA = 0.0;
  double arcX = 0.0;
  double arcY = 0.0;
};

// What the drawing needs of an outline, worked out once per picture.
struct PreparedShape {
  Geometry geometry;
  double apothem = 0.0;  // distance of each straight edge from the centre
  std::vector<BladeEdge> edges;
};

// Radius of a blade edge's arc: large against the opening, so the edges bulge
// gently, as on a rounded diaphragm.
constexpr double kBladeArcRadius = 2.2;
// Horizontal offset of the two circles of the cat's eye from the centre.
constexpr double kCatsEyeOffset = 0.3;
// Radius of the mirror lens's central obstruction.
constexpr double kRingHole = 0.5;

Geometry GeometryOf(ApertureShape shape) {
  using enum ApertureShape;
  switch (shape) {
    case kDisc:
      return {};
    case kSoftDisc:
      return {.softEdge = 0.5};
    case kPentagon:
      return {.outline = Outline::kStraightBlades, .blades = 5};
    case kCurvedPentagon:
      return {.outline = Outline::kCurvedBlades, .blades = 5};
    case kHexagon:
      return {.outline = Outline::kStraightBlades, .blades = 6};
    case kCurvedHexagon:
      return {.outline = Outline::kCurvedBlades, .blades = 6};
    case kHeptagon:
      return {.outline = Outline::kStraightBlades, .blades = 7};
    case kCurvedHeptagon:
      return {.outline = Outline::kCurvedBlades, .blades = 7};
    case kOctagon:
      return {.outline = Outline::kStraightBlades, .blades = 8};
    case kCurvedOctagon:
      return {.outline = Outline::kCurvedBlades, .blades = 8};
    case kNonagon:
      return {.outline = Outline::kStraightBlades, .blades = 9};
    case kCurvedNonagon:
      return {.outline = Outline::kCurvedBlades, .blades = 9};
    case kCatsEye:
      return {.outline = Outline::kCatsEye};
    case kMirrorRing:
      return {.outline = Outline::kRing};
    // Lateral colour: one channel's opening reaches furthest and colours the rim.
    case kColourFringe:
      return {.colour = true, .channelScale = {1.0, 0.93, 0.86}};
    case kColourFringeBlue:
      return {.colour = true, .channelScale = {0.86, 0.93, 1.0}};
    case kColourFringeGreen:
      return {.colour = true, .channelScale = {0.9, 1.0, 0.9}};
    case kColourFringePurple:
      return {.colour = true, .channelScale = {1.0, 0.9, 1.0}};
  }
  return {};
}

// Direction of the outward normal of blade edge `i` of `blades`. Odd counts
// have a corner at the top; even counts a corner at the right and left.
double BladeNormal(int i, int blades) {
  const double pi = std::numbers::pi;
  if (blades % 2 == 0) return pi / blades + i * pi / (blades / 2);
  return -pi / 2 + pi / blades + i * 2 * pi / blades;
}

PreparedShape Prepare(const Geometry& geometry) {
  PreparedShape shape;
  shape.geometry = geometry;
  if (geometry.blades == 0) return shape;
  const int blades = geometry.blades;
  shape.apothem = math::Cos(std::numbers::pi / blades);
  for (int i = 0; i < blades; ++i) {
    const double a = BladeNormal(i, blades);
    BladeEdge edge;
    edge.cosA = math::Cos(a);
    edge.sinA = math::Sin(a);
    // The arc's circle is centred on the far side of the opening and touches
    // the straight edge's midpoint.
    edge.arcX = -(kBladeArcRadius - shape.apothem) * edge.cosA;
    edge.arcY = -(kBladeArcRadius - shape.apothem) * edge.sinA;
    shape.edges.push_back(edge);
  }
  return shape;
}

bool InsideBlades(const PreparedShape& shape, bool curved, double x, double y) {
  for (const BladeEdge& e : shape.edges) {
    if (!curved) {
      // Inside the half-plane whose edge touches the inscribed polygon.
      if (x * e.cosA + y * e.sinA > shape.apothem) return false;
    } else if ((x - e.arcX) * (x - e.arcX) + (y - e.arcY) * (y - e.arcY) >
               kBladeArcRadius * kBladeArcRadius) {
      return false;
    }
  }
  return true;
}

// How much light passes at the point (x, y), measured from the centre in
// units of the opening's radius: 0 (none) to 1 (all).
double Transmission(const PreparedShape& shape, double x, double y) {
  const Geometry& g = shape.geometry;
  const double r2 = x * x + y * y;
  switch (g.outline) {
    case Outline::kRound: {
      if (g.softEdge <= 0.0) return r2 <= 1.0 ? 1.0 : 0.0;
      const double t = std::clamp((1.0 - std::sqrt(r2)) / g.softEdge, 0.0, 1.0);
      return t * t * (3.0 - 2.0 * t);  // a smooth step, flat at both ends
    }
    case Outline::kStraightBlades:
    case Outline::kCurvedBlades:
      return InsideBlades(shape, g.outline == Outline::kCurvedBlades, x, y) ? 1.0 : 0.0;
    case Outline::kCatsEye: {
      const double left = (x + kCatsEyeOffset) * (x + kCatsEyeOffset) + y * y;
      const double right = (x - kCatsEyeOffset) * (x - kCatsEyeOffset) + y * y;
      return left <= 1.0 && right <= 1.0 ? 1.0 : 0.0;
    }
    case Outline::kRing:
      return r2 <= 1.0 && r2 >= kRingHole * kRingHole ? 1.0 : 0.0;
  }
  return 0.0;
}

// The light of pixel (px, py) averaged over its supersamples, 0..255;
// `radiusScale` shrinks or grows the opening.
uint8_t Coverage(const PreparedShape& shape, int px, int py, int size, double radiusScale) {
  const double centre = (size - 1) / 2.0;
  const double radius = (size - 1) / 2.0 - 1.0;  // a dark border pixel all round
  double light = 0.0;
  for (int sy = 0; sy < kSupersample; ++sy) {
    for (int sx = 0; sx < kSupersample; ++sx) {
      const double x = px - 0.5 + (sx + 0.5) / kSupersample - centre;
      const double y = py - 0.5 + (sy + 0.5) / kSupersample - centre;
      light += Transmission(shape, x / radius / radiusScale, y / radius / radiusScale);
    }
  }
  return static_cast<uint8_t>(light * 255 / (kSupersample * kSupersample));
}

}  // namespace

const std::vector<std::pair<std::string, ApertureShape>>& ApertureShapeNames() {
  using enum ApertureShape;
  static const std::vector<std::pair<std::string, ApertureShape>> names = {
      {"disc", kDisc},
      {"disc-soft", kSoftDisc},
      {"pentagon", kPentagon},
      {"pentagon-curved", kCurvedPentagon},
      {"hexagon", kHexagon},
      {"hexagon-curved", kCurvedHexagon},
      {"heptagon", kHeptagon},
      {"heptagon-curved", kCurvedHeptagon},
      {"octagon", kOctagon},
      {"octagon-curved", kCurvedOctagon},
      {"nonagon", kNonagon},
      {"nonagon-curved", kCurvedNonagon},
      {"cats-eye", kCatsEye},
      {"mirror-ring", kMirrorRing},
      {"colour-fringe", kColourFringe},
      {"colour-fringe-blue", kColourFringeBlue},
      {"colour-fringe-green", kColourFringeGreen},
      {"colour-fringe-purple", kColourFringePurple},
  };
  return names;
}

int ApertureBlades(ApertureShape shape) {
  return GeometryOf(shape).blades;
}

bool ApertureInColour(ApertureShape shape) {
  return GeometryOf(shape).colour;
}

Image DrawAperture(ApertureShape shape, int size) {
  const PreparedShape prepared = Prepare(GeometryOf(shape));
  const Geometry& geometry = prepared.geometry;
  Image image;
  image.width = size;
  image.height = size;
  image.channels = geometry.colour ? 3 : 1;
  image.pixels.resize(static_cast<size_t>(size) * size * image.channels);
  for (int y = 0; y < size; ++y) {
    uint8_t* row = image.row(y);
    for (int x = 0; x < size; ++x) {
      for (int c = 0; c < image.channels; ++c) {
        row[x * image.channels + c] = Coverage(prepared, x, y, size, geometry.channelScale[c]);
      }
    }
  }
  return image;
}

PatternBitmap ToPatternBitmap(const Image& image) {
  PatternBitmap bitmap;
  bitmap.width = image.width;
  bitmap.height = image.height;
  bitmap.rowStride = PatternRowStride(static_cast<uint32_t>(image.width));
  bitmap.pixels.assign(static_cast<size_t>(bitmap.rowStride) * image.height, 0);
  const bool grey = image.channels < 3;
  for (int y = 0; y < image.height; ++y) {
    size_t src = static_cast<size_t>(y) * image.width * image.channels;
    uint8_t* dst =
        bitmap.pixels.data() + static_cast<size_t>(image.height - 1 - y) * bitmap.rowStride;
    for (int x = 0; x < image.width; ++x, src += static_cast<size_t>(image.channels), dst += 3) {
      dst[0] = image.sample8(grey ? src : src + 2);
      dst[1] = image.sample8(grey ? src : src + 1);
      dst[2] = image.sample8(src);
    }
  }
  return bitmap;
}

PatternBitmap DefaultPattern() {
  return ToPatternBitmap(DrawAperture(ApertureShape::kDisc, 64));
}

}  // namespace ulvo
