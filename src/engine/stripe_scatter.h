// How a stripe of a threaded render adds its source pixels' light into its
// band. Two scatters render the same bytes: the fast one adds every kernel
// cell of the three channels in one pass (fast_scatter.h), the outline one
// adds long constant runs as two differences and the weight once per run of
// pixels on one level (outline_scatter.h). A ScatterMethod, chosen once per
// render, prepares the levels for its scatter and makes one for each stripe,
// of 8-bit or of 16-bit pixels as the render's samples are.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "src/engine/band_output.h"
#include "src/engine/fused_scatter.h"
#include "src/engine/kernel_set.h"
#include "src/engine/level_kernels.h"
#include "src/engine/pair_scatter.h"
#include "src/engine/pixel_light.h"
#include "src/engine/render_context.h"
#include "src/engine/stripe_plan.h"
#include "src/engine/stripe_shared.h"

namespace ulvo {

// A pixel's kernel clipped to the image: kernel rows [row_first, row_end)
// and columns [col_first, col_end) fall inside it; (hw, hh) is the kernel
// cell over the pixel.
struct PixelClip {
  int hw = 0;
  int hh = 0;
  int row_first = 0;
  int row_end = 0;
  int col_first = 0;
  int col_end = 0;
};

// The rows of a kernel of `set`'s size over pixel row y that fall inside an
// image `height` rows high; the columns are left for the pixel.
PixelClip ClipRows(const KernelSet& set, int y, int height);
// Narrows the clip to the columns inside an image `width` wide for pixel
// column x.
void ClipColumns(int x, int width, int kernel_width, PixelClip* clip);

// Kernel cells of one channel that fall inside the image.
uint64_t ClippedCells(const KernelSet& set, const PixelClip& clip);

class StripeScatter {
 public:
  StripeScatter(const StripeShared& shared, Band& band);
  virtual ~StripeScatter() = default;
  StripeScatter(const StripeScatter&) = delete;
  StripeScatter& operator=(const StripeScatter&) = delete;

  // Allocates what the scatter keeps besides the band for the stripe's
  // rows, scattered in groups of at most max_row_group rows.
  virtual bool Allocate(const StripeRows& rows, int max_row_group);
  // Adds the light of the pixels x_begin..x_end − 1 of source row y.
  virtual void ScatterRow(int y, int x_begin, int x_end) = 0;
  // Brings the sums of every target row below `end` up to date; called
  // before those rows are written, in rising order.
  virtual void CompleteRows(int end);

  // Kernel cells added so far, of all channels.
  uint64_t cells() const { return cells_; }

 protected:
  // The pixel's kernel rows as the fused additions take them, added into
  // `planes` at the pixel's place (columns offset by the band's left margin
  // when the planes are); the weight too when `weight`. A 16-bit pixel's
  // rows carry both copies of each channel.
  FusedPixel PixelRows(const PixelLight& light, const KernelSet& set, const PixelClip& clip, int x,
                       int y, uint64_t* const planes[], bool weight) const;
  PairPixel PixelRows(const PixelLight16& light, const KernelSet& set, const PixelClip& clip, int x,
                      int y, uint64_t* const planes[], bool weight) const;
  // Adds the rows of PixelRows without occlusion, by the chosen (vector or
  // plain) functions; returns the number of kernel cells per channel.
  uint64_t AddPixel(const FusedPixel& all) const { return shared_.fused_pixel(all); }
  uint64_t AddPixel(const PairPixel& all) const { return shared_.pair_pixel(all); }
  // True when some light of the pixel may fall on a clearly nearer target
  // inside the clip; *source_depth is the pixel's depth (0 without a map).
  bool MayBeDimmed(const PixelClip& clip, int x, int y, int* source_depth);
  // The pixel's rows with the dimming of light that falls on clearly nearer
  // targets, clipped to the image; the weight too where PixelRows was given
  // `weight`. For FusedPixel and PairPixel.
  template <class Pixel>
  void AddOccluded(const KernelSet& set, const Pixel& all, int x, int y, int source_depth,
                   float diameter);

  const StripeShared& shared_;
  const RenderContext& context_;
  const RenderInputs& in_;
  Band& band_;
  uint64_t cells_ = 0;

 private:
  bool NothingDimmed(int x0, int x1, int y0, int y1, int source_depth);

  // The last answer of the depth tiles, with the tiles and depth it was for:
  // neighbouring pixels mostly ask the same.
  int dimming_key_[5] = {-1, -1, -1, -1, -1};
  bool nothing_dimmed_ = false;
};

class ScatterMethod {
 public:
  virtual ~ScatterMethod() = default;

  // Sets of band planes a stripe keeps, for the memory plan.
  virtual int band_sets() const = 0;
  // Widens the bands' margins for a kernel `kernel_width` wide.
  virtual void FitMargins(int kernel_width, StripeShared* shared) const = 0;
  // Readies the built kernel sets of the levels in use for the scatter;
  // needed[level] marks the intensities the level's pixels have.
  virtual void PrepareLevels(const std::vector<int>& used,
                             const std::vector<std::vector<uint8_t>>& needed,
                             LevelKernelCache* kernels, const RenderContext& context) = 0;
  // The scatter of one stripe, adding into `band`.
  virtual std::unique_ptr<StripeScatter> ForStripe(const StripeShared& shared,
                                                   Band& band) const = 0;
};

}  // namespace ulvo
