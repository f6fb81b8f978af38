// One stripe of a threaded render: scatters its source rows into a band of
// its own and writes each target row once it is complete. Rows near a
// stripe boundary are reached by both neighbouring stripes: the first to
// finish such a row leaves its sums in the boundary, the second adds them
// to its own and writes the row. Sums are integers, so the order of the
// additions does not matter and the bytes are the same for any cut.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/depth_tiles.h"
#include "src/engine/engine_options.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/level_kernels.h"
#include "src/engine/outline_kernels.h"
#include "src/engine/render_context.h"
#include "src/engine/row_backup.h"
#include "src/engine/stripe_plan.h"
#include "src/engine/tone_table.h"

namespace ulvo {

// Target rows [first, first + rows) that the stripes on both sides of a
// boundary reach.
struct Boundary {
  int first = 0;
  int rows = 0;
  std::unique_ptr<uint64_t[]> sums;  // every band plane's rows × width
  std::vector<uint8_t> arrived;
  std::mutex mutex;
};

// What the stripes of one render share. Read only while they scatter,
// except the boundaries (each behind its mutex), the row backup and the
// output rows (each row written by one thread).
struct StripeShared {
  const RenderContext* context = nullptr;
  ScatterPath path = ScatterPath::kFast;
  const LevelKernelCache* kernels = nullptr;
  const std::vector<OutlineLevel>* outline = nullptr;  // the outline path's encodings
  const DepthTiles* tiles = nullptr;
  const ToneTable* tone_table = nullptr;
  const StripePlan* plan = nullptr;
  Boundary* boundaries = nullptr;  // one fewer than stripes, or null
  RowBackup* backup = nullptr;
  FusedPixelFunction fused_pixel = nullptr;
  DenseRowsFunction dense_rows = nullptr;
  int band_planes = 4;     // 4, or 7 with fine sums
  int block_columns = 64;  // columns scattered together for a row group
  // Band columns left and right of the image on the outline path, where the
  // kernels of pixels near the edges reach; the fast path clips instead.
  int margin_left = 0;
  int margin_right = 0;
  std::atomic<bool>* stop = nullptr;
  std::atomic<int>* rows_done = nullptr;
};

class StripeWorker {
 public:
  StripeWorker(const StripeShared& shared, int index);

  bool Allocate(int max_row_group);
  // Scatters the stripe's source rows in groups of row_group (at most
  // max_row_group given to Allocate); unless writing
  // is deferred, writes each target row as soon as no later source row of
  // the stripe reaches it. before_row, when set, is asked before each row
  // whether to go on. False when stopped.
  bool Run(const std::function<bool(int)>& before_row, int row_group);
  // Writes every target row of the stripe (deferred writing).
  void RetireAll();
  uint64_t cells() const { return cells_; }

 private:
  void ScatterFast(int y, int x_begin, int x_end);
  void ScatterOutline(int y, int x_begin, int x_end);
  void AddOccluded(const KernelSet& set, const FusedPixel& all, int x, int y, int source_depth,
                   float diameter);
  void AddWeightRun(int level, int a, int b, int y);
  void AddOutlineColour(const OutlineLevel& outline, const KernelSet& set, const FusedPixel& all,
                        const int intensity[3], int x, int y);
  void Collapse(int t);
  void CollapseUpTo(int end);
  void Retire(int t);
  bool NothingDimmed(int x0, int x1, int y0, int y1, int source_depth);
  uint64_t* Sums(int plane, int band_row) {
    return band_.plane(plane) + static_cast<size_t>(band_row) * band_.width;
  }
  // The difference row of target row t.
  uint64_t* Diffs(int plane, int t) {
    return diff_.plane(plane) + static_cast<size_t>(t % diff_.rows) * diff_.width;
  }

  const StripeShared& shared_;
  const RenderContext& context_;
  const RenderInputs& in_;
  const int index_;
  const StripeRows& rows_;
  const bool outline_;
  Band band_;
  // The outline path's difference rows: a ring of the rows the source rows
  // being scattered reach; each is added into its sums once no later source
  // row reaches it.
  Band diff_;
  int collapsed_ = 0;  // target rows below this are collapsed
  // Per difference row, the planes that received differences (bit p).
  std::vector<uint8_t> diff_planes_;
  uint64_t cells_ = 0;
  // The last answer of the depth tiles, with the tiles and depth it was for:
  // neighbouring pixels mostly ask the same.
  int dimming_key_[5] = {-1, -1, -1, -1, -1};
  bool nothing_dimmed_ = false;
};

}  // namespace ulvo
