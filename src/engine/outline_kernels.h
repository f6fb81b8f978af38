// Kernels in the form the outline scatter adds them.
//
// Band sums are 64-bit integers that never leave their range, so adding a
// constant run v over columns [a, b) of a band row equals adding +v at a
// and −v at b into a difference row (modulo 2^64) and adding the running
// sum of that row into the sums when the row is written. That costs two
// additions whatever the run's length. Each kernel row of an intensity copy
// is cut into such runs and the cells in between, which are added one by
// one as before. Where a level's kernels hold too few long runs to pay for
// it (the area splat leaves most resampled kernels uneven cell by cell),
// the level keeps the fused per-cell addition of the three channels.
//
// The weight kernels are the same for every pixel of a level, so a run of
// neighbouring source pixels on one level adds, to each target row, the
// weight row placed at the run's first pixel and subtracted one past its
// last: the cost follows the changes of level along a source row.
#pragma once

#include <cstdint>
#include <vector>

#include "src/engine/kernel_set.h"

namespace ulvo {

// Runs at least this long are added as two differences.
inline constexpr int kMinOutlineRun = 12;

struct OutlineRun {
  int32_t first = 0;  // kernel columns [first, end)
  int32_t end = 0;
  uint32_t value = 0;
};

struct OutlineCells {
  int32_t first = 0;  // kernel columns [first, first + count)
  int32_t count = 0;
};

// Where one kernel row's runs and cells lie in the level's lists.
struct OutlineRow {
  uint32_t runs = 0;
  uint32_t cells = 0;
  uint16_t run_count = 0;
  uint16_t cell_count = 0;
};

struct OutlineLevel {
  bool runs = false;  // copies are added as runs and cells, else fused per cell
  int width = 0;
  int height = 0;
  int planes = 0;
  uint64_t span_cells = 0;  // cells of all row spans
  // Kernel row r's weight cells of the three channels summed (the weight a
  // pixel adds), 0 outside the row's span; width values a row.
  std::vector<uint64_t> weight;
  std::vector<OutlineRow> rows;  // per copy, plane and kernel row
  std::vector<OutlineRun> run_list;
  std::vector<OutlineCells> cell_list;
  // 16-bit renders, which add copies p and p + 1 together: per copy, plane
  // and kernel row, 1 where copy p + 1's row has the same runs and cells
  // (the same columns, not the same values) as copy p's.
  std::vector<uint8_t> same_as_next;

  const uint64_t* WeightRow(int r) const { return weight.data() + static_cast<size_t>(r) * width; }
  const OutlineRow& Row(int copy, int plane, int r) const {
    return rows[(static_cast<size_t>(copy) * planes + plane) * height + r];
  }
  bool SameAsNext(int copy, int plane, int r) const {
    return same_as_next[(static_cast<size_t>(copy) * planes + plane) * height + r] != 0;
  }
};

// Splits one kernel row's columns [first, last] into runs of at least
// kMinOutlineRun equal values and the cells in between, appended to the
// lists; `row` records where.
void EncodeOutlineRow(const uint32_t* values, int first, int last, std::vector<OutlineRun>* runs,
                      std::vector<OutlineCells>* cells, OutlineRow* row);

// Encodes a built kernel set: the summed weight rows always, the copies
// (those `needed` marks, or all) only when runs save enough and the memory
// for them is there, and with `pairs` which copies share their rows'
// layout with the next one. False when the memory for the weight rows is
// missing.
bool EncodeOutlineLevel(const KernelSet& set, const uint8_t* needed, OutlineLevel* out,
                        bool pairs = false);

}  // namespace ulvo
