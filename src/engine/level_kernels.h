// Levels and kernels as every render driver uses them: which kernel a level
// gets and how tall it is, which pattern plane a channel reads, how light on
// a clearly nearer target is dimmed, and the cache of built kernel sets with
// its rule for a build that runs out of memory.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/kernel_set.h"
#include "src/engine/pattern_trim.h"

namespace ulvo {

// Width and height of the kernel set a level is built with.
int BuiltKernelWidth(const DepthLevels& levels, int level);
int BuiltKernelHeight(const DepthLevels& levels, int level);

// Rows the moving band must reckon with for a kernel: the trimmed pattern's
// height, or the tallest kernel of any level when that is taller (the
// Gaussians of the small levels can be, for patterns only a few rows high).
// Half of it is the reach above and below a source row that the band
// schedule keeps; the band is sized from it.
int KernelRows(int pattern_height, const DepthLevels& levels);

// The pattern plane that engine channel 0..2 takes its kernels from: the
// only one of a grey pattern, the channel's own of a three-plane one.
inline int PatternPlane(int channel, int planes) {
  return planes == 1 ? 0 : (channel < planes ? channel : planes - 1);
}

// Dimming of light that falls at squared distance distance2 from its source
// on a target of depth `target`, the source lying at depth `source`: 1 (not
// dimmed) unless the target is nearer by more than 5 steps and lies beyond
// the source's immediate neighbours; the same single-precision steps on
// every path.
inline bool Dimmed(float target, float source, float distance2) {
  return target + 5.0f < source && distance2 > 4.0f;
}
inline float DimmingFactor(float target, float source, float distance2, float diameter) {
  float f = (1.0f - std::sqrt(distance2) / diameter) * (target + 5.0f) / (source - target);
  f = f * f;
  if (f > 1.0f) f = 1.0f;
  if (!(f > 0.0f)) f = 0.0f;
  return f;
}

// The kernel sets of one render, each built on first use and kept until
// the render ends.
//
// A build that runs out of memory releases every kernel set (the memory may
// then let the failed level fit) and its pixels contribute nothing; the
// level is tried again when next asked for, but not after a second failure:
// endless retries would rebuild and free kernel sets pixel by pixel.
class LevelKernelCache {
 public:
  LevelKernelCache(const PatternCopy& pattern, const KernelTone& tone, const DepthLevels& levels,
                   BufferAllocator& allocator);

  // Limits the builds of a level to the intensity copies marked in
  // `needed` (256 flags); others stay 0. Unset, every copy is built.
  void SetNeededCopies(int level, std::vector<uint8_t> needed);

  // The level's kernel set, built when it is missing; null when it cannot be
  // built (see above).
  const KernelSet* Get(int level);

  // Builds one level without the policy: for builds of several levels side
  // by side, each level on one thread. False after an allocation failure.
  bool TryBuild(int level);
  // After TryBuild failed for some levels: counts the failures, releases
  // every kernel set and builds the levels again, one after another in the
  // order given, under the policy above.
  void Settle(const std::vector<int>& levels, const std::vector<uint8_t>& failed);

  const KernelSet& set(int level) const { return sets_[level]; }
  KernelSet& mutable_set(int level) { return sets_[level]; }
  // Drops one level's kernel set for good: its pixels contribute nothing.
  void Release(int level);
  void FreeAll();
  // Bytes of the kernel sets built now.
  uint64_t Bytes() const;

 private:
  static constexpr int kMaxBuildFailures = 2;

  const PatternCopy& pattern_;
  const KernelTone& tone_;
  const DepthLevels& levels_;
  BufferAllocator& allocator_;
  std::vector<KernelSet> sets_;
  std::vector<int> failures_;
  std::vector<std::vector<uint8_t>> needed_;
};

}  // namespace ulvo
