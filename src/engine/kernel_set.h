// Level kernel sets: for one depth level, the aperture pattern resampled to
// the level's kernel size and pre-multiplied with the light of every source
// intensity, so that scattering a pixel is a plain addition.
#pragma once

#include <cstdint>
#include <memory>

#include "src/engine/buffer_allocator.h"
#include "src/engine/depth_levels.h"
#include "src/engine/pattern_trim.h"

namespace ulvo {

// Per-render light tables shared by every level.
//
// Kernel values are 32-bit and band sums 64-bit. Where the light of a white
// pixel (brightness × u(255) × kLightUnit) fits 32 bits, kernels hold the
// light itself and nothing below applies (every shift is 0, no fine sums).
//
// Otherwise the colour band sums hold light / 2^band_shift, one scale for
// the whole render that the band output undoes before the inverse tone curve,
// and intensity copy i stores its light / 2^(band_shift + copy_shift[i]):
// the scatter adds each value shifted left by copy_shift[i]. Bright copies
// are thus stored coarsely enough to fit 32 bits while dark ones keep their
// resolution, instead of every copy sharing white's scale (which rounded the
// kernels of mid and dark intensities at high hardness to nothing).
//
// band_shift is the smallest that keeps white's total at or below
// 2^55 / levels, levels being the number of depth levels a render can use.
// A band position receives at most one cell from each source pixel, and the
// pixels of one level give it distinct cells of that level's kernel (the
// cell is fixed by the offset), so a colour sum is at most levels × white's
// total, plus the rounding of the cells: below 2^56. The normalisation
// multiplies by less than 100, which keeps it below 2^63.
//
// Fine sums. At high hardness white carries up to 10^18 times the light of
// black, more than 64-bit sums can resolve next to white: in band_shift's
// units a dark copy's whole kernel would be a few units or none, and dark
// areas would come back black. Where intensity 1's light falls below
// kResolvedUnits band units (has_fine), copies below that (fine[i]) are
// stored and summed in finer units instead, light / 2^fine_shift, into a
// second set of colour sums that the band output adds to the first. Either
// set is exact integer addition, so the result does not depend on the order
// of the additions (threads, paths, targets). A fine sum stays below
// levels × kResolvedUnits × 2^(band_shift − fine_shift) plus rounding, which
// kMaxFineGap keeps below 2^62.
//
// 16-bit renders. A 16-bit sample adds two neighbouring copies, weighted
// up to 257 (see PixelLight16), and its result is interpolated inside an
// 8-bit step, so it asks about 257 times the resolution of each copy:
// - the band unit may be finer than the light's own (a negative
//   band_shift) where white's light is small, so that every copy is stored
//   with close to 32 significant bits;
// - copies below kResolvedUnits16 band units (not kResolvedUnits) take the
//   fine sums, whose gap to the band unit kMaxFineGap16 keeps low enough
//   for 257 times a fine sum to stay below 2^62 (band sums stay below
//   257 × 2^55 < 2^64);
// - no copy truncates its shares (see KernelRounding).
//
// The weight kernels only measure how much aperture reached a pixel. They get
// their own shift (from intensity 128's light), so that coverage stays finely
// resolved whatever the colour scales; the reference weight is in the same
// units, is never 0 for a non-empty pattern, and the normalisation only ever
// compares weights with it. Where intensity 128's copy is stored at the same
// shift it is the weight kernel itself.
inline constexpr double kResolvedUnits = 4096.0;
inline constexpr int kMaxFineGap = 42;  // 61 − 12 (kResolvedUnits) − 7 (128 levels)
inline constexpr double kResolvedUnits16 = 65536.0;
// 61 − 16 (kResolvedUnits16) − 7 (128 levels) − 8 (the weights of a sample, up to 257)
inline constexpr int kMaxFineGap16 = 30;

// How the exact values of a copy become 32-bit kernel values.
enum class KernelRounding : uint8_t {
  // Every share truncated as it is added: unscaled 8-bit kernels.
  kTruncate,
  // QuantiseKernel: the copy keeps its total to the nearest unit however
  // small its cells are.
  kCarry,
  // Every cell to the nearest unit, at least 1 where its exact value is not
  // 0: for copies of close to 32 significant bits. Cells of equal exact
  // value stay equal, so constant runs stay runs, and the copy's total keeps
  // the resolution of the cells.
  kNearest,
};

struct KernelTone {
  int planes = 1;
  double hardness = 1.0;
  double brightness = 1.0;
  double plane_sum[3] = {0, 0, 0};
  double colour[3][256] = {};    // light of intensity i per pattern unit, in copy i's units
  double weight[3] = {0, 0, 0};  // light of intensity 128 per pattern unit, weight units
  int band_shift = 0;            // colour band sums hold light / 2^band_shift
  bool has_fine = false;         // some copies add into the fine sums
  int fine_shift = 0;            // fine sums hold light / 2^fine_shift (may be negative)
  bool fine[256] = {};           // copy i adds into the fine sums
  int copy_shift[256] = {};      // copy i holds light / 2^(its sums' shift + copy_shift[i])
  int colour_shift = 0;          // white's copy: band_shift + copy_shift[255]
  int weight_shift = 0;
  // Weight-plane total of a pixel that every neighbouring kernel covers
  // fully, in weight units. Never 0 for a non-empty pattern.
  int64_t reference_weight = 0;
  int sample_bits = 8;  // 8, or 16 with the scales above
  // Per copy: 0..255, and the weight copy (256) where there is one.
  KernelRounding rounding[257] = {};

