#include "tests/engine/reference_render16.h"

#include <algorithm>
#include <cmath>

#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/input_checks.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/portable_math.h"

namespace ulvo::testing {
namespace {

// The curve's light of intensity i in the units of the band's light.
double Knot(int i, double hardness) {
  const double u =
      hardness >= 1.55
          ? math::Pow(10.0, hardness * 0.011764705882352941 * i - 2)
          : 20 * math::Pow(10.0,
                           math::Tan((i - 135) * 0.006666666666666667) / (0.65 / hardness) - 1.4);
  return u * 50000000;
}

// The 8-bit inverse curve: the step a light lies in.
int Step(double g, double hardness) {
  if (g == 0) return 0;
  const double v = hardness >= 1.55
                       ? (255 / (3 * hardness)) * (math::Log10(g * 2e-8) + 2)
                       : 150 * math::Atan((math::Log10(g * 1e-9) + 1.4) * 0.65 / hardness) + 135;
  return v > 255 - 1e-3 ? 255 : !(v > 0) ? 0 : static_cast<int>(v);
}

}  // namespace

std::vector<uint16_t> ReferenceRender16(const Scene16& scene16) {
  const ReferenceScene& s = scene16.scene;
  const int W = s.width, H = s.height;
  const bool has_depth = !s.depth.empty();
  std::vector<uint16_t> output(static_cast<size_t>(W) * H * 3, 0);

  BufferAllocator allocator;
  PatternCopy pattern;
  const PatternSource source{
      0, 3, s.pattern_width, s.pattern_height, s.pattern.data(), s.pattern_width * 3};
  if (!CopyPattern(PatternWindow(source, has_depth ? s.max_blur : 0, W, H), allocator, &pattern) ||
      !TrimPattern(&pattern)) {
    return output;
  }
  const int max_blur =
      has_depth ? std::min({s.max_blur, pattern.width, pattern.height}) : pattern.width;
  DepthLevels levels;
  if (!PrepareLevels(has_depth ? s.large_levels : 1, max_blur, 1, s.focus & 0xff, pattern.width,
                     pattern.height, &levels)) {
    return output;
  }
  int selectable = 1;
  if (has_depth) {
    std::vector<int> seen(levels.levels.size(), 0);
    for (int level : levels.depth_to_level) seen[level] = 1;
    selectable = static_cast<int>(std::count(seen.begin(), seen.end(), 1));
  }
  const KernelTone tone = PrepareKernelTone(pattern, s.hardness, s.brightness, selectable, 16);
  std::vector<KernelSet> sets(levels.levels.size());

  // Colour planes 0..2, the weight, fine colour 4..6: whole-image sums.
  std::vector<uint64_t> sums[7];
  for (auto& plane : sums) plane.assign(static_cast<size_t>(W) * H, 0);

  for (int y = 0; y < H; ++y) {
    for (int x = 0; x < W; ++x) {
      const size_t at = static_cast<size_t>(y) * W + x;
      const int L = has_depth ? levels.depth_to_level[s.depth[at]]
                              : static_cast<int>(levels.levels.size()) - 1;
      KernelSet& set = sets[L];
      if (!set.built() && !BuildLevelKernels(pattern, tone, levels.levels[L], L, allocator, &set)) {
        return output;
      }
      const double d = levels.levels[L].diameter;
      if (!(s.skip < 2 || (x % s.skip == 0 && y % s.skip == 0) || !(d > 1.5 * s.skip))) continue;
      const int kw = set.width, kh = set.height;
      const int hw = (kw - 1) / 2, hh = (kh - 1) / 2;
      const float sd = has_depth ? static_cast<float>(s.depth[at]) : 0.0f;
      for (int k = 0; k < 3; ++k) {
        const int v = scene16.colour[at * 3 + 2 - k];
        const int q = pattern.planes == 1 ? 0 : k;
        const int copies[2] = {v / 257, v / 257 + 1};
        const uint32_t shares[2] = {static_cast<uint32_t>(257 - v % 257),
                                    static_cast<uint32_t>(v % 257)};
        for (int r = 0; r < kh; ++r) {
          const int ty = y + r - hh;
          if (ty < 0 || ty >= H) continue;
          for (int c = set.span_first[r]; c <= set.span_last[r]; ++c) {
            const int tx = x + c - hw;
            if (tx < 0 || tx >= W) continue;
            const size_t to = static_cast<size_t>(ty) * W + tx;
            const size_t cell = static_cast<size_t>(r) * kw + c;
            float f = 1;
            bool dim = false;
            if (has_depth) {
              const float t = s.depth[to];
              const int dx = hw - c, dy = hh - r;
              const float dist2 = static_cast<float>(dx * dx + dy * dy);
              if (t + 5 < sd && dist2 > 4) {
                dim = true;
                f = (1.0f - std::sqrt(dist2) / static_cast<float>(d)) * (t + 5.0f) / (sd - t);
                f = f * f;
                if (f > 1) f = 1;
                if (!(f > 0)) f = 0;
              }
            }
            for (int n = 0; n < 2; ++n) {
              if (shares[n] == 0) continue;
              const int p = copies[n];
              const uint32_t value = set.Copy(p, q)[cell];
              const int shift = tone.copy_shift[p];
              const int plane = tone.fine[p] ? 4 + k : k;
              sums[plane][to] += dim ? static_cast<uint64_t>(static_cast<double>(value) *
                                                             shares[n] * std::ldexp(1.0, shift) * f)
                                     : (static_cast<uint64_t>(value) * shares[n]) << shift;
            }
            sums[3][to] += set.Weight(q)[cell];
          }
        }
      }
    }
  }

  const int64_t reference = tone.reference_weight;
  const uint64_t threshold =
      reference > 0 ? static_cast<uint64_t>(static_cast<double>(reference) * 1.05) : 0;
  const double light_scale = std::ldexp(1.0, tone.band_shift) / 257.0;
  const double fine_scale = std::ldexp(1.0, tone.fine_shift) / 257.0;
  double knot[256], per_light[255];
  for (int i = 0; i < 256; ++i) knot[i] = Knot(i, s.hardness);
  for (int i = 0; i < 255; ++i) per_light[i] = 257.0 / (knot[i + 1] - knot[i]);
  for (size_t at = 0; at < static_cast<size_t>(W) * H; ++at) {
    double scale = 0;
    const uint64_t weight = sums[3][at];
    if (reference > 0 && weight < threshold) {
      const double ratio = static_cast<double>(weight) / static_cast<double>(reference);
      if (ratio > 0.01f) scale = 1.0 / ratio;
    }
    for (int k = 0; k < 3; ++k) {
      double light = static_cast<double>(sums[k][at]) * light_scale;
      if (tone.has_fine) light += static_cast<double>(sums[4 + k][at]) * fine_scale;
      if (scale != 0) light *= scale;
      const int step = std::min(Step(light, s.hardness), 254);
      const double v = 257.0 * step + (light - knot[step]) * per_light[step];
      output[at * 3 + 2 - k] = static_cast<uint16_t>(!(v > 0)       ? 0
                                                     : v >= 65534.5 ? 65535
                                                                    : static_cast<int>(v + 0.5));
    }
  }
  return output;
}

}  // namespace ulvo::testing
