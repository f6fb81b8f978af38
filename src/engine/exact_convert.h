// Conversions between 64-bit integers and doubles in the scatter's inner
// loops, exactly as the language's casts give them. On 32-bit x86 those casts
// go through the x87 unit and memory (a store, a load, two control-word
// changes per value), which made a dimmed kernel row many times slower there
// and its speed depend on where the stack happened to lie; these use SSE2's
// 32-bit conversions only. Elsewhere they are the plain casts.
#pragma once

#include <array>
#include <cstdint>

namespace ulvo {

// 2^k for the shifts that take kernel values to band units (0..63).
inline constexpr std::array<double, 64> kPowersOfTwo = [] {
  std::array<double, 64> powers{};
  double power = 1.0;
  for (double& p : powers) {
    p = power;
    power *= 2.0;
  }
  return powers;
}();

// A 32-bit unsigned value as a double (always exact).
inline double ExactDouble(uint32_t value) {
#if defined(__i386__)
  // The value less 2^31 as a signed number, then 2^31 back: both exact.
  return static_cast<double>(static_cast<int32_t>(value ^ 0x80000000u)) + 2147483648.0;
#else
  return static_cast<double>(value);
#endif
}

// A 64-bit unsigned value as a double, rounded to nearest as the cast
// rounds it: both halves convert exactly and their sum is rounded once.
inline double ExactDouble(uint64_t value) {
#if defined(__i386__)
  return ExactDouble(static_cast<uint32_t>(value >> 32)) * 4294967296.0 +
         ExactDouble(static_cast<uint32_t>(value));
#else
  return static_cast<double>(value);
#endif
}

// The integer part of a double in [0, 2^64), as static_cast<uint64_t> gives it.
inline uint64_t TruncatedUnsigned(double value) {
#if defined(__i386__)
  // Each half through a signed 32-bit conversion. Scaling by 2^-32 is exact,
  // and so is the remainder below 2^32: the whole part above it is a
  // multiple of the value's own unit.
  const auto half = [](double part) {  // part in [0, 2^32)
    return part < 2147483648.0
               ? static_cast<uint32_t>(static_cast<int32_t>(part))
               : static_cast<uint32_t>(static_cast<int32_t>(part - 2147483648.0)) + 0x80000000u;
  };
  const uint32_t high = half(value * (1.0 / 4294967296.0));
  const uint32_t low = half(value - ExactDouble(high) * 4294967296.0);
  return (static_cast<uint64_t>(high) << 32) | low;
#else
  return static_cast<uint64_t>(value);
#endif
}

}  // namespace ulvo
