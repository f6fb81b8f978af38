#include <algorithm>
#include <cmath>
#include <iterator>

#include "src/engine/kernel_set.h"
#include "src/engine/tone_curve.h"

namespace ulvo {

namespace {

// A copy whose total reaches this many of its storage units holds close to
// 32 significant bits.
constexpr double kFullResolution = 2147483648.0;  // 2^31

}  // namespace

KernelTone PrepareKernelTone(const PatternCopy& pattern, double hardness, double brightness,
                             int levels, int sample_bits) {
  const bool wide = sample_bits == 16;
  const double resolved = wide ? kResolvedUnits16 : kResolvedUnits;
  const int max_fine_gap = wide ? kMaxFineGap16 : kMaxFineGap;
  KernelTone tone;
  tone.sample_bits = wide ? 16 : 8;
  tone.planes = pattern.planes;
  tone.hardness = hardness;
  tone.brightness = brightness;
  const size_t pixels = static_cast<size_t>(pattern.width) * pattern.height;
  for (int q = 0; q < pattern.planes; ++q) {
    double sum = 0.0;
    for (size_t i = 0; i < pixels; ++i) sum += pattern.bytes[i * pattern.planes + q];
    tone.plane_sum[q] = sum;
  }

  // Scales for all levels, fixed before any of them is built: the band's
  // from the light a white pixel spreads, each copy's from its own light
  // (a kernel cell never exceeds its copy's total). The weight kernels are
  // intensity 128's light.
  const auto total = [&](int i) { return brightness * ToneLight(i, hardness) * kLightUnit; };
  const double white_total = total(255);
  const double weight_total = total(128);
  tone.band_shift =
      wide ? FinestBandShift(white_total, levels) : BandScaleShift(white_total, levels);
  const double darkest = total(1);
  if (std::ldexp(darkest, -tone.band_shift) < resolved) {
    tone.has_fine = true;
    tone.fine_shift = std::max(FineScaleShift(darkest, resolved), tone.band_shift - max_fine_gap);
  }
  double copy_scale[256];
  for (int i = 0; i < 256; ++i) {
    tone.fine[i] = tone.has_fine && std::ldexp(total(i), -tone.band_shift) < resolved;
    const int unit = tone.fine[i] ? tone.fine_shift : tone.band_shift;
    // Shifts stay well inside 64 bits even for absurd settings.
    tone.copy_shift[i] = std::min(KernelScaleShift(std::ldexp(total(i), -unit)), 32);
    copy_scale[i] = std::ldexp(1.0, -tone.StorageShift(i));
  }
  tone.colour_shift = tone.band_shift + tone.copy_shift[255];
  tone.weight_shift = wide ? FinestKernelShift(weight_total) : KernelScaleShift(weight_total);
  const double weight_scale = std::ldexp(1.0, -tone.weight_shift);

  int used_planes = 0;
  for (int q = 0; q < pattern.planes; ++q) {
    const double sum = tone.plane_sum[q];
    if (sum <= 0.0) continue;  // an empty plane carries no light at all
    ++used_planes;
    for (int i = 0; i < 256; ++i) {
      tone.colour[q][i] = (brightness / sum) * ToneLight(i, hardness) * kLightUnit * copy_scale[i];
    }
    tone.weight[q] = (brightness / sum) * ToneLight(128, hardness) * kLightUnit * weight_scale;
  }

  // Every pixel adds its weight kernel once per channel. With a grey pattern
  // or three non-empty planes that is three times one plane's total; when a
  // plane is empty only the non-empty planes contribute.
  const double reference = (pattern.planes == 1 || used_planes == 3)
                               ? tone.plane_sum[0] * tone.weight[0] * 3.0
                               : used_planes * weight_total * weight_scale;
  // At most three 32-bit totals; anything else (NaN from absurd settings)
  // disables the normalisation.
  tone.reference_weight =
      reference > 0.0 && reference < 1.3e10 ? static_cast<int64_t>(reference) : 0;

  if (!wide) {
    const KernelRounding all =
        tone.round_values() ? KernelRounding::kCarry : KernelRounding::kTruncate;
    std::fill(std::begin(tone.rounding), std::end(tone.rounding), all);
    return tone;
  }
  const auto rounding = [](double units) {
    return units >= kFullResolution ? KernelRounding::kNearest : KernelRounding::kCarry;
  };
  for (int i = 0; i < 256; ++i)
    tone.rounding[i] = rounding(std::ldexp(total(i), -tone.StorageShift(i)));
  tone.rounding[256] = rounding(std::ldexp(weight_total, -tone.weight_shift));
  return tone;
}

}  // namespace ulvo
