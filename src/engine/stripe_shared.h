// What the stripes of one threaded render share. Read only while they
// scatter, except the boundaries (each behind its mutex), the row backup
// and the output rows (each row written by one thread).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "src/engine/depth_tiles.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/level_kernels.h"
#include "src/engine/pair_scatter.h"
#include "src/engine/render_context.h"
#include "src/engine/row_backup.h"
#include "src/engine/stripe_plan.h"
#include "src/engine/tone_inverse16.h"
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

struct StripeShared {
  const RenderContext* context = nullptr;
  const LevelKernelCache* kernels = nullptr;
  const DepthTiles* tiles = nullptr;
  const ToneTable* tone_table = nullptr;
  const StripePlan* plan = nullptr;
  Boundary* boundaries = nullptr;  // one fewer than stripes, or null
  RowBackup* backup = nullptr;
  FusedPixelFunction fused_pixel = nullptr;
  DenseRowsFunction dense_rows = nullptr;
  // 16-bit renders: their additions and the inverse of their output.
  PairPixelFunction pair_pixel = nullptr;
  DensePairRowsFunction dense_pairs = nullptr;
  const ToneInverse16* inverse16 = nullptr;
  int band_planes = 4;     // 4, or 7 with fine sums
  int block_columns = 64;  // columns scattered together for a row group
  // Band columns left and right of the image where the kernels of pixels
  // near the edges reach, for a scatter that does not clip them (0 for one
  // that does).
  int margin_left = 0;
  int margin_right = 0;
  std::atomic<bool>* stop = nullptr;
  std::atomic<int>* rows_done = nullptr;
};

}  // namespace ulvo
