// The fast path's scatter: every kernel cell inside the image, the three
// channels of a pixel and their weight added in one pass over each kernel
// row (vector instructions where the processor has them); rows that light
// may be dimmed on go through the occlusion test cell by cell.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "src/engine/stripe_scatter.h"

namespace ulvo {

class FastScatter final : public StripeScatter {
 public:
  using StripeScatter::StripeScatter;

  void ScatterRow(int y, int x_begin, int x_end) override;

 private:
  // The row for pixels of either sample size (PixelLight, PixelLight16):
  // a 16-bit pixel adds two weighted copies a channel.
  template <class Light>
  void ScatterPixels(int y, int x_begin, int x_end);
};

// The fast path needs nothing of the levels but their kernel sets, and
// clips every kernel to the image: its bands have no margins.
class FastMethod final : public ScatterMethod {
 public:
  int band_sets() const override { return 1; }
  void FitMargins(int, StripeShared*) const override {}
  void PrepareLevels(const std::vector<int>&, const std::vector<std::vector<uint8_t>>&,
                     LevelKernelCache*, const RenderContext&) override {}
  std::unique_ptr<StripeScatter> ForStripe(const StripeShared& shared, Band& band) const override;
};

}  // namespace ulvo
