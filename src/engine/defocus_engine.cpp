#include "src/engine/defocus_engine.h"

#include <algorithm>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/fast_driver.h"
#include "src/engine/input_checks.h"
#include "src/engine/kernel_set.h"
#include "src/engine/level_kernels.h"
#include "src/engine/pattern_trim.h"
#include "src/engine/render_context.h"
#include "src/engine/render_driver.h"
#include "src/engine/render_inputs.h"

namespace ulvo {
namespace {

// Output = source, for renders that cannot blur.
void CopySourceToOutput(const RenderInputs& in) {
  for (int y = 0; y < in.height; ++y) {
    uint8_t* out = in.output.base + static_cast<ptrdiff_t>(y) * in.output.row_stride;
    for (int x = 0; x < in.width; ++x, out += in.output.pixel_stride) {
      const uint8_t* pixel = in.SourcePixel(x, y);
      if (in.sample_bytes == 2) {
        const uint16_t samples[3] = {in.SourceSample16(pixel, 0), in.SourceSample16(pixel, 1),
                                     in.SourceSample16(pixel, 2)};
        WriteOutputPixel16(in.output, out, samples);
        continue;
      }
      const uint8_t channels[3] = {in.SourceChannel(pixel, 0), in.SourceChannel(pixel, 1),
                                   in.SourceChannel(pixel, 2)};
      WriteOutputPixel(in.output, out, channels);
    }
  }
}

// Bytes of a sample of `bits` bits; 0 for sizes a render does not take.
int SampleBytes(int bits) {
  return bits == 8 ? 1 : bits == 16 ? 2 : 0;
}

}  // namespace

struct DefocusEngine::State {
  RenderInputs inputs;
  int cancelled = 0;
  int allocations = 0;
  RunStats stats;
};

DefocusEngine::DefocusEngine() : state_(std::make_unique<State>()) {}
DefocusEngine::~DefocusEngine() = default;

void DefocusEngine::SetDepthMap(const uint8_t* depth, int pixelStride, int rowStride) {
  DepthView& view = state_->inputs.depth;
  view.data = depth;
  view.pixel_stride = pixelStride;
  view.row_stride = rowStride;
}

void DefocusEngine::SetImage(int orderFlag, int pixelStride, int width, int height,
                             const uint8_t* colour, int rowStride) {
  RenderInputs& in = state_->inputs;
  in.source_order_flag = orderFlag;
  in.source_pixel_stride = pixelStride;
  in.width = width;
  in.height = height;
  in.colour = colour;
  in.source_row_stride = rowStride;
}

void DefocusEngine::SetPattern(int orderFlag, int planes, int width, int height,
                               const uint8_t* pattern, int rowStride) {
  PatternSource& p = state_->inputs.pattern;
  p.order_flag = orderFlag;
  p.planes = planes;
  p.width = width;
  p.height = height;
  p.pixels = pattern;
  p.row_stride = rowStride;
}

void DefocusEngine::SetOutput(int orderFlag, int pixelStride, uint8_t* output, int rowStride) {
  OutputTarget& out = state_->inputs.output;
  out.order_flag = orderFlag;
  out.pixel_stride = pixelStride;
  out.base = output;
  out.row_stride = rowStride;
}

void DefocusEngine::SetProgressReporter(ProgressReporter* reporter) {
  state_->inputs.reporter = reporter;
}

void DefocusEngine::SetOptions(const EngineOptions& options) {
  state_->inputs.options = options;
}

int DefocusEngine::cancelled() const {
  return state_->cancelled;
}

int DefocusEngine::allocation_count() const {
  return state_->allocations;
}

const RunStats& DefocusEngine::stats() const {
  return state_->stats;
}

RenderStatus DefocusEngine::Run(const RenderValues& values) {
  RenderInputs in = state_->inputs;
  in.sample_bytes = SampleBytes(values.sample_bits);
  in.output.sample_bytes = in.sample_bytes;
  state_->cancelled = 0;
  state_->stats = RunStats();
  switch (CheckInputs(in)) {
    case InputProblem::kNothingToRender:
      return RenderStatus::kDone;
    case InputProblem::kNoPattern:
      return RenderStatus::kEmptyPattern;
    case InputProblem::kNone:
      break;
  }

  BufferAllocator allocator(in.options.fail_allocation);
  struct CountAllocations {
    State& state;
    BufferAllocator& allocator;
    ~CountAllocations() {
      state.allocations = allocator.attempts();
      state.stats.working_bytes = allocator.bytes();
    }
  } count_allocations{*state_, allocator};

  // Without a depth map the values' levels, blur and focus are not used:
  // the whole pattern, one large level of its full width.
  const bool depth = in.depth.present();

  // Own copy of the pattern, trimmed to its non-zero bytes.
  PatternCopy pattern;
  if (!CopyPattern(PatternWindow(in.pattern, depth ? values.max_blur : 0, in.width, in.height),
                   allocator, &pattern)) {
    return RenderStatus::kOutOfMemory;
  }
  if (!TrimPattern(&pattern)) return RenderStatus::kEmptyPattern;

  const int max_blur =
      depth ? std::min({values.max_blur, pattern.width, pattern.height}) : pattern.width;
  const int large_levels = depth ? values.large_levels : 1;
  DepthLevels levels;
  if (!PrepareLevels(large_levels, max_blur, 1, values.focus_depth & 0xff, pattern.width,
                     pattern.height, &levels)) {
    CopySourceToOutput(in);
    return RenderStatus::kNoLevels;
  }

  // Pixels select a level through the depth table (without a depth map, the
  // one large level): the distinct levels in it bound the band sums.
  int selectable = 1;
  if (depth) {
    std::vector<uint8_t> seen(levels.levels.size(), 0);
    selectable = 0;
    for (int level : levels.depth_to_level) {
      if (!seen[level]) ++selectable;
      seen[level] = 1;
    }
  }
  const KernelTone tone = PrepareKernelTone(pattern, values.hardness, values.brightness, selectable,
                                            values.sample_bits);
  const RenderContext context(in, pattern, levels, tone, allocator, state_->stats, values.skip);
  if (in.options.scatter_path != ScatterPath::kReference) {
    switch (FastDrive(context)) {
      case FastDriveResult::kOutOfMemory:
        return RenderStatus::kOutOfMemory;
      case FastDriveResult::kCancelled:
        state_->cancelled = 1;
        return allocator.failed() ? RenderStatus::kOutOfMemory : RenderStatus::kCancelled;
      case FastDriveResult::kDone:
        return allocator.failed() ? RenderStatus::kOutOfMemory : RenderStatus::kDone;
      case FastDriveResult::kNotApplicable:
        break;  // the reference driver renders it
    }
  }

  Band band;
  if (!AllocateBand(BandRows(in.height, KernelRows(pattern.height, levels)), in.width,
                    tone.has_fine, allocator, &band)) {
    return RenderStatus::kOutOfMemory;
  }
  const bool cancelled = Drive(context, band);
  state_->cancelled = cancelled ? 1 : 0;
  if (allocator.failed()) return RenderStatus::kOutOfMemory;
  return cancelled ? RenderStatus::kCancelled : RenderStatus::kDone;
}

}  // namespace ulvo
