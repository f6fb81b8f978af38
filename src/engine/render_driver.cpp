#include "src/engine/render_driver.h"

#include <cstdio>
#include <optional>

#include "src/engine/level_kernels.h"
#include "src/engine/pixel_light.h"
#include "src/engine/progress_ticker.h"
#include "src/engine/scatter.h"
#include "src/engine/tone_inverse16.h"

namespace ulvo {
namespace {

class Driver {
 public:
  Driver(const RenderContext& context, Band& band)
      : context_(context),
        in_(context.inputs),
        band_(band),
        kernels_(context.pattern, context.tone, context.levels, context.allocator),
        reach_(KernelRows(context.pattern.height, context.levels) / 2) {
    out_rows_left_ = in_.height;
    if (in_.sample_bytes == 2) inverse16_.emplace(context.tone.hardness);
  }

  bool Run();

 private:
  // Scatters source row y of pixels of either sample size (PixelLight,
  // PixelLight16).
  template <class Light>
  void ScatterRow(int y);
  void AfterRow(int y);
  void Flush(int n);

  const RenderContext& context_;
  const RenderInputs& in_;
  Band& band_;
  LevelKernelCache kernels_;
  const int reach_;
  std::optional<ToneInverse16> inverse16_;  // 16-bit renders
  int out_y_ = 0;
  int out_rows_left_ = 0;
};

// Each channel's kernel of an 8-bit pixel, and the two weighted copies of
// each channel of a 16-bit one.
void ScatterChannels(const ScatterLevel& level, const PixelLight& light, uint64_t* const planes[],
                     BandTarget target, const DepthView& depth, int x, int y) {
  for (int k = 0; k < 3; ++k) {
    target.colour = planes[light.plane[k]];
    ScatterPixel(level, light.colour[k], light.weight[k], target, depth, x, y, light.shift[k]);
  }
}

void ScatterChannels(const ScatterLevel& level, const PixelLight16& light, uint64_t* const planes[],
                     const BandTarget& target, const DepthView& depth, int x, int y) {
  for (int k = 0; k < 3; ++k) {
    ColourPair colour;
    for (int t = 0; t < 2; ++t) {
      colour.kernel[t] = light.colour[k][t];
      colour.share[t] = light.share[k][t];
      colour.shift[t] = light.shift[k][t];
      colour.sums[t] = planes[light.plane[k][t]];
    }
    ScatterPixel16(level, colour, light.weight[k], target, depth, x, y);
  }
}

template <class Light>
void Driver::ScatterRow(int y) {
  BandTarget target;
  target.weight = band_.plane(kWeightPlane);
  target.image_width = in_.width;
  target.image_height = in_.height;
  target.band_rows = band_.rows;
  target.out_y = out_y_;
  uint64_t* planes[kMaxBandPlanes] = {};
  for (int p = 0; p < band_.count; ++p) planes[p] = band_.plane(p);

  for (int x = 0; x < in_.width; ++x) {
    const int level = context_.LevelAt(x, y);
    const KernelSet* set = kernels_.Get(level);
    if (!PixelScatters(context_, set, level, x, y)) continue;
    const Light light = ReadLight<Light>(context_, *set, level, x, y);
    if (light.one_pixel) {
      const int band_row = y - out_y_;
      if (InsideBand(target, band_row)) {
        AddOnePixel(light, planes, static_cast<size_t>(band_row) * in_.width + x, true);
      }
      continue;
    }

    ScatterLevel scatter_level;
    scatter_level.width = set->width;
    scatter_level.height = set->height;
    scatter_level.diameter = static_cast<float>(context_.levels.levels[level].diameter);
    scatter_level.span_first = set->span_first.get();
    scatter_level.span_last = set->span_last.get();
    ScatterChannels(scatter_level, light, planes, target, in_.depth, x, y);
  }
}

void Driver::Flush(int n) {
  FlushRows(band_, in_.output, context_.flush, out_y_, n, inverse16_ ? &*inverse16_ : nullptr);
}

void Driver::AfterRow(int y) {
  const int height = in_.height;
  if (y >= height - 1) {
    if (out_rows_left_ > 0) {
      Flush(out_rows_left_);
      out_rows_left_ = 0;
    }
    return;
  }
  if (band_.rows == height) return;                       // the band holds the whole region
  const int complete = y - reach_ - out_y_;               // rows no later source row reaches
  const int not_used = out_y_ + band_.rows - reach_ - y;  // band rows below row y's reach
  if (complete > reach_ && not_used <= context_.skip) {
    if (not_used <= 0) std::fputs("error: notused negative", stdout);
    Flush(complete);
    out_rows_left_ -= complete;
    out_y_ += complete;
    if (out_rows_left_ <= 0) std::fputs("error: OutY_Rem negative", stdout);
  }
}

bool Driver::Run() {
  ProgressTicker ticker(in_.reporter, in_.width, in_.height);
  ticker.Start();
  int y = 0;
  for (; y < in_.height && ticker.BeforeRow(y); ++y) {
    if (inverse16_) {
      ScatterRow<PixelLight16>(y);
    } else {
      ScatterRow<PixelLight>(y);
    }
    AfterRow(y);
  }
  // Writes what remains after the last row; after an abort only rows that
  // are already complete.
  AfterRow(y);
  kernels_.FreeAll();
  ticker.Finish();
  return ticker.cancelled();
}

}  // namespace

bool Drive(const RenderContext& context, Band& band) {
  Driver driver(context, band);
  return driver.Run();
}

}  // namespace ulvo
