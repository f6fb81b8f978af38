#include "src/engine/outline_kernels.h"

#include <new>

#include "src/engine/level_kernels.h"

namespace ulvo {
namespace {

// Runs pay where they leave at most this share of the additions per cell.
constexpr double kRunsPay = 0.5;

// Additions per cell that runs and cells would take for copy 255, over
// every plane.
double RunShare(const KernelSet& set) {
  std::vector<OutlineRun> runs;
  std::vector<OutlineCells> cells;
  uint64_t additions = 0;
  uint64_t span_cells = 0;
  for (int q = 0; q < set.planes; ++q) {
    const uint32_t* copy = set.Copy(255, q);
    for (int r = 0; r < set.height; ++r) {
      const int first = set.span_first[r];
      const int last = set.span_last[r];
      if (first > last) continue;
      OutlineRow row;
      runs.clear();
      cells.clear();
      EncodeOutlineRow(copy + static_cast<size_t>(r) * set.width, first, last, &runs, &cells, &row);
      additions += 2 * runs.size();
      for (const OutlineCells& c : cells) additions += c.count;
      span_cells += last - first + 1;
    }
  }
  return span_cells == 0 ? 1.0 : static_cast<double>(additions) / span_cells;
}

// True when two encoded rows have their runs and cells at the same columns.
bool SameLayout(const OutlineLevel& level, const OutlineRow& a, const OutlineRow& b) {
  if (a.run_count != b.run_count || a.cell_count != b.cell_count) return false;
  for (uint32_t i = 0; i < a.run_count; ++i) {
    const OutlineRun& p = level.run_list[a.runs + i];
    const OutlineRun& q = level.run_list[b.runs + i];
    if (p.first != q.first || p.end != q.end) return false;
  }
  for (uint32_t i = 0; i < a.cell_count; ++i) {
    const OutlineCells& p = level.cell_list[a.cells + i];
    const OutlineCells& q = level.cell_list[b.cells + i];
    if (p.first != q.first || p.count != q.count) return false;
  }
  return true;
}

}  // namespace

void EncodeOutlineRow(const uint32_t* values, int first, int last, std::vector<OutlineRun>* runs,
                      std::vector<OutlineCells>* cells, OutlineRow* row) {
  row->runs = static_cast<uint32_t>(runs->size());
  row->cells = static_cast<uint32_t>(cells->size());
  int pending = first;  // first column not yet in a run or cells
  int c = first;
  while (c <= last) {
    int e = c + 1;
    while (e <= last && values[e] == values[c]) ++e;
    if (e - c >= kMinOutlineRun && values[c] != 0) {
      if (pending < c) cells->push_back({pending, c - pending});
      runs->push_back({c, e, values[c]});
      pending = e;
    } else if (values[c] == 0 && e - c >= kMinOutlineRun) {
      // A long stretch of zeros adds nothing at all.
      if (pending < c) cells->push_back({pending, c - pending});
      pending = e;
    }
    c = e;
  }
  if (pending <= last) cells->push_back({pending, last + 1 - pending});
  row->run_count = static_cast<uint16_t>(runs->size() - row->runs);
  row->cell_count = static_cast<uint16_t>(cells->size() - row->cells);
}

bool EncodeOutlineLevel(const KernelSet& set, const uint8_t* needed, OutlineLevel* out,
                        bool pairs) {
  OutlineLevel level;
  level.width = set.width;
  level.height = set.height;
  level.planes = set.planes;
  try {
    level.weight.assign(static_cast<size_t>(set.width) * set.height, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int r = 0; r < set.height; ++r) {
    if (set.span_last[r] >= set.span_first[r]) {
      level.span_cells += static_cast<uint64_t>(set.span_last[r] - set.span_first[r] + 1);
    }
  }
  for (int k = 0; k < 3; ++k) {
    const uint32_t* w = set.Weight(PatternPlane(k, set.planes));
    for (int r = 0; r < set.height; ++r) {
      for (int c = set.span_first[r]; c <= set.span_last[r]; ++c) {
        const size_t at = static_cast<size_t>(r) * set.width + c;
        level.weight[at] += w[at];
      }
    }
  }
  // Without the memory for the runs, the level is added row by row: the
  // same sums, only slower.
  try {
    level.runs = set.width >= kMinOutlineRun && RunShare(set) <= kRunsPay;
    if (level.runs) {
      level.rows.resize(static_cast<size_t>(256) * set.planes * set.height);
      for (int p = 0; p < 256; ++p) {
        if (!CopyNeeded(needed, set.copies, p)) continue;
        for (int q = 0; q < set.planes; ++q) {
          const uint32_t* copy = set.Copy(p, q);
          for (int r = 0; r < set.height; ++r) {
            OutlineRow& row =
                level.rows[(static_cast<size_t>(p) * set.planes + q) * set.height + r];
            EncodeOutlineRow(copy + static_cast<size_t>(r) * set.width, set.span_first[r],
                             set.span_last[r], &level.run_list, &level.cell_list, &row);
          }
        }
      }
      if (pairs) {
        // Rows of copies that were not encoded hold nothing and are never
        // taken together with their neighbour.
        level.same_as_next.assign(level.rows.size(), 0);
        for (int p = 0; p + 1 < 256; ++p) {
          for (int q = 0; q < set.planes; ++q) {
            for (int r = 0; r < set.height; ++r) {
              const size_t at = (static_cast<size_t>(p) * set.planes + q) * set.height + r;
              level.same_as_next[at] =
                  SameLayout(level, level.Row(p, q, r), level.Row(p + 1, q, r));
            }
          }
        }
      }
    }
  } catch (const std::bad_alloc&) {
    level.runs = false;
    std::vector<OutlineRow>().swap(level.rows);
    std::vector<OutlineRun>().swap(level.run_list);
    std::vector<OutlineCells>().swap(level.cell_list);
    std::vector<uint8_t>().swap(level.same_as_next);
  }
  *out = std::move(level);
  return true;
}

}  // namespace ulvo
