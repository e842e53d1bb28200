// Factorial, IntPower and the reactor cut-off search (internal routines).
#include <climits>
#include <cmath>

#include "detection/numeric.h"
#include "library/rules.h"
#include "support.h"

namespace quorbel::test {
namespace {

double RecursiveFactorial(int n) { return n < 0 ? -1.0 : n == 0 ? 1.0 : n * RecursiveFactorial(n - 1); }

TEST(Factorial, TableEqualsTheRecursionBitForBit) {
  for (int n = -3; n <= 170; ++n) EXPECT_EQ(RecursiveFactorial(n), Factorial(n)) << n;
  EXPECT_TRUE(std::isfinite(Factorial(170)));
  EXPECT_TRUE(std::isinf(Factorial(171)));
}

TEST(IntPower, RepeatedSquaringInSinglePrecision) {
  EXPECT_EQ(1.0f, IntPower(0.0f, 0));
  EXPECT_EQ(1.0f, IntPower(123.0f, 0));
  EXPECT_EQ(1024.0f, IntPower(2.0f, 10));
  EXPECT_EQ(4.0f, IntPower(0.5f, -2));
  EXPECT_EQ(1.0f, IntPower(1.0f, INT_MIN));
  // Bits from Python with each square and product rounded to a float
  // (struct round-trip). 0.95^4 and 1.1^5 come out one bit away from the
  // correctly rounded powers (0x3F50837B, 0x3FCE2533): the held squares show.
  EXPECT_TRUE(BitsEqual(FromBits(0x3F50837A), IntPower(0.95f, 4)));
  EXPECT_TRUE(BitsEqual(FromBits(0x3F461681), IntPower(0.95f, 5)));
  EXPECT_TRUE(BitsEqual(FromBits(0x3FBB67A2), IntPower(1.1f, 4)));
  EXPECT_TRUE(BitsEqual(FromBits(0x3FCE2532), IntPower(1.1f, 5)));
}

struct CutOffCase {
  const char* name;
  int m;
  float sp;
  int k;  // -1: none found
};

const float kJustBelow0875 = std::nextafter(0.875f, 0.0f);

// The expected counts come from an independent reference (exact binomial,
// Poisson and normal sums in higher precision) and differ between the models
// on each side of a boundary.
const CutOffCase kCutOffCases[] = {
    {"m 170 is binomial (Poisson would give 14)", 170, 0.95f, 13},
    {"m 171 is Poisson (binomial would give 13)", 171, 0.95f, 14},
    {"lambda exactly 30 is Poisson (normal would give 38)", 240, 0.875f, 39},
    {"lambda just above 30 is normal (Poisson would give 39)", 240, kJustBelow0875, 38},
    {"specificity 1, binomial: k 0", 50, 1.0f, 0},
    {"specificity 1, Poisson with lambda 0: k 0", 255, 1.0f, 0},
    {"m 0 finds none", 0, 0.9f, -1},
    {"m 1 with a poor test finds none before k reaches m", 1, 0.5f, -1},
};

TEST(FindReactorCutOff, ModelBoundaries) {
  for (const CutOffCase& c : kCutOffCases) {
    const auto k = FindReactorCutOff(c.m, c.sp, 0.05f, SpecificityPower::kReal);
    EXPECT_EQ(c.k, k ? *k : -1) << c.name;
  }
}

TEST(FindReactorCutOff, LargeNormalSearchEnds) {
  // Thousands of animals with a poor specificity: the normal model.
  const auto k = FindReactorCutOff(5000, 0.8f, 0.05f, SpecificityPower::kReal);
  ASSERT_TRUE(k.has_value());
  EXPECT_NEAR(1000 + 1.645 * std::sqrt(0.16 * 5000), *k, 2.0);
  // A bound the float sum cannot reach ends in "none", not in a long loop.
  EXPECT_FALSE(FindReactorCutOff(INT32_MAX, 0.5f, 0.0000011f, SpecificityPower::kReal).has_value());
}

}  // namespace
}  // namespace quorbel::test
