// The aperture library's shapes look like what their names say: the blade
// count, the ring's hole, the cat's eye's narrowness, the soft edge and the
// colour of each fringe's rim, measured on the drawn pictures.
#include "tools/ulvofilter/aperture_shapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <regex>
#include <set>

namespace ulvo {
namespace {

constexpr int kSize = 101;
constexpr double kRadius = (kSize - 1) / 2.0 - 1.0;  // the opening's radius in pixels
constexpr double kCentre = (kSize - 1) / 2.0;

ApertureShape Shape(const std::string& name) {
  for (const auto& [n, shape] : ApertureShapeNames()) {
    if (n == name) return shape;
  }
  ADD_FAILURE() << "no shape " << name;
  return ApertureShape::kDisc;
}

int At(const Image& image, int x, int y, int c = 0) {
  return image.row(y)[x * image.channels + c];
}

// The value at (x, y) by bilinear interpolation; 0 outside the picture.
double Sample(const Image& image, double x, double y, int c) {
  const int x0 = static_cast<int>(std::floor(x));
  const int y0 = static_cast<int>(std::floor(y));
  if (x0 < 0 || y0 < 0 || x0 + 1 >= image.width || y0 + 1 >= image.height) return 0.0;
  const double fx = x - x0;
  const double fy = y - y0;
  return (1 - fx) * (1 - fy) * At(image, x0, y0, c) + fx * (1 - fy) * At(image, x0 + 1, y0, c) +
         (1 - fx) * fy * At(image, x0, y0 + 1, c) + fx * fy * At(image, x0 + 1, y0 + 1, c);
}

// Mean difference, in levels, between the picture and itself turned by
// `angle` about its centre: near 0 when the shape has that symmetry.
double TurnMismatch(const Image& image, double angle) {
  double sum = 0;
  int count = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const double dx = x - kCentre;
      const double dy = y - kCentre;
      if (dx * dx + dy * dy > kRadius * kRadius * 1.05) continue;
      const double tx = kCentre + dx * std::cos(angle) - dy * std::sin(angle);
      const double ty = kCentre + dx * std::sin(angle) + dy * std::cos(angle);
      sum += std::abs(At(image, x, y) - Sample(image, tx, ty, 0));
      ++count;
    }
  }
  return sum / count;
}

// The open area in pixels (partly open pixels counted by their share).
double OpenArea(const Image& image, int c = 0) {
  double sum = 0;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) sum += At(image, x, y, c);
  }
  return sum / 255.0;
}

TEST(ApertureShapesTest, NamesAreDistinctFileNames) {
  std::set<std::string> names;
  std::set<ApertureShape> shapes;
  for (const auto& [name, shape] : ApertureShapeNames()) {
    EXPECT_TRUE(std::regex_match(name, std::regex("[a-z]+(-[a-z]+)*"))) << name;
    names.insert(name);
    shapes.insert(shape);
  }
  EXPECT_EQ(names.size(), ApertureShapeNames().size());
  EXPECT_EQ(shapes.size(), ApertureShapeNames().size());
  EXPECT_GE(names.size(), 18u);
}

