// The scatter's own conversions give what the language's casts give, on
// every target (on 32-bit x86 they take another road to the same values).
#include "src/engine/exact_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "src/engine/scatter.h"

namespace ulvo {
namespace {

TEST(ExactConvert, MatchesTheCasts) {
  std::vector<uint32_t> values = {0u,          1u,          2u,          0x7FFFFFFFu,
                                  0x80000000u, 0x80000001u, 0xFFFFFFFEu, 0xFFFFFFFFu};
  std::mt19937 random(7);
  for (int i = 0; i < 20000; ++i) values.push_back(random() >> (random() % 32));
  for (const uint32_t v : values) {
    ASSERT_EQ(ExactDouble(v), static_cast<double>(v)) << v;
  }

  std::vector<double> doubles = {0.0,
                                 0.25,
                                 0.999999,
                                 1.0,
                                 2147483647.5,
                                 2147483648.0,
                                 4294967295.75,
                                 4294967296.0,
                                 4294967297.5,
                                 9007199254740993.0,
                                 18446744073709549568.0};
  for (int i = 0; i < 20000; ++i) {
    const double mantissa = std::uniform_real_distribution<double>(0.0, 1.0)(random);
    doubles.push_back(std::ldexp(mantissa, static_cast<int>(random() % 64)));
  }
  for (const double d : doubles) {
    ASSERT_EQ(TruncatedUnsigned(d), static_cast<uint64_t>(d)) << d;
  }

  for (int k = 0; k < 64; ++k) EXPECT_EQ(kPowersOfTwo[k], std::ldexp(1.0, k));
}

TEST(ExactConvert, DimmedLightIsTheScaledValueTruncated) {
  std::mt19937 random(11);
  for (int i = 0; i < 50000; ++i) {
    const uint32_t value = random() >> (random() % 32);
    const int shift = static_cast<int>(random() % 31);
    const float f = std::uniform_real_distribution<float>(0.0f, 1.0f)(random);
    const uint64_t expected =
        static_cast<uint64_t>(static_cast<double>(static_cast<uint64_t>(value) << shift) * f);
    ASSERT_EQ(DimmedLight(value, shift, f), expected) << value << " << " << shift << " * " << f;
  }
}

}  // namespace
}  // namespace ulvo
