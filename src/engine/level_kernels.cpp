#include "src/engine/level_kernels.h"

#include <algorithm>
#include <new>

namespace ulvo {

int BuiltKernelWidth(const DepthLevels& levels, int level) {
  const LevelGeometry& geometry = levels.levels[level];
  return IsSmallLevel(level) ? SmallLevelSize(geometry.diameter) : geometry.width;
}

int BuiltKernelHeight(const DepthLevels& levels, int level) {
  const LevelGeometry& geometry = levels.levels[level];
  return IsSmallLevel(level) ? SmallLevelSize(geometry.diameter) : geometry.height;
}

int KernelRows(int pattern_height, const DepthLevels& levels) {
  int rows = pattern_height;
  for (size_t level = 0; level < levels.levels.size(); ++level) {
    rows = std::max(rows, BuiltKernelHeight(levels, static_cast<int>(level)));
  }
  return rows;
}

LevelKernelCache::LevelKernelCache(const PatternCopy& pattern, const KernelTone& tone,
                                   const DepthLevels& levels, BufferAllocator& allocator)
    : pattern_(pattern),
      tone_(tone),
      levels_(levels),
      allocator_(allocator),
      sets_(levels.levels.size()),
      failures_(levels.levels.size(), 0),
      needed_(levels.levels.size()) {}

void LevelKernelCache::SetNeededCopies(int level, std::vector<uint8_t> needed) {
  needed_[level] = std::move(needed);
}

bool LevelKernelCache::TryBuild(int level) {
  const std::vector<uint8_t>& needed = needed_[level];
  try {
    return BuildLevelKernels(pattern_, tone_, levels_.levels[level], level, allocator_,
                             &sets_[level], needed.empty() ? nullptr : needed.data());
  } catch (const std::bad_alloc&) {
    // The build's own lists; builds may run on worker threads, where an
    // exception must not escape.
    allocator_.NoteFailure();
    return false;
  }
}

const KernelSet* LevelKernelCache::Get(int level) {
  KernelSet& set = sets_[level];
  if (set.built()) return &set;
  if (failures_[level] >= kMaxBuildFailures) return nullptr;
  if (TryBuild(level)) return &set;
  ++failures_[level];
  FreeAll();
  return nullptr;
}

void LevelKernelCache::Settle(const std::vector<int>& levels, const std::vector<uint8_t>& failed) {
  bool any_failed = false;
  for (int level : levels) {
    failures_[level] += failed[level];
    any_failed = any_failed || failed[level];
  }
  if (any_failed) FreeAll();
  // Every failure frees the levels built before it, so the pass starts over
  // until all levels stand or have failed twice.
  bool again = true;
  while (again) {
    again = false;
    for (int level : levels) {
      if (sets_[level].built() || failures_[level] >= kMaxBuildFailures) continue;
      if (Get(level) == nullptr) {
        again = true;
        break;
      }
    }
  }
}

void LevelKernelCache::Release(int level) {
  sets_[level] = KernelSet();
  failures_[level] = kMaxBuildFailures;
}

void LevelKernelCache::FreeAll() {
  for (KernelSet& set : sets_) set = KernelSet();
}

uint64_t LevelKernelCache::Bytes() const {
  uint64_t bytes = 0;
  for (const KernelSet& set : sets_) {
    if (!set.built()) continue;
    bytes += static_cast<uint64_t>(set.copies) * set.planes * set.width * set.height * 4 +
             static_cast<uint64_t>(set.height) * 8;
  }
  return bytes;
}

}  // namespace ulvo
