// SampleSize_SimpleRandom through the exported name.
#include <array>
#include <cmath>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

using Sizes = std::array<int32_t, QUORBEL_LADDER_RESULTS>;

Sizes Compute(float prevalence, float precision, int level, int population, QuorbelResult expected = QUORBEL_OK) {
  Sizes sizes;
  sizes.fill(-7);
  EXPECT_EQ(expected, Lib().SampleSize_SimpleRandom(prevalence, precision, level, population, sizes.data()));
  return sizes;
}

struct Example {
  const char* name;
  float prevalence, precision;
  int level, population;
  Sizes sizes;
};

const Example kExamples[] = {
    {"P 0.3, d 0.1, 95 %, N 1000 (n0 896.37335)", 0.3f, 0.1f, 95, 1000,
     {473, 48, 90, 129, 164, 225, 277, 321, 409, 473, 562, 619, 714, 761, 801, 823, 897}},
    {"P 0.5, d 0.1, 95 %, N 500 (n0 384.16)", 0.5f, 0.1f, 95, 500,
     {218, 45, 80, 108, 132, 169, 196, 218, 255, 278, 306, 323, 347, 357, 366, 370, 385}},
    {"levels 91 and 98 use z of 95", 0.3f, 0.1f, 91, 1000,
     {473, 48, 90, 129, 164, 225, 277, 321, 409, 473, 562, 619, 714, 761, 801, 823, 897}},
    {"level 98", 0.3f, 0.1f, 98, 1000,
     {473, 48, 90, 129, 164, 225, 277, 321, 409, 473, 562, 619, 714, 761, 801, 823, 897}},
};

TEST(SampleSizeSimpleRandom, WorkedExamples) {
  for (const Example& e : kExamples) EXPECT_EQ(e.sizes, Compute(e.prevalence, e.precision, e.level, e.population)) << e.name;
}

TEST(SampleSizeSimpleRandom, HugePopulationEqualsInfinite) {
  // n0 = 1493.0494: entry 0 and entry 16 are both 1494.
  const Sizes sizes = Compute(0.1f, 0.2f, 99, 2000000000);
  EXPECT_EQ(1494, sizes[0]);
  EXPECT_EQ(1494, sizes[16]);
}

TEST(SampleSizeSimpleRandom, PopulationOfOneGivesOne) { EXPECT_EQ(1, Compute(0.3f, 0.1f, 95, 1)[0]); }

TEST(SampleSizeSimpleRandom, FiniteEntryNeverExceedsItsPopulation) {
  const int populations[] = {1, 2, 3, 10, 49, 50, 51, 999, 100000};
  for (int population : populations) {
    const Sizes sizes = Compute(0.01f, 0.05f, 99, population);
    EXPECT_LE(sizes[0], population);
  }
  const Sizes tiny = Compute(0.01f, 0.05f, 99, 1);
  const int ladder[] = {50, 100, 150, 200, 300, 400, 500, 750, 1000, 1500, 2000, 3500, 5000, 7500, 10000};
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i) EXPECT_LE(tiny[i + 1], ladder[i]);
}

TEST(SampleSizeSimpleRandom, SizeBeyondTheIntegerRangeSaturates) {
  // n0 near 3e18: entry 16 cannot hold it and reports QUORBEL_SIZE_UNBOUNDED.
  const Sizes sizes = Compute(0.0000011f, 0.0000011f, 95, 1000);
  EXPECT_EQ(QUORBEL_SIZE_UNBOUNDED, sizes[16]);
  EXPECT_EQ(1000, sizes[0]);
}

struct Rejection {
  const char* name;
  float prevalence, precision;
  int level, population;
  QuorbelResult code;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Each row breaks one argument and, where it matters, a later one too, so that
// the order of the checks is pinned.
const Rejection kRejections[] = {
    {"prevalence 0.000001 as a float", 0.000001f, 0.1f, 95, 1000, QUORBEL_E_PREVALENCE},
    {"prevalence 1", 1.0f, 0.1f, 95, 1000, QUORBEL_E_PREVALENCE},
    {"prevalence NaN", kNaN, 0.1f, 95, 1000, QUORBEL_E_PREVALENCE},
    {"prevalence before precision", -0.5f, 0.0f, 100, 0, QUORBEL_E_PREVALENCE},
    {"precision 0.000001 as a float", 0.3f, 0.000001f, 95, 1000, QUORBEL_E_PRECISION},
    {"precision before level", 0.3f, 1.0f, 89, 0, QUORBEL_E_PRECISION},
    {"level 89", 0.3f, 0.1f, 89, 1000, QUORBEL_E_CONFIDENCE},
    {"level before population", 0.3f, 0.1f, 100, 0, QUORBEL_E_CONFIDENCE},
    {"population 0", 0.3f, 0.1f, 95, 0, QUORBEL_E_POPULATION},
    {"population negative", 0.3f, 0.1f, 95, -5, QUORBEL_E_POPULATION},
};

TEST(SampleSizeSimpleRandom, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    int32_t sizes[QUORBEL_LADDER_RESULTS];
    Poison(sizes);
    EXPECT_EQ(r.code, Lib().SampleSize_SimpleRandom(r.prevalence, r.precision, r.level, r.population, sizes))
        << r.name;
    EXPECT_TRUE(IsUntouched(sizes)) << r.name;
  }
}

TEST(SampleSizeSimpleRandom, SmallestAcceptedProportionsPass) {
  const float justAbove = std::nextafter(0.000001f, 1.0f);
  int32_t sizes[QUORBEL_LADDER_RESULTS];
  EXPECT_EQ(QUORBEL_OK, Lib().SampleSize_SimpleRandom(0.5f, justAbove, 95, 10, sizes));
  EXPECT_EQ(QUORBEL_OK, Lib().SampleSize_SimpleRandom(0.99999994f, 0.5f, 95, 10, sizes));
}

}  // namespace
}  // namespace quorbel::test
