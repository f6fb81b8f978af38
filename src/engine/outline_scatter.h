// The outline path's scatter. Levels whose kernels hold long constant runs
// add them as two differences into difference rows beside the band's sums
// (outline_kernels.h), which are added into the sums once no later source
// row reaches them; other levels add whole kernel rows unclipped, the
// band's margins taking what falls outside the image. The weight of a run
// of neighbouring pixels on one level is added once for the run.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "src/engine/outline_kernels.h"
#include "src/engine/stripe_scatter.h"

namespace ulvo {

class OutlineScatter final : public StripeScatter {
 public:
  // `encodings` holds every level's encoding, as OutlineMethod made them.
  OutlineScatter(const StripeShared& shared, Band& band,
                 const std::vector<OutlineLevel>& encodings);

  bool Allocate(const StripeRows& rows, int max_row_group) override;
  void ScatterRow(int y, int x_begin, int x_end) override;
  void CompleteRows(int end) override;

 private:
  // The row for pixels of either sample size (PixelLight, PixelLight16).
  template <class Light>
  void ScatterPixels(int y, int x_begin, int x_end);
  void AddWeightRun(int level, int a, int b, int y);
  // A pixel's colour on a level encoded as runs and cells. A 16-bit pixel
  // adds two weighted copies a channel: where both sum in one plane and
  // their kernel rows have the same layout, a run adds the two copies'
  // weighted values as one difference pair and the cells both copies in
  // one pass; otherwise each copy is added on its own (AddOutlineCopy).
  void AddOutlineColour(const OutlineLevel& outline, const KernelSet& set, const PixelLight& light,
                        const PixelClip& clip, int x, int y);
  void AddOutlineColour(const OutlineLevel& outline, const KernelSet& set,
                        const PixelLight16& light, const PixelClip& clip, int x, int y);
  // One copy of one channel, times its share, on kernel row r.
  void AddOutlineCopy(const OutlineLevel& outline, const KernelSet& set, int copy,
                      int pattern_plane, const uint32_t* kernel, uint32_t share, int shift,
                      int plane, int r, int t, int left);
  void Collapse(int t);
  uint64_t* Sums(int plane, int band_row) {
    return band_.plane(plane) + static_cast<size_t>(band_row) * band_.width;
  }
  // The difference row of target row t.
  uint64_t* Diffs(int plane, int t) {
    return diff_.plane(plane) + static_cast<size_t>(t % diff_.rows) * diff_.width;
  }

  const std::vector<OutlineLevel>& encodings_;
  // A ring of difference rows for the rows the source rows being scattered
  // reach; each is added into its sums once no later source row reaches it.
  Band diff_;
  int collapsed_ = 0;  // target rows below this are collapsed
  // Per difference row, the planes that received differences (bit p).
  std::vector<uint8_t> diff_planes_;
};

// Encodes the levels in use and makes the stripes' outline scatters; the
// bands reach as far left and right of the image as the widest kernel.
class OutlineMethod final : public ScatterMethod {
 public:
  int band_sets() const override { return 2; }  // the sums and the difference rows
  void FitMargins(int kernel_width, StripeShared* shared) const override;
  void PrepareLevels(const std::vector<int>& used, const std::vector<std::vector<uint8_t>>& needed,
                     LevelKernelCache* kernels, const RenderContext& context) override;
  std::unique_ptr<StripeScatter> ForStripe(const StripeShared& shared, Band& band) const override;

 private:
  std::vector<OutlineLevel> encodings_;
};

}  // namespace ulvo
