// ConfidenceInterval_SimpleRandom_Proportion and _PositiveCases through the
// exported names.
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

struct Example {
  const char* name;
  float proportion;
  int n, population, level;
  float lower, upper;
};

const Example kProportionExamples[] = {
    {"p 0.3, 100 of 1000, 95 %", 0.3f, 100, 1000, 95, 0.21479072f, 0.38520932f},
    {"a negative lower limit is returned as computed", 0.02f, 10, 1000, 95, -0.066337943f, 0.10633794f},
    {"the whole population: zero width", 0.3f, 1000, 1000, 95, 0.3f, 0.3f},
};

TEST(ConfidenceIntervalSimpleRandom, ProportionExamples) {
  for (const Example& e : kProportionExamples) {
    IntervalResult r;
    ASSERT_EQ(QUORBEL_OK, Lib().ConfidenceInterval_SimpleRandom_Proportion(e.proportion, e.n, e.population, e.level, &r))
        << e.name;
    EXPECT_TRUE(BitsEqual(e.lower, r.lower)) << e.name;
    EXPECT_TRUE(BitsEqual(e.upper, r.upper)) << e.name;
  }
}

struct CountExample {
  const char* name;
  int positives, n, population, level;
  float estimate, lower, upper;
};

const CountExample kCountExamples[] = {
    {"30 of 100 from 1000, 95 %", 30, 100, 1000, 95, 0.3f, 0.21479072f, 0.38520932f},
    {"every animal positive: zero width at 1", 10, 10, 1000, 95, 1.0f, 1.0f, 1.0f},
    {"the whole population: zero width", 30, 100, 100, 99, 0.3f, 0.3f, 0.3f},
};

TEST(ConfidenceIntervalSimpleRandom, PositiveCasesExamples) {
  for (const CountExample& e : kCountExamples) {
    EstimateIntervalResult r;
    ASSERT_EQ(QUORBEL_OK,
              Lib().ConfidenceInterval_SimpleRandom_PositiveCases(e.positives, e.n, e.population, e.level, &r))
        << e.name;
    EXPECT_TRUE(BitsEqual(e.estimate, r.estimate)) << e.name;
    EXPECT_TRUE(BitsEqual(e.lower, r.lower)) << e.name;
    EXPECT_TRUE(BitsEqual(e.upper, r.upper)) << e.name;
  }
}

// The two variants round the root of the variance at different points; where
// x / n is exactly the proportion they still agree on the worked example.
TEST(ConfidenceIntervalSimpleRandom, CountAndProportionAgreeOnTheExample) {
  IntervalResult fromProportion;
  EstimateIntervalResult fromCount;
  ASSERT_EQ(QUORBEL_OK, Lib().ConfidenceInterval_SimpleRandom_Proportion(0.3f, 100, 1000, 95, &fromProportion));
  ASSERT_EQ(QUORBEL_OK, Lib().ConfidenceInterval_SimpleRandom_PositiveCases(30, 100, 1000, 95, &fromCount));
  EXPECT_TRUE(BitsEqual(fromProportion.lower, fromCount.lower));
  EXPECT_TRUE(BitsEqual(fromProportion.upper, fromCount.upper));
}

struct Rejection {
  const char* name;
  float proportion;  // for the proportion variant
  int positives;     // for the count variant
  int n, population, level;
  QuorbelResult code;
};

const Rejection kRejections[] = {
    {"proportion 1 / positives 0", 1.0f, 0, 1, 1, 100, QUORBEL_E_OBSERVED_PROPORTION},
    {"NaN proportion / negative positives", std::numeric_limits<float>::quiet_NaN(), -3, 1, 1, 100,
     QUORBEL_E_OBSERVED_PROPORTION},
    {"sample 1 before level", 0.3f, 30, 1, 1000, 100, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"population 1 before level", 0.3f, 30, 100, 1, 100, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"level before population order", 0.3f, 30, 100, 50, 89, QUORBEL_E_CONFIDENCE},
    {"sample larger than population", 0.3f, 30, 100, 99, 95, QUORBEL_E_POPULATION_TOO_SMALL},
};

TEST(ConfidenceIntervalSimpleRandom, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    IntervalResult interval;
    EstimateIntervalResult estimate;
    Poison(interval);
    Poison(estimate);
    EXPECT_EQ(r.code, Lib().ConfidenceInterval_SimpleRandom_Proportion(r.proportion, r.n, r.population, r.level,
                                                                        &interval)) << r.name;
    EXPECT_EQ(r.code, Lib().ConfidenceInterval_SimpleRandom_PositiveCases(r.positives, r.n, r.population, r.level,
                                                                           &estimate)) << r.name;
    EXPECT_TRUE(IsUntouched(interval)) << r.name;
    EXPECT_TRUE(IsUntouched(estimate)) << r.name;
  }
}

TEST(ConfidenceIntervalSimpleRandom, MorePositivesThanAnimalsIsRejectedLast) {
  EstimateIntervalResult r;
  Poison(r);
  EXPECT_EQ(QUORBEL_E_OBSERVED_PROPORTION, Lib().ConfidenceInterval_SimpleRandom_PositiveCases(11, 10, 100, 95, &r));
  EXPECT_TRUE(IsUntouched(r));
  // The other checks still come first.
  EXPECT_EQ(QUORBEL_E_CONFIDENCE, Lib().ConfidenceInterval_SimpleRandom_PositiveCases(11, 10, 100, 100, &r));
  EXPECT_EQ(QUORBEL_E_POPULATION_TOO_SMALL, Lib().ConfidenceInterval_SimpleRandom_PositiveCases(11, 10, 9, 95, &r));
}

}  // namespace
}  // namespace quorbel::test
