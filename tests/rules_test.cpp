// The shared rules: quantiles, the proportion and positive-value checks, the
// whole-number conversions and the single-precision holding points.
#include <cmath>
#include <limits>

#include "library/rules.h"
#include "support.h"

namespace quorbel::test {
namespace {

TEST(ConfidenceLevel, AcceptsNinetyToNinetyNineOnly) {
  EXPECT_FALSE(IsConfidenceLevel(89));
  EXPECT_FALSE(IsConfidenceLevel(100));
  EXPECT_FALSE(IsConfidenceLevel(-95));
  for (int level = 90; level <= 99; ++level) EXPECT_TRUE(IsConfidenceLevel(level)) << level;
}

TEST(ConfidenceLevel, QuantilesAreTheSinglePrecisionConstants) {
  EXPECT_EQ(0x3FD28F5Cu, Bits(ConfidenceQuantile(90)));
  for (int level = 91; level <= 98; ++level)  // not interpolated
    EXPECT_EQ(0x3FFAE148u, Bits(ConfidenceQuantile(level))) << level;
  EXPECT_EQ(0x4024DD2Fu, Bits(ConfidenceQuantile(99)));
}

TEST(ConfidenceLevel, SquareIsTheHeldProductOfTheFloat) {
  // 1.9600000381469727^2 = 3.84160014..., held: 3.8416002, not 3.8416.
  EXPECT_TRUE(BitsEqual(3.8416002f, ConfidenceQuantileSquared(95)));
  EXPECT_NE(Bits(3.8416f), Bits(ConfidenceQuantileSquared(95)));
}

struct CheckCase {
  const char* name;
  float value;
  bool exclusive, inclusive, positive;
};

const float kJustAboveBound = std::nextafter(0.000001f, 1.0f);
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

const CheckCase kCheckCases[] = {
    {"float nearest 0.000001 lies below the double bound", 0.000001f, false, false, false},
    {"next float up is accepted", kJustAboveBound, true, true, true},
    {"largest float below 1", 0.99999994f, true, true, true},
    {"one: exclusive rejects, inclusive accepts", 1.0f, false, true, true},
    {"just above one", 1.0000001f, false, false, true},
    {"zero", 0.0f, false, false, false},
    {"negative zero", -0.0f, false, false, false},
    {"tiny negative", -0.0000001f, false, false, false},
    {"negative half", -0.5f, false, false, false},
    {"large positive", 1e30f, false, false, true},
    {"infinity has no upper bound in the positive check", kInf, false, false, true},
    {"NaN is rejected by every check", kNaN, false, false, false},
};

TEST(ProportionCheck, TableOfBoundaries) {
  for (const CheckCase& c : kCheckCases) {
    EXPECT_EQ(c.exclusive, IsProportionExclusive(c.value)) << c.name;
    EXPECT_EQ(c.inclusive, IsProportionInclusive(c.value)) << c.name;
    EXPECT_EQ(c.positive, IsPositiveValue(c.value)) << c.name;
  }
}

struct SizeCase {
  const char* name;
  double real;
  int32_t whole;
};

const SizeCase kWholeNumberCases[] = {
    {"fraction rounds up", 24.2, 25},
    {"a whole number still gains one", 25.0, 26},
    {"zero gains one", 0.0, 1},
    {"small negative truncates toward zero", -0.5, 1},
    {"negative", -1.5, 0},
    {"largest representable count", 2147483646.5, INT32_MAX},
    {"one past the range saturates", 2147483647.0, INT32_MAX},
    {"far beyond the range", 3e18, INT32_MAX},
    {"infinity", HUGE_VAL, INT32_MAX},
    {"NaN", std::nan(""), INT32_MAX},
    {"lowest in range", -2147483648.5, -2147483647},
    {"below the range", -1e30, INT32_MIN},
};

TEST(WholeNumberRule, TruncationPlusOneSaturating) {
  for (const SizeCase& c : kWholeNumberCases) EXPECT_EQ(c.whole, WholeNumberSize(c.real)) << c.name;
}

const SizeCase kFloorCases[] = {
    {"87.62 + 0.5", 88.12, 88},   {"87.4 + 0.5", 87.9, 87},       {"below one half", 0.49 + 0.5, 0},
    {"exact", 96.0, 96},          {"beyond", 1e20, INT32_MAX},    {"NaN", std::nan(""), INT32_MAX},
    {"negative", -0.5, -1},       {"below", -1e20, INT32_MIN},
};

TEST(WholeNumberRule, FloorSaturating) {
  for (const SizeCase& c : kFloorCases) EXPECT_EQ(c.whole, FloorSize(c.real)) << c.name;
}

const SizeCase kTruncCases[] = {
    {"positive", 257.7, 257}, {"negative", -3.9, -3}, {"beyond", 1e10, INT32_MAX},
    {"NaN", std::nan(""), INT32_MAX}, {"below", -1e10, INT32_MIN},
};

TEST(WholeNumberRule, TruncationSaturating) {
  for (const SizeCase& c : kTruncCases) EXPECT_EQ(c.whole, TruncatedSize(c.real)) << c.name;
}

// GCC 12 at -O2 has been seen to drop the float rounding of two held values
// when its SLP vectoriser packs them together; the build disables it. Two
// neighbouring stores of held values must each keep their rounding.
__attribute__((noinline)) void StoreTwoHeld(const double* in, double* out) {
  out[0] = (1.0 - Hold(in[0])) * 1000.0;
  out[1] = (1.0 - Hold(in[1])) * 1000.0;
}

TEST(HoldingPoint, TwoNeighbouringHeldValuesKeepTheirRounding) {
  const double in[2] = {0.05000000000000001, 0.1};
  double out[2];
  StoreTwoHeld(in, out);
  // 0.05f is 0.0500000007450580596923828125 and 0.1f 0.100000001490116119384765625,
  // so the held values give 949.9999992549419 and 899.9999985098839 (Python
  // doubles); a dropped rounding would give 950 and 900.
  EXPECT_EQ(949.9999992549419, out[0]);
  EXPECT_EQ(899.9999985098839, out[1]);
}

}  // namespace
}  // namespace quorbel::test
