// One image, one result on every target: the native, 32-bit and 64-bit
// Windows and 32-bit Linux builds of this test must all reproduce the
// digests in cross_target_digests.inc, rendered by every scatter path. The
// scenes cover the tone curves' families, the scaled and the fine-sum range
// of high hardness, depth with occlusion, skip 3, three-plane patterns, a
// band that moves and 16-bit samples (the digest of their native-endian
// bytes: every target is little-endian). The math functions are checked on
// their own as well, so that a difference there is named as such.
//
// When an intended change alters the pictures, regenerate the digests with
// scripts/update-digests and say in the change why they moved.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "src/engine/portable_math.h"
#include "src/engine/tone_curve.h"
#include "tests/engine/engine_test_support.h"

namespace ulvo::testing {
namespace {

struct Digest {
  const char* name;
  uint32_t crc;
};

constexpr Digest kDigests[] = {
#include "tests/engine/cross_target_digests.inc"
};

uint32_t Crc(const void* data, size_t size) {
  return static_cast<uint32_t>(
      crc32(crc32(0L, Z_NULL, 0), static_cast<const Bytef*>(data), static_cast<uInt>(size)));
}

// A small photograph-like scene built from integers only, so that it is the
// same on every target: smooth colour with fine texture, a grid of bright
// lights, depth rising from left to right with two nearer blocks in front.
ReferenceScene PhotoScene(int width, int height) {
  ReferenceScene s;
  s.width = width;
  s.height = height;
  s.colour.resize(static_cast<size_t>(width) * height * 3);
  s.depth.resize(static_cast<size_t>(width) * height);
  std::mt19937 random(20261208);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const size_t at = static_cast<size_t>(y) * width + x;
      const int texture = static_cast<int>(random() % 41) - 20;
      const int base[3] = {40 + 150 * x / width, 30 + 120 * y / height,
                           90 + 80 * (x + y) / (width + height)};
      const int lx = x % 24 - 12, ly = y % 20 - 10;
      const bool light = lx * lx + ly * ly <= 4;
      for (int c = 0; c < 3; ++c) {
        s.colour[at * 3 + c] =
            static_cast<uint8_t>(light ? 255 : std::clamp(base[c] + texture, 0, 255));
      }
      const bool near_block = (x > width / 5 && x < width / 3 && y > height / 4) ||
                              (x > 2 * width / 3 && x < 4 * width / 5 && y < height / 2);
      s.depth[at] = static_cast<uint8_t>(near_block ? 25 : 60 + 190 * x / width);
    }
  }
  s.pattern_width = s.pattern_height = 25;
  s.pattern = TintedDiscPattern(25, 23);
  s.max_blur = 21;
  s.large_levels = 10;
  s.focus = 128;
  return s;
}

struct SceneCase {
  const char* name;
  ReferenceScene scene;
};

std::vector<SceneCase> Scenes() {
  std::vector<SceneCase> cases;
  const auto add = [&](const char* name, ReferenceScene scene, double hardness, double brightness,
                       int skip) {
    scene.hardness = hardness;
    scene.brightness = brightness;
    scene.skip = skip;
    cases.push_back({name, std::move(scene)});
  };
  const ReferenceScene photo = PhotoScene(144, 108);
  add("photo-tangent", photo, 1.0, 1.0, 1);
  add("photo-tangent-skip3", photo, 1.0, 1.0, 3);
  add("photo-exponential", photo, 1.6, 1.0, 1);
  add("photo-scaled", photo, 3.0, 4.0, 3);
  add("photo-fine-sums", photo, 6.0, 2.5, 1);
  add("photo-fine-sums-skip3", photo, 5.0, 1.0, 3);
  ReferenceScene no_depth = photo;
  no_depth.depth.clear();
  no_depth.pattern_width = no_depth.pattern_height = 11;
  no_depth.pattern = TintedDiscPattern(11, 9);
  add("photo-no-depth", no_depth, 1.0, 1.0, 1);
  add("photo-no-depth-fine-sums", no_depth, 6.0, 1.0, 1);
  ReferenceScene grey = photo;
  grey.pattern = DiscPattern(25, 23);
  add("photo-grey-pattern", grey, 0.5, 0.3, 1);
  // Taller than the band: rows are written while the band moves down.
  ReferenceScene tall = PhotoScene(40, 560);
  tall.pattern_width = tall.pattern_height = 17;
  tall.pattern = TintedDiscPattern(17, 15);
  tall.max_blur = 15;
  add("tall-moving-band", tall, 1.0, 1.0, 1);
  add("tall-moving-band-fine-sums", tall, 6.0, 1.0, 1);
  return cases;
}

// The scene at 16 bits: each sample 257 times its byte plus a fraction of
// a step that varies from pixel to pixel, from integers only.
Scene16 Photo16(const ReferenceScene& scene) {
  Scene16 s{scene, Times257(scene.colour)};
  for (size_t i = 0; i < s.colour.size(); ++i) {
    s.colour[i] = static_cast<uint16_t>(std::min<size_t>(65535, s.colour[i] + (i * 37) % 257));
  }
  return s;
}

