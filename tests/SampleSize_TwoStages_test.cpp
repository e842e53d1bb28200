// SampleSize_TwoStages through the exported name.
#include <cmath>
#include <cstring>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

struct Example {
  const char* name;
  float prevalence, precision;
  int level, m, preset;
  float rho;
  int32_t clusters, animals;
  uint8_t raised;
};

const Example kExamples[] = {
    {"preset 1, D 2", 0.3f, 0.2f, 95, 10, 1, 0.0f, 45, 450, 0},
    {"preset 2, D 4", 0.3f, 0.2f, 95, 10, 2, 0.0f, 90, 900, 0},
    {"preset 3, D 7", 0.3f, 0.2f, 95, 10, 3, 0.0f, 157, 1570, 0},
    {"preset 4, D 7.5", 0.3f, 0.2f, 95, 10, 4, 0.0f, 169, 1690, 0},
    {"preset 5 gives rho 1, D 10", 0.3f, 0.2f, 95, 10, 5, 0.0f, 225, 2250, 0},
    {"preset -1 gives rho 1", 0.3f, 0.2f, 95, 10, -1, 0.0f, 225, 2250, 0},
    {"given rho 0.05, D 1.45", 0.3f, 0.2f, 95, 10, 0, 0.05f, 33, 330, 0},
    {"a given rho overrides the preset", 0.3f, 0.2f, 95, 10, 2, 0.05f, 33, 330, 0},
    {"rho 0.000001 as a float is no rho: preset 1 applies", 0.3f, 0.2f, 95, 10, 1, 0.000001f, 45, 450, 0},
    {"a computed 25 (g 24.59) keeps flag 0", 0.3f, 0.27f, 95, 10, 1, 0.0f, 25, 250, 0},
    {"a computed 23 (g 22.87) is raised with flag 1", 0.3f, 0.28f, 95, 10, 1, 0.0f, 25, 250, 1},
    {"below 25 clusters: raised, flag set", 0.3f, 0.5f, 95, 10, 1, 0.0f, 25, 250, 1},
    {"m 2, preset 1: rho 1, D 2", 0.3f, 0.2f, 95, 2, 1, 0.0f, 225, 450, 0},
    {"negative rho lowers D to 0 or less: 25 with flag", 0.3f, 0.2f, 95, 10, 1, -0.5f, 25, 250, 1},
    {"infinite rho saturates", 0.3f, 0.2f, 95, 10, 0, std::numeric_limits<float>::infinity(),
     QUORBEL_SIZE_UNBOUNDED, QUORBEL_SIZE_UNBOUNDED, 0},
};

TEST(SampleSizeTwoStages, WorkedExamples) {
  for (const Example& e : kExamples) {
    TwoStageSampleSizeResult r;
    Poison(r);
    ASSERT_EQ(QUORBEL_OK, Lib().SampleSize_TwoStages(e.prevalence, e.precision, e.level, e.m, e.preset, e.rho, &r))
        << e.name;
    EXPECT_EQ(e.clusters, r.clusters) << e.name;
    EXPECT_EQ(e.animals, r.animals) << e.name;
    EXPECT_EQ(e.raised, r.minimumApplied) << e.name;
  }
}

TEST(SampleSizeTwoStages, WritesOnlyTheFlagByteOfItsLastField) {
  TwoStageSampleSizeResult r;
  Poison(r);
  ASSERT_EQ(QUORBEL_OK, Lib().SampleSize_TwoStages(0.3f, 0.2f, 95, 10, 1, 0.0f, &r));
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(&r);
  for (int i = 9; i < 12; ++i) EXPECT_EQ(kPoison, bytes[i]) << "byte " << i;
}

struct Rejection {
  const char* name;
  float prevalence, precision;
  int level, m, preset;
  float rho;
  QuorbelResult code;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const Rejection kRejections[] = {
    {"prevalence 1", 1.0f, 0.0f, 100, 1, 0, 0.0f, QUORBEL_E_CLUSTER_PREVALENCE},
    {"precision before level", 0.3f, 0.0f, 100, 1, 0, 0.0f, QUORBEL_E_PRECISION},
    {"level before m", 0.3f, 0.2f, 100, 1, 0, 0.0f, QUORBEL_E_CONFIDENCE},
    {"m 1 before rho", 0.3f, 0.2f, 95, 1, 0, 0.0f, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"no preset, rho 0", 0.3f, 0.2f, 95, 10, 0, 0.0f, QUORBEL_E_CORRELATION},
    {"no preset, rho 0.000001 as a float", 0.3f, 0.2f, 95, 10, 0, 0.000001f, QUORBEL_E_CORRELATION},
    {"no preset, negative rho", 0.3f, 0.2f, 95, 10, 0, -0.3f, QUORBEL_E_CORRELATION},
    {"no preset, NaN rho", 0.3f, 0.2f, 95, 10, 0, kNaN, QUORBEL_E_CORRELATION},
};

TEST(SampleSizeTwoStages, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    TwoStageSampleSizeResult result;
    Poison(result);
    EXPECT_EQ(r.code, Lib().SampleSize_TwoStages(r.prevalence, r.precision, r.level, r.m, r.preset, r.rho, &result))
        << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

}  // namespace
}  // namespace quorbel::test
