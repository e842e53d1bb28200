// Estimating_SampleSize and Estimating_ConfidenceInterval through the
// exported names.
#include <array>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

using Sizes = std::array<int32_t, QUORBEL_LADDER_RESULTS>;

struct SizeExample {
  const char* name;
  float error;
  int level;
  float sd;
  int population;
  Sizes sizes;
};

const SizeExample kSizeExamples[] = {
    {"error 2, 95 %, sd 10, N 1000 (n0 96.04)", 2.0f, 95, 10.0f, 1000,
     {33, 49, 59, 65, 73, 77, 81, 85, 88, 90, 92, 93, 94, 95, 95, 96, 88}},
    {"error 0.5, 90 %, sd 3, N 250", 0.5f, 90, 3.0f, 250,
     {33, 49, 59, 66, 74, 78, 82, 86, 89, 91, 93, 95, 96, 96, 96, 97, 70}},
    {"n0 below 0.5 gives 0 everywhere", 10.0f, 95, 0.1f, 1000, {}},
    {"population 1 with n0 at least 1 gives 1", 2.0f, 95, 10.0f, 1,
     {33, 49, 59, 65, 73, 77, 81, 85, 88, 90, 92, 93, 94, 95, 95, 96, 1}},
};

TEST(EstimatingSampleSize, WorkedExamples) {
  for (const SizeExample& e : kSizeExamples) {
    Sizes sizes;
    sizes.fill(-7);
    ASSERT_EQ(QUORBEL_OK, Lib().Estimating_SampleSize(e.error, e.level, e.sd, e.population, sizes.data())) << e.name;
    EXPECT_EQ(e.sizes, sizes) << e.name;
  }
}

TEST(EstimatingSampleSize, PopulationOfOneWithSmallN0GivesZero) {
  Sizes sizes;
  // n0 = (0.4 * 1.96 / 1)^2 = 0.61: a population of one gives 0.61 / 1.61 -> 0.
  ASSERT_EQ(QUORBEL_OK, Lib().Estimating_SampleSize(1.0f, 95, 0.4f, 1, sizes.data()));
  EXPECT_EQ(0, sizes[16]);
  EXPECT_EQ(1, sizes[15]);
}

TEST(EstimatingSampleSize, InfiniteN0Saturates) {
  Sizes sizes;
  ASSERT_EQ(QUORBEL_OK, Lib().Estimating_SampleSize(0.0000011f, 99, 3e38f, 1000, sizes.data()));
  for (int32_t size : sizes) EXPECT_EQ(QUORBEL_SIZE_UNBOUNDED, size);
}

struct SizeRejection {
  const char* name;
  float error;
  int level;
  float sd;
  int population;
  QuorbelResult code;
};

const SizeRejection kSizeRejections[] = {
    {"error 0", 0.0f, 100, 0.0f, 0, QUORBEL_E_ACCEPTED_ERROR},
    {"error 0.000001 as a float", 0.000001f, 95, 10.0f, 100, QUORBEL_E_ACCEPTED_ERROR},
    {"sd 0", 2.0f, 100, 0.0f, 0, QUORBEL_E_STANDARD_DEVIATION},
    {"sd NaN", 2.0f, 95, std::numeric_limits<float>::quiet_NaN(), 100, QUORBEL_E_STANDARD_DEVIATION},
    {"population 0 before a bad level", 2.0f, 100, 10.0f, 0, QUORBEL_E_POPULATION},
    {"level 89", 2.0f, 89, 10.0f, 100, QUORBEL_E_CONFIDENCE},
};

TEST(EstimatingSampleSize, RejectionsInOrderWriteNothing) {
  for (const SizeRejection& r : kSizeRejections) {
    int32_t sizes[QUORBEL_LADDER_RESULTS];
    Poison(sizes);
    EXPECT_EQ(r.code, Lib().Estimating_SampleSize(r.error, r.level, r.sd, r.population, sizes)) << r.name;
    EXPECT_TRUE(IsUntouched(sizes)) << r.name;
  }
}

struct IntervalExample {
  const char* name;
  float mean, sd;
  int n, population, level;
  float lower, upper;
};

// Worked values where given; the negative-limit row from
// tests/reference/small_formulas.py.
const IntervalExample kIntervalExamples[] = {
    {"mean 25, sd 4, 30 of 200, 95 %", 25.0f, 4.0f, 30, 200, 95, 23.680332f, 26.319668f},
    {"negative lower limit returned", 0.5f, 2.0f, 10, 100000, 90, -0.54033726f, 1.5403373f},
    {"the whole population: both limits at the mean", 25.0f, 4.0f, 200, 200, 95, 25.0f, 25.0f},
};

TEST(EstimatingInterval, WorkedExamples) {
  for (const IntervalExample& e : kIntervalExamples) {
    IntervalResult r;
    ASSERT_EQ(QUORBEL_OK, Lib().Estimating_ConfidenceInterval(e.mean, e.sd, e.n, e.population, e.level, &r)) << e.name;
    EXPECT_TRUE(BitsEqual(e.lower, r.lower)) << e.name;
    EXPECT_TRUE(BitsEqual(e.upper, r.upper)) << e.name;
  }
}

TEST(EstimatingInterval, SampleOfOneIsAccepted) {
  // SE is then the standard deviation times the correction.
  IntervalResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().Estimating_ConfidenceInterval(25.0f, 4.0f, 1, 1000000, 99, &r));
  EXPECT_NEAR(25.0 - 2.576 * 4.0, r.lower, 1e-4);
  EXPECT_NEAR(25.0 + 2.576 * 4.0, r.upper, 1e-4);
}

TEST(EstimatingInterval, SampleRoundingAbovePopulationIsNoNaN) {
  // 16777219 rounds to the float 16777220, above the population.
  IntervalResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().Estimating_ConfidenceInterval(25.0f, 4.0f, 16777219, 16777219, 95, &r));
  EXPECT_EQ(25.0f, r.lower);
  EXPECT_EQ(25.0f, r.upper);
}

struct IntervalRejection {
  const char* name;
  float mean, sd;
  int n, population, level;
  QuorbelResult code;
};

const IntervalRejection kIntervalRejections[] = {
    {"mean -1", -1.0f, 0.0f, 0, 0, 100, QUORBEL_E_MEAN},
    {"mean 0", 0.0f, 4.0f, 30, 200, 95, QUORBEL_E_MEAN},
    {"sd 0", 25.0f, 0.0f, 0, 0, 100, QUORBEL_E_STANDARD_DEVIATION},
    {"sample 0", 25.0f, 4.0f, 0, 0, 100, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"population 0", 25.0f, 4.0f, 10, 0, 100, QUORBEL_E_POPULATION},
    {"population 9 with sample 10", 25.0f, 4.0f, 10, 9, 100, QUORBEL_E_POPULATION_TOO_SMALL},
    {"level last", 25.0f, 4.0f, 10, 10, 100, QUORBEL_E_CONFIDENCE},
};

TEST(EstimatingInterval, RejectionsInOrderWriteNothing) {
  for (const IntervalRejection& r : kIntervalRejections) {
    IntervalResult result;
    Poison(result);
    EXPECT_EQ(r.code, Lib().Estimating_ConfidenceInterval(r.mean, r.sd, r.n, r.population, r.level, &result))
        << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

}  // namespace
}  // namespace quorbel::test