std::vector<std::pair<const char*, Scene16>> Scenes16() {
  std::vector<std::pair<const char*, Scene16>> cases;
  const auto add = [&](const char* name, ReferenceScene scene, double hardness, double brightness) {
    scene.hardness = hardness;
    scene.brightness = brightness;
    cases.emplace_back(name, Photo16(scene));
  };
  const ReferenceScene photo = PhotoScene(144, 108);
  add("photo16-tangent", photo, 1.0, 1.0);
  add("photo16-scaled", photo, 3.0, 4.0);
  add("photo16-fine-sums", photo, 6.0, 2.5);
  ReferenceScene no_depth = photo;
  no_depth.depth.clear();
  no_depth.pattern_width = no_depth.pattern_height = 11;
  no_depth.pattern = TintedDiscPattern(11, 9);
  add("photo16-no-depth", no_depth, 0.5, 1.0);
  return cases;
}

// The light curve, its inverse and the other math functions at many
// arguments, as bits.
uint32_t MathDigest() {
  std::vector<double> values;
  for (int h = 5; h <= 60; ++h) {
    const double hardness = static_cast<float>(h / 10.0);
    for (int i = 0; i < 256; ++i) values.push_back(ToneLight(i, hardness));
  }
  for (int k = 0; k < 4000; ++k) {
    const double light = math::Pow(10.0, -3.0 + k * 0.008);
    values.push_back(static_cast<double>(InverseTone(light, 1.0)));
    values.push_back(math::Log10(light * 1e-9));
    values.push_back(math::Atan(-4.0 + k * 0.002));
    values.push_back(math::Exp(-k * 0.003));
    values.push_back(math::Sin(k * 0.01));
    values.push_back(math::Cos(k * 0.01));
  }
  return Crc(values.data(), values.size() * sizeof(double));
}

std::map<std::string, uint32_t> ComputeDigests() {
  std::map<std::string, uint32_t> digests;
  digests["math"] = MathDigest();
  for (const SceneCase& c : Scenes()) {
    EngineOptions options;
    options.threads = 2;
    options.threaded_min_pixels = 0;
    const EngineRun run = RenderScene(c.scene, nullptr, options);
    EXPECT_EQ(run.status, RenderStatus::kDone) << c.name;
    digests[c.name] = Crc(run.output.data(), run.output.size());
    // The other paths render the same bytes.
    for (ScatterPath path : {ScatterPath::kReference, ScatterPath::kFast}) {
      EngineOptions other = options;
      other.scatter_path = path;
      const EngineRun again = RenderScene(c.scene, nullptr, other);
      EXPECT_EQ(again.output, run.output)
          << c.name << ": the scatter paths differ (" << static_cast<int>(path) << ")";
    }
  }
  for (const auto& [name, scene] : Scenes16()) {
    EngineOptions options;
    options.threads = 2;
    options.threaded_min_pixels = 0;
    const EngineRun16 run = RenderScene16(scene, nullptr, options);
    EXPECT_EQ(run.status, RenderStatus::kDone) << name;
    digests[name] = Crc(run.output.data(), run.output.size() * sizeof(uint16_t));
    for (ScatterPath path : {ScatterPath::kReference, ScatterPath::kFast}) {
      EngineOptions other = options;
      other.scatter_path = path;
      EXPECT_EQ(RenderScene16(scene, nullptr, other).output, run.output)
          << name << ": the scatter paths differ (" << static_cast<int>(path) << ")";
    }
  }
  return digests;
}

// Writes the digest table in the form cross_target_digests.inc holds.
void WriteTable(const std::map<std::string, uint32_t>& digests, const char* path) {
  std::ofstream out(path, std::ios::binary);
  out << "// Generated by scripts/update-digests from the native build; every target\n"
         "// must reproduce these. Regenerate only for an intended change of the pictures.\n";
  char line[128];
  for (const auto& [name, crc] : digests) {
    std::snprintf(line, sizeof line, "{\"%s\", 0x%08xu},\n", name.c_str(), crc);
    out << line;
  }
  ASSERT_TRUE(out.good()) << "could not write " << path;
}

TEST(CrossTarget, EveryTargetRendersTheCheckedInBytes) {
  const std::map<std::string, uint32_t> digests = ComputeDigests();
  if (const char* update = std::getenv("ULVO_UPDATE_DIGESTS")) {
    WriteTable(digests, update);
    return;
  }
  std::map<std::string, uint32_t> expected;
  for (const Digest& d : kDigests) expected[d.name] = d.crc;
  for (const auto& [name, crc] : digests) {
    ASSERT_EQ(expected.count(name), 1u) << name << " has no checked-in digest";
    char got[16], want[16];
    std::snprintf(got, sizeof got, "%08x", crc);
    std::snprintf(want, sizeof want, "%08x", expected[name]);
    EXPECT_STREQ(got, want) << name
                            << (name == "math" ? ": the math functions differ"
                                               : ": the render differs");
  }
  EXPECT_EQ(expected.size(), digests.size()) << "checked-in digests of scenes no longer rendered";
}

}  // namespace
}  // namespace ulvo::testing
