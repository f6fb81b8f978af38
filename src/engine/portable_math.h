// The transcendental functions of everything that decides a pixel: the tone
// curves, the Gaussian kernels and the drawn aperture shapes. They come from
// one implementation (musl's, built for every target by scripts/build-deps)
// instead of each C runtime's own: glibc and the two mingw-w64 runtimes
// disagree in the last bit for a few percent of the arguments the tone curves
// use, and every such bit can move a truncation, so the native, 32-bit and
// 64-bit builds would render different bytes. Square roots need nothing of
// the kind: they are correctly rounded everywhere.
#pragma once

#if !defined(__FLT_EVAL_METHOD__) || __FLT_EVAL_METHOD__ != 0
#error "floating point must be evaluated in double precision (SSE2 on 32-bit x86, not x87)"
#endif

extern "C" {
double ulvo_musl_pow(double x, double y);
double ulvo_musl_exp(double x);
double ulvo_musl_log10(double x);
double ulvo_musl_atan(double x);
double ulvo_musl_tan(double x);
double ulvo_musl_sin(double x);
double ulvo_musl_cos(double x);
}

namespace ulvo::math {

inline double Pow(double x, double y) {
  return ulvo_musl_pow(x, y);
}
inline double Exp(double x) {
  return ulvo_musl_exp(x);
}
inline double Log10(double x) {
  return ulvo_musl_log10(x);
}
inline double Atan(double x) {
  return ulvo_musl_atan(x);
}
inline double Tan(double x) {
  return ulvo_musl_tan(x);
}
inline double Sin(double x) {
  return ulvo_musl_sin(x);
}
inline double Cos(double x) {
  return ulvo_musl_cos(x);
}

}  // namespace ulvo::math