TEST(ApertureShapesTest, EveryShapeFillsItsSquareInsideADarkBorder) {
  for (const auto& [name, shape] : ApertureShapeNames()) {
    const Image image = DrawAperture(shape, kSize);
    EXPECT_EQ(image.channels, ApertureInColour(shape) ? 3 : 1) << name;
    int left = kSize, right = -1, top = kSize, bottom = -1;
    for (int y = 0; y < kSize; ++y) {
      for (int x = 0; x < kSize; ++x) {
        for (int c = 0; c < image.channels; ++c) {
          if (At(image, x, y, c) == 0) continue;
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
      }
    }
    // Nothing on the border pixels; the opening reaches close to them
    // vertically (the cat's eye is narrow only across).
    EXPECT_GE(left, 1) << name;
    EXPECT_GE(top, 1) << name;
    EXPECT_LE(right, kSize - 2) << name;
    EXPECT_LE(bottom, kSize - 2) << name;
    EXPECT_GE(bottom - top + 1, kSize * 8 / 10) << name;
  }
}

TEST(ApertureShapesTest, BladedShapesHaveTheirNumberOfCorners) {
  const std::pair<const char*, int> bladed[] = {
      {"pentagon", 5}, {"pentagon-curved", 5}, {"hexagon", 6}, {"hexagon-curved", 6},
      {"heptagon", 7}, {"heptagon-curved", 7}, {"octagon", 8}, {"octagon-curved", 8},
      {"nonagon", 9},  {"nonagon-curved", 9},
  };
  const double pi = std::numbers::pi;
  for (const auto& [name, blades] : bladed) {
    SCOPED_TRACE(name);
    const ApertureShape shape = Shape(name);
    EXPECT_EQ(ApertureBlades(shape), blades);
    const Image image = DrawAperture(shape, kSize);
    // Turned by one blade it stays the same; by half a blade its corners
    // land on its edges.
    const double same = TurnMismatch(image, 2 * pi / blades);
    const double half = TurnMismatch(image, pi / blades);
    EXPECT_LT(same, 2.5);
    EXPECT_GT(half, 3 * same + 1.0);
    // A regular polygon inscribed in the opening's circle has the area
    // n/2 sin(2 pi / n) r^2. Curved blades meet further in: their opening
    // is rounder and a little smaller.
    const double polygon = blades / 2.0 * std::sin(2 * pi / blades) * kRadius * kRadius;
    const double area = OpenArea(image);
    if (std::string(name).ends_with("-curved")) {
      EXPECT_LT(area, polygon * 0.995);
      EXPECT_GT(area, polygon * 0.9);
    } else {
      EXPECT_NEAR(area / polygon, 1.0, 0.005);
    }
  }
}

TEST(ApertureShapesTest, RoundShapesAreRoundAndTheMirrorRingHasAHole) {
  const double pi = std::numbers::pi;
  for (const char* name : {"disc", "disc-soft", "mirror-ring"}) {
    EXPECT_LT(TurnMismatch(DrawAperture(Shape(name), kSize), 0.3), 3.5) << name;
    EXPECT_EQ(ApertureBlades(Shape(name)), 0) << name;
  }
  const Image disc = DrawAperture(Shape("disc"), kSize);
  EXPECT_NEAR(OpenArea(disc), pi * kRadius * kRadius, 0.01 * pi * kRadius * kRadius);

  const Image ring = DrawAperture(Shape("mirror-ring"), kSize);
  const int c = static_cast<int>(kCentre);
  EXPECT_EQ(At(ring, c, c), 0);
  EXPECT_EQ(At(ring, c + static_cast<int>(kRadius * 0.3), c), 0);
  EXPECT_EQ(At(ring, c + static_cast<int>(kRadius * 0.75), c), 255);
  EXPECT_EQ(At(ring, c, c - static_cast<int>(kRadius * 0.75)), 255);
  EXPECT_LT(OpenArea(ring), OpenArea(disc) * 0.85);
}

TEST(ApertureShapesTest, SoftDiscFadesOverAWideRim) {
  // Share of the lit pixels that are neither dark nor full.
  const auto partial = [](const Image& image) {
    int lit = 0, between = 0;
    for (uint8_t v : image.pixels) {
      lit += v > 0;
      between += v > 16 && v < 239;
    }
    return static_cast<double>(between) / lit;
  };
  const Image soft = DrawAperture(Shape("disc-soft"), kSize);
  const Image hard = DrawAperture(Shape("disc"), kSize);
  const int c = static_cast<int>(kCentre);
  EXPECT_EQ(At(soft, c, c), 255);
  EXPECT_GT(partial(soft), 0.4);
  EXPECT_LT(partial(hard), 0.1);
  // The light falls steadily from the centre out.
  for (int x = c; x + 1 < kSize; ++x) EXPECT_GE(At(soft, x, c), At(soft, x + 1, c)) << x;
}

TEST(ApertureShapesTest, CatsEyeIsNarrowAcrossAndSymmetric) {
  const Image eye = DrawAperture(Shape("cats-eye"), kSize);
  const int c = static_cast<int>(kCentre);
  int wide = 0, tall = 0;
  for (int i = 0; i < kSize; ++i) {
    wide += At(eye, i, c) > 127;
    tall += At(eye, c, i) > 127;
  }
  EXPECT_LT(wide, tall * 0.8);
  EXPECT_GT(wide, tall * 0.6);
  // Mirrored left to right and top to bottom.
  for (int y = 0; y < kSize; ++y) {
    for (int x = 0; x < kSize; ++x) {
      ASSERT_EQ(At(eye, x, y), At(eye, kSize - 1 - x, y)) << x << "," << y;
      ASSERT_EQ(At(eye, x, y), At(eye, x, kSize - 1 - y)) << x << "," << y;
    }
  }
}

TEST(ApertureShapesTest, ColourFringesColourTheirRimsAndLeaveTheCentreWhite) {
  // The rim's colour: which channels are open where the others have closed.
  struct Fringe {
    const char* name;
    bool red, green, blue;
  };
  const Fringe fringes[] = {
      {"colour-fringe", true, false, false},
      {"colour-fringe-blue", false, false, true},
      {"colour-fringe-green", false, true, false},
      {"colour-fringe-purple", true, false, true},
  };
  for (const Fringe& f : fringes) {
    SCOPED_TRACE(f.name);
    ASSERT_TRUE(ApertureInColour(Shape(f.name)));
    const Image image = DrawAperture(Shape(f.name), kSize);
    const int c = static_cast<int>(kCentre);
    for (int ch = 0; ch < 3; ++ch) EXPECT_EQ(At(image, c, c, ch), 255) << ch;
    // Just inside the widest opening, on four sides.
    const int r = static_cast<int>(kRadius * 0.97);
    const std::pair<int, int> rim[] = {{c + r, c}, {c - r, c}, {c, c + r}, {c, c - r}};
    for (const auto& [x, y] : rim) {
      const bool open[3] = {f.red, f.green, f.blue};
      for (int ch = 0; ch < 3; ++ch) {
        if (open[ch]) {
          EXPECT_EQ(At(image, x, y, ch), 255) << x << "," << y << " channel " << ch;
        } else {
          EXPECT_EQ(At(image, x, y, ch), 0) << x << "," << y << " channel " << ch;
        }
      }
    }
  }
  for (const auto& [name, shape] : ApertureShapeNames()) {
    EXPECT_EQ(ApertureInColour(shape), name.starts_with("colour-fringe")) << name;
  }
}

}  // namespace
}  // namespace ulvo
