// The light model: an 8-bit intensity stands for a light quantity u(i) that
// grows steeply toward white. Hardness sets the steepness, and from 1.55 on
// the curve is exponential instead of tangent-shaped. Kernels carry
// brightness × u(i) × kLightUnit per source pixel; the band output maps
// summed light back to 8 bits with the inverse curve.
#pragma once

#include <cstdint>

namespace ulvo {

inline constexpr double kLightUnit = 50000000.0;

bool UsesExponentialCurve(double hardness);

// u(i) for an intensity 0..255.
double ToneLight(int intensity, double hardness);

// Inverse curve: summed light g (in the units of kLightUnit, unscaled) back to
// 0..255. g = 0 gives 0.
int InverseTone(double light, double hardness);

// Power of two by which kernels holding up to max_total per pixel must be
// divided so that every kernel value fits 32 bits: the smallest k >= 0 with
// max_total / 2^k <= 2^32 − 1.
int KernelScaleShift(double max_total);

// Power of two by which the colour band sums of a render are divided: the
// smallest k >= 0 with white_total × levels / 2^k <= 2^55, so that the sums
// of up to `levels` kernels of white's total stay far inside 64 bits.
int BandScaleShift(double white_total, int levels);

// The same two shifts where finer units than the light's own are welcome
// (16-bit renders): the smallest k, negative where the light is small
// enough, with max_total / 2^k <= 2^32 − 1, and with
// white_total × levels / 2^k <= 2^55.
int FinestKernelShift(double max_total);
int FinestBandShift(double white_total, int levels);

// Power of two, possibly negative, of the finest units in which `light` is
// still at least `units` of them: the largest k with light / 2^k >= units.
int FineScaleShift(double light, double units);

}  // namespace ulvo
