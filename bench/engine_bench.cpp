// Micro-benchmarks of the engine's passes: the kernel build of one level,
// the scatter of a row of source pixels (with and without a depth map, grey
// and three-plane patterns; the reference, fused and whole-row additions,
// the last also of 16-bit pixels) and the flush of finished band rows.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/buffer_allocator.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pair_scatter.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/scatter.h"
#include "tests/support/apertures.h"

namespace ulvo {
namespace {

KernelSet BuildLarge(const PatternCopy& pattern, const KernelTone& tone, int width) {
  LevelGeometry geometry;
  geometry.width = width;
  geometry.height = width * pattern.height / pattern.width;
  geometry.diameter = width;
  BufferAllocator allocator;
  KernelSet set;
  BuildLevelKernels(pattern, tone, geometry, 12, allocator, &set);
  return set;
}

// Deterministic bytes.
std::vector<uint8_t> Noise(size_t n, uint32_t seed) {
  std::vector<uint8_t> v(n);
  for (auto& b : v) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<uint8_t>(seed >> 24);
  }
  return v;
}

// Args: kernel width, planes.
void BM_KernelBuild(benchmark::State& state) {
  const int width = static_cast<int>(state.range(0));
  const int planes = static_cast<int>(state.range(1));
  const PatternCopy pattern = FringedDiscCopy(64, planes);
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  for (auto _ : state) {
    KernelSet set = BuildLarge(pattern, tone, width);
    benchmark::DoNotOptimize(set.values.get());
  }
}
BENCHMARK(BM_KernelBuild)
    ->Args({24, 1})
    ->Args({64, 1})
    ->Args({24, 3})
    ->Args({64, 3})
    ->Unit(benchmark::kMillisecond);

// One band row of source pixels scattered through one kernel, three channels
// each, the way the render driver calls the scatter.
// Args: kernel width, planes, depth map (0/1).
void BM_ScatterRow(benchmark::State& state) {
  const int kw = static_cast<int>(state.range(0));
  const int planes = static_cast<int>(state.range(1));
  const bool with_depth = state.range(2) != 0;
  const PatternCopy pattern = FringedDiscCopy(64, planes);
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const KernelSet set = BuildLarge(pattern, tone, kw);

  const int width = 1024;
  const int rows = set.height + 1;
  std::vector<uint64_t> planes_mem(static_cast<size_t>(4) * rows * width);
  const std::vector<uint8_t> colour = Noise(static_cast<size_t>(width) * 3, 1);
  // Depth: mostly far, with nearer steps so that some light is dimmed.
  std::vector<uint8_t> depth(static_cast<size_t>(width) * rows, 200);
  for (size_t i = 0; i < depth.size(); ++i) {
    if ((i % width) / 64 % 4 == 0) depth[i] = 150;
  }

  ScatterLevel level;
  level.width = set.width;
  level.height = set.height;
  level.diameter = static_cast<float>(kw);
  level.span_first = set.span_first.get();
  level.span_last = set.span_last.get();
  BandTarget target;
  target.weight = planes_mem.data() + static_cast<size_t>(3) * rows * width;
  target.image_width = width;
  target.image_height = rows;
  target.band_rows = rows;
  DepthView view;
  if (with_depth) view = DepthView{depth.data(), 1, width};
  const int y = (set.height - 1) / 2;

  uint64_t cells = 0;
  for (int r = 0; r < set.height; ++r) cells += set.span_last[r] - set.span_first[r] + 1;
  for (auto _ : state) {
    for (int x = 0; x < width; ++x) {
      for (int k = 0; k < 3; ++k) {
        const int plane = planes == 1 ? 0 : k;
        target.colour = planes_mem.data() + static_cast<size_t>(k) * rows * width;
        ScatterPixel(level, set.Copy(colour[static_cast<size_t>(x) * 3 + k], plane),
                     set.Weight(plane), target, view, x, y);
      }
    }
    benchmark::ClobberMemory();
  }
  // One channel's kernel cell (colour and weight) per count.
  state.counters["cells/s"] = benchmark::Counter(
      static_cast<double>(cells) * 3 * width * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ScatterRow)
    ->Args({24, 1, 0})
    ->Args({24, 1, 1})
    ->Args({24, 3, 0})
    ->Args({24, 3, 1})
    ->Args({64, 1, 0})
    ->Args({64, 1, 1})
    ->Unit(benchmark::kMillisecond);

// The same row of pixels through the fast path's fused scatter: the three
// channels of a pixel in one pass, whole pixels per call, vector adds or
// plain loops. No occlusion. Args: kernel width, planes, vector adds (0/1).
void BM_FusedScatterRow(benchmark::State& state) {
  const int kw = static_cast<int>(state.range(0));
  const int planes = static_cast<int>(state.range(1));
  const bool simd = state.range(2) != 0;
  const PatternCopy pattern = FringedDiscCopy(64, planes);
  const KernelTone tone = PrepareKernelTone(pattern, 1.0, 1.0);
  const KernelSet set = BuildLarge(pattern, tone, kw);

  const int width = 1024;
  const int rows = set.height + 1;
  std::vector<uint64_t> planes_mem(static_cast<size_t>(4) * rows * width);
  const std::vector<uint8_t> colour = Noise(static_cast<size_t>(width) * 3, 1);
  const int hw = (set.width - 1) / 2;
  uint64_t cells = 0;
  for (auto _ : state) {
    cells = 0;
    for (int x = 0; x < width; ++x) {
      FusedPixel pixel;
      for (int k = 0; k < 3; ++k) {
        const int plane = planes == 1 ? 0 : k;
        pixel.colour[k] = set.Copy(colour[static_cast<size_t>(x) * 3 + k], plane);
        pixel.weight[k] = set.Weight(plane);
      }
      pixel.span_first = set.span_first.get();
      pixel.span_last = set.span_last.get();
      pixel.kernel_width = set.width;
      pixel.row_first = 0;
      pixel.row_end = set.height;
      pixel.col_first = std::max(hw - x, 0);
      pixel.col_end = std::min(width + hw - x, set.width);
      pixel.x = x - hw;
      pixel.y = 0;
      for (int p = 0; p < 4; ++p)
        pixel.band[p] = planes_mem.data() + static_cast<size_t>(p) * rows * width;
      pixel.band_width = width;
      pixel.band_rows = rows;
      cells += AddFusedPixel(pixel, simd);
    }
    benchmark::ClobberMemory();
  }
  state.counters["cells/s"] = benchmark::Counter(
      static_cast<double>(cells) * 3 * state.iterations(), benchmark::Counter::kIsRate);
  state.SetLabel(simd ? SimdTargetName() : "plain");
}
BENCHMARK(BM_FusedScatterRow)
    ->Args({24, 1, 1})
    ->Args({24, 1, 0})
    ->Args({24, 3, 1})
    ->Args({64, 1, 1})
    ->Args({64, 1, 0})
    ->Unit(benchmark::kMillisecond);

// The same row of pixels through the outline path's addition of uneven
// kernels: whole kernel rows of the three channels (cells outside the spans
// cleared), no clipping, the weight left to the runs of pixels on a level.
// Args: kernel width, planes, vector adds (0/1).
// What the whole-row benchmarks share: a kernel set with its cells outside
// the spans cleared, at the scales of 8- or 16-bit renders, and band planes
// (seven: the fine sums too) for a row of `width` pixels.
struct DenseSetup {
  KernelTone tone;
  KernelSet set;
  uint64_t span_cells = 0;  // cells inside the spans
  int width = 1024;
  int stride = 0;  // band columns: margins for the kernels' reach
  int rows = 0;
  size_t plane_size = 0;
  std::vector<uint64_t> planes_mem;

  DenseSetup(int kernel_width, int planes, int sample_bits) {
    const PatternCopy pattern = FringedDiscCopy(64, planes);
    tone = PrepareKernelTone(pattern, 1.0, 1.0, 256, sample_bits);
    set = BuildLarge(pattern, tone, kernel_width);
    ClearOutsideSpans(&set);
    for (int r = 0; r < set.height; ++r) span_cells += set.span_last[r] - set.span_first[r] + 1;
    stride = width + 2 * set.width;
    rows = set.height + 1;
    plane_size = static_cast<size_t>(rows) * stride;
    planes_mem.resize(7 * plane_size);
  }
  uint64_t* plane(int p) { return planes_mem.data() + p * plane_size; }
};

void BM_DenseScatterRow(benchmark::State& state) {
  const int planes = static_cast<int>(state.range(1));
  const bool simd = state.range(2) != 0;
  DenseSetup setup(static_cast<int>(state.range(0)), planes, 8);
  const KernelSet& set = setup.set;
  const int width = setup.width;
  const std::vector<uint8_t> colour = Noise(static_cast<size_t>(width) * 3, 1);
  for (auto _ : state) {
    for (int x = 0; x < width; ++x) {
      DenseRows dense;
      for (int k = 0; k < 3; ++k) {
        dense.kernel[k] = set.Copy(colour[static_cast<size_t>(x) * 3 + k], planes == 1 ? 0 : k);
        dense.sums[k] = setup.plane(k) + x;
      }
      dense.band_stride = static_cast<size_t>(setup.stride);
      dense.band_rows = setup.rows;
      dense.rows = set.height;
      dense.width = set.width;
      if (simd) {
        AddDenseRowsSimd(dense);
      } else {
        AddDenseRowsPlain(dense);
      }
    }
    benchmark::ClobberMemory();
  }
  // Counted as the fused scatter counts them: the cells inside the spans.
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(setup.span_cells) * width * 3 * state.iterations(),
                         benchmark::Counter::kIsRate);
  state.SetLabel(simd ? SimdTargetName() : "plain");
}
BENCHMARK(BM_DenseScatterRow)
    ->Args({24, 1, 1})
    ->Args({24, 1, 0})
    ->Args({24, 3, 1})
    ->Args({64, 1, 1})
    ->Args({64, 1, 0})
    ->Unit(benchmark::kMillisecond);

// BM_DenseScatterRow's row in 16-bit samples: each channel adds two
// neighbouring intensity copies times their shares (a sample 257 i + a),
// into the fine or the coarse sums as the copies' scales say.
// Args: kernel width, planes, vector adds (0/1).
void BM_DensePairScatterRow(benchmark::State& state) {
  const int planes = static_cast<int>(state.range(1));
  const bool simd = state.range(2) != 0;
  DenseSetup setup(static_cast<int>(state.range(0)), planes, 16);
  const KernelSet& set = setup.set;
  const KernelTone& tone = setup.tone;
  const int width = setup.width;
  const std::vector<uint8_t> noise = Noise(static_cast<size_t>(width) * 6, 1);
  const DensePairRowsFunction add = ChooseDensePairRows(simd);
  for (auto _ : state) {
    for (int x = 0; x < width; ++x) {
      DensePairRows dense;
      for (int k = 0; k < 3; ++k) {
        const size_t at = (static_cast<size_t>(x) * 3 + k) * 2;
        const int v = noise[at] << 8 | noise[at + 1];
        const int i = v / 257;
        const int a = v - 257 * i;
        const int copies[2] = {i, a > 0 ? i + 1 : i};
        for (int t = 0; t < 2; ++t) {
          dense.kernel[k][t] = set.Copy(copies[t], planes == 1 ? 0 : k);
          dense.share[k][t] = static_cast<uint32_t>(t == 0 ? 257 - a : a);
          dense.shift[k][t] = tone.copy_shift[copies[t]];
          dense.sums[k][t] = setup.plane(ColourPlane(k, tone.fine[copies[t]])) + x;
        }
      }
      dense.band_stride = static_cast<size_t>(setup.stride);
      dense.band_rows = setup.rows;
      dense.rows = set.height;
      dense.width = set.width;
      add(dense);
    }
    benchmark::ClobberMemory();
  }
  state.counters["cells/s"] =
      benchmark::Counter(static_cast<double>(setup.span_cells) * width * 3 * state.iterations(),
                         benchmark::Counter::kIsRate);
  state.SetLabel(simd ? SimdTargetName() : "plain");
}
BENCHMARK(BM_DensePairScatterRow)
    ->Args({24, 1, 1})
    ->Args({24, 1, 0})
    ->Args({24, 3, 1})
    ->Args({64, 1, 1})
    ->Unit(benchmark::kMillisecond);

// Normalises, tone-maps and writes 64 rows of a 4000-pixel band.
void BM_Flush(benchmark::State& state) {
  const int width = 4000;
  const int rows = 64;
  const std::vector<uint8_t> noise = Noise(static_cast<size_t>(width) * rows, 3);
  std::vector<uint8_t> output(static_cast<size_t>(width) * rows * 3);
  OutputTarget target;
  target.base = output.data();
  target.row_stride = width * 3;
  FlushSettings settings;
  settings.reference_weight = 101220000;
  settings.image_width = width;
  settings.image_height = rows;
  Band band;
  BufferAllocator allocator;
  for (auto _ : state) {
    state.PauseTiming();
    AllocateBand(rows, width, false, allocator, &band);
    for (int p = 0; p < 4; ++p) {
      for (size_t i = 0; i < static_cast<size_t>(rows) * width; ++i) {
        band.plane(p)[i] = p == 3 ? 90000000 + noise[i] * 100000 : noise[i] * 400000;
      }
    }
    state.ResumeTiming();
    FlushRows(band, target, settings, 0, rows);
    benchmark::DoNotOptimize(output.data());
  }
  state.counters["pixels/s"] = benchmark::Counter(
      static_cast<double>(width) * rows * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_Flush)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace ulvo
