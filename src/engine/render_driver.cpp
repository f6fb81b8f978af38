#include "src/engine/render_driver.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "src/engine/scatter.h"

namespace ulvo {
namespace {

constexpr int kMaxBuildFailures = 2;

class Driver {
 public:
  explicit Driver(const DriveSetup& setup)
      : setup_(setup),
        in_(*setup.inputs),
        levels_(*setup.levels),
        band_(*setup.band),
        kernels_(levels_.levels.size()),
        failures_(levels_.levels.size(), 0),
        flush_(MakeFlushSettings(*setup.tone, in_.width, in_.height)) {
    out_rows_left_ = in_.height;
  }

  bool Run();

 private:
  // The kernel set of a level, built on first use; null when it cannot be
  // built.
  const KernelSet* LevelKernels(int level);
  void ScatterRow(int y);
  void AfterRow(int y);
  void Flush(int n);
  void FreeKernels() {
    for (KernelSet& set : kernels_) set = KernelSet();
  }

  const DriveSetup& setup_;
  const RenderInputs& in_;
  const DepthLevels& levels_;
  Band& band_;
  std::vector<KernelSet> kernels_;
  // Failed builds per level. A level is tried again after a failure (the
  // failure released every other kernel set, so it may fit now), but not
  // forever: endless retries would rebuild and free kernel sets pixel by pixel.
  std::vector<int> failures_;
  FlushSettings flush_;
  int out_y_ = 0;
  int out_rows_left_ = 0;
};

const KernelSet* Driver::LevelKernels(int level) {
  KernelSet& set = kernels_[level];
  if (set.built()) return &set;
  if (failures_[level] >= kMaxBuildFailures) return nullptr;
  if (BuildLevelKernels(*setup_.pattern, *setup_.tone, levels_.levels[level], level,
                        *setup_.allocator, &set)) {
    return &set;
  }
  // Give the memory back; levels already built are rebuilt when next used.
  ++failures_[level];
  FreeKernels();
  return nullptr;
}

void Driver::ScatterRow(int y) {
  const int skip = setup_.skip;
  const int last_level = static_cast<int>(levels_.levels.size()) - 1;
  const int planes = setup_.pattern->planes;
  BandTarget target;
  target.weight = band_.plane(kWeightPlane);
  const KernelTone& tone = *setup_.tone;
  target.image_width = in_.width;
  target.image_height = in_.height;
  target.band_rows = band_.rows;
  target.out_y = out_y_;

  for (int x = 0; x < in_.width; ++x) {
    const int level =
        in_.depth.present() ? levels_.depth_to_level[*in_.depth.at(x, y)] : last_level;
    const KernelSet* set = LevelKernels(level);
    if (set == nullptr) continue;
    const LevelGeometry& geometry = levels_.levels[level];
    if (!ScatteredUnderSkip(x, y, skip, geometry.diameter)) continue;

    ScatterLevel scatter_level;
    scatter_level.index = level;
    scatter_level.width = set->width;
    scatter_level.height = set->height;
    scatter_level.diameter = static_cast<float>(geometry.diameter);
    scatter_level.span_first = set->span_first.get();
    scatter_level.span_last = set->span_last.get();
    const uint8_t* pixel = in_.SourcePixel(x, y);
    for (int k = 0; k < 3; ++k) {
      const int plane = planes == 1 ? 0 : (k < planes ? k : planes - 1);
      const int intensity = in_.SourceChannel(pixel, k);
      target.colour = band_.plane(ColourPlane(k, tone.fine[intensity]));
      ScatterPixel(scatter_level, set->Copy(intensity, plane), set->Weight(plane), target,
                   in_.depth, x, y, tone.copy_shift[intensity]);
    }
  }
}

void Driver::Flush(int n) {
  FlushRows(band_, in_.output, flush_, out_y_, n);
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
  if (band_.rows == height) return;  // the band holds the whole region
  const int reach = KernelRows(setup_.pattern->height, levels_) / 2;
  const int complete = y - reach - out_y_;               // rows no later source row reaches
  const int not_used = out_y_ + band_.rows - reach - y;  // band rows below row y's reach
  if (complete > reach && not_used <= setup_.skip) {
    if (not_used <= 0) std::fputs("error: notused negative", stdout);
    Flush(complete);
    out_rows_left_ -= complete;
    out_y_ += complete;
    if (out_rows_left_ <= 0) std::fputs("error: OutY_Rem negative", stdout);
  }
}

bool Driver::Run() {
  ProgressReporter* reporter = in_.reporter;
  const bool progress = reporter != nullptr && ProgressShown(in_.width, in_.height);
  if (progress) reporter->Report(0);

  bool cancelled = false;
  int y = 0;
  for (; y < in_.height; ++y) {
    if (progress) {
      const int percent = static_cast<int>(y * 100.0 / in_.height);
      if (percent > 0 && percent < 100 && !reporter->Report(percent) && reporter->ConfirmCancel()) {
        cancelled = true;
        break;
      }
    }
    ScatterRow(y);
    AfterRow(y);
  }
  // Writes what remains after the last row; after an abort only rows that
  // are already complete.
  AfterRow(y);
  FreeKernels();
  if (progress) reporter->Report(100);
  return cancelled;
}

}  // namespace

bool ScatteredUnderSkip(int x, int y, int skip, double diameter) {
  // Large kernels are scattered only on the skip grid; small ones always.
  return skip < 2 || (x % skip == 0 && y % skip == 0) || !(diameter > 1.5 * skip);
}

int KernelRows(int pattern_height, const DepthLevels& levels) {
  int rows = pattern_height;
  for (size_t level = 0; level < levels.levels.size(); ++level) {
    const bool small = level >= 1 && level < static_cast<size_t>(kSmallLevels);
    rows = std::max(
        rows, small ? SmallLevelSize(levels.levels[level].diameter) : levels.levels[level].height);
  }
  return rows;
}

FlushSettings MakeFlushSettings(const KernelTone& tone, int width, int height) {
  FlushSettings flush;
  flush.hardness = tone.hardness;
  flush.colour_shift = tone.band_shift;
  flush.fine_shift = tone.fine_shift;
  flush.reference_weight = tone.reference_weight;
  flush.image_width = width;
  flush.image_height = height;
  return flush;
}

bool ProgressShown(int width, int height) {
  return width > 120 && height > 120;
}

bool Drive(const DriveSetup& setup) {
  Driver driver(setup);
  return driver.Run();
}

}  // namespace ulvo
