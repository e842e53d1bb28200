// SampleSize_Stratified through the exported name.
#include <cmath>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

struct Strata {
  int level;
  float precision;
  int n1; float p1; int n2; float p2; int n3; float p3; int n4; float p4; int n5; float p5;
};

QuorbelResult Call(const Strata& s, StratifiedSampleSizeResult* r) {
  return Lib().SampleSize_Stratified(s.level, s.precision, s.n1, s.p1, s.n2, s.p2, s.n3, s.p3, s.n4, s.p4,
                                     s.n5, s.p5, r);
}

struct Example {
  const char* name;
  Strata strata;
  float prevalence;
  int32_t sizes[5];
  int32_t total;
};

const Example kExamples[] = {
    {"two strata (n 374.1658): total exceeds trunc(n) + 1", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 0, 0, 0, 0, 0, 0},
     0.16666667f, {163, 213, 0, 0, 0}, 376},
    {"five strata (n 368.97696)",
     {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, 0.2f, 300, 0.05f, 100, 0.5f}, 0.17051283f, {124, 162, 54, 18, 14}, 372},
    {"an empty slot 3 ends the list", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 0, 0.2f, 300, 0.05f, 100, 0.5f},
     0.16666667f, {163, 213, 0, 0, 0}, 376},
    {"prevalences of absent slots are not looked at", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, -1, 7.0f, 300, -2.0f, 1, 0},
     0.16666667f, {163, 213, 0, 0, 0}, 376},
};

TEST(SampleSizeStratified, WorkedExamples) {
  for (const Example& e : kExamples) {
    StratifiedSampleSizeResult r;
    Poison(r);
    ASSERT_EQ(QUORBEL_OK, Call(e.strata, &r)) << e.name;
    EXPECT_TRUE(BitsEqual(e.prevalence, r.prevalence)) << e.name;
    for (int h = 0; h < 5; ++h) EXPECT_EQ(e.sizes[h], r.stratumSizes[h]) << e.name << " stratum " << h + 1;
    EXPECT_EQ(e.total, r.total) << e.name;
  }
}

TEST(SampleSizeStratified, EqualPrevalencesShareByPopulation) {
  StratifiedSampleSizeResult r;
  ASSERT_EQ(QUORBEL_OK, Call({95, 0.2f, 1000, 0.2f, 3000, 0.2f, 0, 0, 0, 0, 0, 0}, &r));
  EXPECT_NEAR(3.0 * (r.stratumSizes[0] - 1), r.stratumSizes[1] - 1, 3.0);
}

TEST(SampleSizeStratified, HalvingPrecisionRoughlyQuadruples) {
  StratifiedSampleSizeResult coarse, fine;
  ASSERT_EQ(QUORBEL_OK, Call({95, 0.2f, 100000, 0.3f, 200000, 0.1f, 0, 0, 0, 0, 0, 0}, &coarse));
  ASSERT_EQ(QUORBEL_OK, Call({95, 0.1f, 100000, 0.3f, 200000, 0.1f, 0, 0, 0, 0, 0, 0}, &fine));
  EXPECT_NEAR(4.0, static_cast<double>(fine.total) / coarse.total, 0.05);
}

TEST(SampleSizeStratified, EveryPresentStratumGetsAtLeastOne) {
  StratifiedSampleSizeResult r;
  ASSERT_EQ(QUORBEL_OK, Call({90, 0.9f, 100000, 0.5f, 2, 0.01f, 1, 0.01f, 1, 0.01f, 1, 0.01f}, &r));
  for (int h = 0; h < 5; ++h) EXPECT_GE(r.stratumSizes[h], 1) << h;
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Rejection {
  const char* name;
  Strata strata;
  QuorbelResult code;
};

const Rejection kRejections[] = {
    {"level 100 before anything else", {100, 0.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, QUORBEL_E_CONFIDENCE},
    {"level 89", {89, 0.2f, 1000, 0.3f, 2000, 0.1f, 0, 0, 0, 0, 0, 0}, QUORBEL_E_CONFIDENCE},
    {"precision before strata", {95, 1.0f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, QUORBEL_E_PRECISION},
    {"stratum 1 size 0", {95, 0.2f, 0, 0.3f, 2000, 0.1f, 0, 0, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
    {"stratum 2 size 0", {95, 0.2f, 1000, 0.3f, 0, 0.1f, 0, 0, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
    {"stratum 1 prevalence 1", {95, 0.2f, 1000, 1.0f, 2000, 0.1f, 0, 0, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
    {"stratum 2 prevalence 0.000001", {95, 0.2f, 1000, 0.3f, 2000, 0.000001f, 0, 0, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
    {"present stratum 3 with prevalence 0", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, 0.0f, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
    {"present stratum 4 with prevalence 1", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, 0.2f, 10, 1.0f, 0, 0}, QUORBEL_E_STRATUM},
    {"present stratum 5 negative", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, 0.2f, 10, 0.5f, 5, -0.1f}, QUORBEL_E_STRATUM},
    {"present stratum 3 NaN", {95, 0.2f, 1000, 0.3f, 2000, 0.1f, 500, kNaN, 0, 0, 0, 0}, QUORBEL_E_STRATUM},
};

TEST(SampleSizeStratified, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    StratifiedSampleSizeResult result;
    Poison(result);
    EXPECT_EQ(r.code, Call(r.strata, &result)) << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

TEST(SampleSizeStratified, HugeStrataDoNotOverflow) {
  StratifiedSampleSizeResult r;
  ASSERT_EQ(QUORBEL_OK, Call({99, 0.0000011f, 2147483647, 0.5f, 2147483647, 0.5f, 2147483647, 0.5f,
                              2147483647, 0.5f, 2147483647, 0.5f}, &r));
  EXPECT_EQ(QUORBEL_SIZE_UNBOUNDED, r.total);
}

}  // namespace
}  // namespace quorbel::test
