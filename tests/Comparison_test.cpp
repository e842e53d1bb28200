// Comparison_SampleSize and Comparison_ConfidenceInterval through the
// exported names.
#include <cmath>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

struct SizeExample {
  const char* name;
  float p1, p2;
  int level, power;
  int32_t twoSided, oneSided;
};

const SizeExample kSizeExamples[] = {
    {"0.2 vs 0.4, 95 %, power 80", 0.2f, 0.4f, 95, 80, 91, 74},
    {"0.1 vs 0.2, 90 %, power 90 (one-sided z 1.282)", 0.1f, 0.2f, 90, 90, 237, 186},
    {"0.05 vs 0.1, 99 %, power 95 (one-sided z 2.326)", 0.05f, 0.1f, 99, 95, 1025, 912},
    {"p2 = 1 passes the inclusive check", 0.5f, 1.0f, 95, 80, 15, 12},
    {"equal proportions need an unbounded sample", 0.3f, 0.3f, 95, 80, QUORBEL_SIZE_UNBOUNDED,
     QUORBEL_SIZE_UNBOUNDED},
    {"both 1", 1.0f, 1.0f, 95, 80, QUORBEL_SIZE_UNBOUNDED, QUORBEL_SIZE_UNBOUNDED},
};

TEST(ComparisonSampleSize, WorkedExamples) {
  for (const SizeExample& e : kSizeExamples) {
    ComparisonSampleSizeResult r;
    ASSERT_EQ(QUORBEL_OK, Lib().Comparison_SampleSize(e.p1, e.p2, e.level, e.power, &r)) << e.name;
    EXPECT_EQ(e.twoSided, r.twoSided) << e.name;
    EXPECT_EQ(e.oneSided, r.oneSided) << e.name;
  }
}

TEST(ComparisonSampleSize, PowerQuantilesDiffer) {
  // 85 % uses 1.0366: sizes lie strictly between those of 80 and 90 %.
  ComparisonSampleSizeResult r80, r85, r90;
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_SampleSize(0.1f, 0.2f, 95, 80, &r80));
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_SampleSize(0.1f, 0.2f, 95, 85, &r85));
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_SampleSize(0.1f, 0.2f, 95, 90, &r90));
  EXPECT_LT(r80.twoSided, r85.twoSided);
  EXPECT_LT(r85.twoSided, r90.twoSided);
}

struct SizeRejection {
  const char* name;
  float p1, p2;
  int level, power;
  QuorbelResult code;
};

const SizeRejection kSizeRejections[] = {
    {"p1 0.000001 as a float", 0.000001f, 0.4f, 95, 80, QUORBEL_E_FIRST_PROPORTION},
    {"p1 NaN", std::numeric_limits<float>::quiet_NaN(), 0.4f, 95, 80, QUORBEL_E_FIRST_PROPORTION},
    {"p2 just above 1", 0.5f, 1.0000001f, 95, 80, QUORBEL_E_SECOND_PROPORTION},
    {"level before power", 0.2f, 0.4f, 100, 75, QUORBEL_E_CONFIDENCE},
    {"power 75", 0.2f, 0.4f, 95, 75, QUORBEL_E_POWER},
    {"power 99 before the order", 0.4f, 0.3f, 95, 99, QUORBEL_E_POWER},
    {"p2 smaller than p1", 0.4f, 0.3f, 95, 80, QUORBEL_E_PROPORTION_ORDER},
};

TEST(ComparisonSampleSize, RejectionsInOrderWriteNothing) {
  for (const SizeRejection& r : kSizeRejections) {
    ComparisonSampleSizeResult result;
    Poison(result);
    EXPECT_EQ(r.code, Lib().Comparison_SampleSize(r.p1, r.p2, r.level, r.power, &result)) << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

TEST(ComparisonInterval, WorkedExampleAtThreeLevels) {
  ComparisonIntervalResult r;
  Poison(r);
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_ConfidenceInterval(0.2f, 100, 0.35f, 120, &r));
  EXPECT_TRUE(BitsEqual(0.14999999f, r.difference));
  const float expected[6] = {0.052738f, 0.247262f, 0.034114f, 0.265886f, -0.002307f, 0.302307f};
  const float actual[6] = {r.lower90, r.upper90, r.lower95, r.upper95, r.lower99, r.upper99};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(expected[i], actual[i], 5e-7) << i;
  EXPECT_EQ(1, r.significant90);
  EXPECT_EQ(1, r.significant95);
  EXPECT_EQ(0, r.significant99);
  // Only the flag byte of each flag field is written.
  for (const uint8_t* padding : {r.padding90, r.padding95, r.padding99})
    for (int i = 0; i < 3; ++i) EXPECT_EQ(kPoison, padding[i]);
}

TEST(ComparisonInterval, EqualProportionsAreSymmetricAndNotSignificant) {
  ComparisonIntervalResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_ConfidenceInterval(0.3f, 50, 0.3f, 50, &r));
  EXPECT_EQ(0.0f, r.difference);
  EXPECT_NEAR(-0.150767f, r.lower90, 5e-7);
  EXPECT_TRUE(BitsEqual(-r.lower90, r.upper90));
  EXPECT_EQ(0, r.significant90 | r.significant95 | r.significant99);
}

TEST(ComparisonInterval, QuantilesAreDoubles) {
  // With single-precision quantiles the 95 % limits would differ in the last
  // bits; the widths must be exactly 1.96 SE and 2.576 SE in double.
  ComparisonIntervalResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().Comparison_ConfidenceInterval(0.2f, 100, 0.35f, 120, &r));
  const double se = static_cast<float>(std::sqrt(static_cast<double>(static_cast<float>(
      0.2f * (1.0 - 0.2f) / 100.0f + 0.35f * (1.0 - 0.35f) / 120.0f))));
  EXPECT_TRUE(BitsEqual(static_cast<float>(r.difference - 1.96 * se), r.lower95));
  EXPECT_TRUE(BitsEqual(static_cast<float>(r.difference + 2.576 * se), r.upper99));
}

struct IntervalRejection {
  const char* name;
  float p1;
  int size1;
  float p2;
  int size2;
  QuorbelResult code;
};

const IntervalRejection kIntervalRejections[] = {
    {"p1 0", 0.0f, 0, 0.3f, 0, QUORBEL_E_FIRST_PROPORTION},
    {"p2 1.5", 0.3f, 0, 1.5f, 0, QUORBEL_E_SECOND_PROPORTION},
    {"size1 0 before the order", 0.4f, 0, 0.35f, 120, QUORBEL_E_FIRST_SAMPLE},
    {"size2 0", 0.2f, 100, 0.35f, 0, QUORBEL_E_SECOND_SAMPLE},
    {"p2 smaller than p1", 0.4f, 100, 0.35f, 120, QUORBEL_E_PROPORTION_ORDER},
};

TEST(ComparisonInterval, RejectionsInOrderWriteNothing) {
  for (const IntervalRejection& r : kIntervalRejections) {
    ComparisonIntervalResult result;
    Poison(result);
    EXPECT_EQ(r.code, Lib().Comparison_ConfidenceInterval(r.p1, r.size1, r.p2, r.size2, &result)) << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

}  // namespace
}  // namespace quorbel::test