  // The power of two that copy i's stored values are in units of.
  int StorageShift(int i) const { return (fine[i] ? fine_shift : band_shift) + copy_shift[i]; }
  // 8-bit renders: scaled kernels are an approximation of the light anyway;
  // they are rounded so that truncation does not bias them below the weight
  // kernels (which would darken white after the normalisation), each copy
  // keeping its total to the nearest unit (kCarry for every copy, else
  // kTruncate).
  bool round_values() const { return colour_shift > 0 || has_fine; }
  bool separate_weight() const { return weight_shift != StorageShift(128); }
};

// levels: how many depth levels the render can select at most (1 without a
// depth map); it bounds the band sums, see above. sample_bits: 16 for the
// scales of a 16-bit render, else those of an 8-bit one.
KernelTone PrepareKernelTone(const PatternCopy& pattern, double hardness, double brightness,
                             int levels = 256, int sample_bits = 8);

// Converts a non-negative double to a kernel value, truncating toward zero
// (or rounding to nearest); out-of-range values and NaN are held at the ends
// of the 32-bit range.
// Inline: the kernel build calls it for every cell of every intensity copy.
inline uint32_t ToKernelValue(double value, bool round_to_nearest = false) {
  if (round_to_nearest) value += 0.5;
  if (!(value > 0.0)) return 0;
  if (value >= 4294967295.0) return 0xFFFFFFFFu;
  return static_cast<uint32_t>(value);
}

// Rounds exact kernel values to 32-bit ones, carrying each cell's rounding
// error on to the next non-zero cell so that the kernel keeps its total to
// the nearest unit even where every cell is below one unit. Cells that are
// exactly 0 stay 0 (the row spans and the aperture's shape rely on it).
void QuantiseKernel(const double* exact, size_t count, uint32_t* out);

// Rounds each exact kernel value to the nearest 32-bit value on its own,
// giving 1 where that would lose a non-zero cell (KernelRounding::kNearest).
void RoundKernel(const double* exact, size_t count, uint32_t* out);

struct KernelSet {
  std::unique_ptr<uint32_t[]> values;
  std::unique_ptr<int32_t[]> span_first;  // per kernel row, first column visited
  std::unique_ptr<int32_t[]> span_last;   // per kernel row, last column visited
  int width = 0;
  int height = 0;
  int planes = 0;
  int copies = 0;  // 256 intensity copies, plus one weight copy when scaled apart

  bool built() const { return values != nullptr; }
  const uint32_t* Copy(int intensity, int plane) const {
    return values.get() +
           (static_cast<size_t>(intensity) * planes + plane) * static_cast<size_t>(height) * width;
  }
  uint32_t* MutableCopy(int intensity, int plane) {
    return const_cast<uint32_t*>(Copy(intensity, plane));
  }
  const uint32_t* Weight(int plane) const { return Copy(copies > 256 ? 256 : 128, plane); }
};

// Builds the kernel set of one level: the area splat of the pattern onto the
// level's grid (one value for a 1 × 1 level), the Gaussian replacement for
// the small levels 1..9 and the row spans. With `needed` (256 flags), only
// the intensity copies it marks are filled, together with those every set
// needs (255 for the spans, the weight copy); the others stay 0. A filled
// copy holds the same values either way. False after an allocation
// failure, with *out untouched.
bool BuildLevelKernels(const PatternCopy& pattern, const KernelTone& tone,
                       const LevelGeometry& geometry, int level, BufferAllocator& allocator,
                       KernelSet* out, const uint8_t* needed = nullptr);

// True when copy p of a set with `copies` copies is filled under `needed`
// (null: every copy).
inline bool CopyNeeded(const uint8_t* needed, int copies, int p) {
  const int weight = copies > 256 ? 256 : 128;
  return needed == nullptr || p == 255 || p == weight || needed[p] != 0;
}

// Sets every cell outside its row's span to 0 in every copy (a three-plane
// set's spans are those common to all planes, so cells outside them need
// not be 0). Scatters that read only the spans give the same sums; whole
// rows can then be added instead.
void ClearOutsideSpans(KernelSet* set);

// Width and height of the Gaussian kernel that replaces a small level of
// the given nominal diameter: 3 × trunc(diameter + 2), made odd.
int SmallLevelSize(double diameter);

// Replaces the single-pixel kernel of small level 1..9 by a Gaussian of the
// level's diameter carrying the same total per copy, with whole-row spans;
// each copy is rounded as `rounding` (257 entries) says. False after an
// allocation failure.
bool SoftenSmallLevel(double diameter, const KernelRounding* rounding, BufferAllocator& allocator,
                      KernelSet* set, const uint8_t* needed = nullptr);

}  // namespace ulvo
