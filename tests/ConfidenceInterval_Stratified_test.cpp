// ConfidenceInterval_Stratified through the exported name.
#include "support.h"

namespace quorbel::test {
namespace {

struct Slot {
  int population, sample;
  float proportion;
};

struct Call {
  int level;
  Slot s[5];
};

QuorbelResult CallStratified(const Call& c, EstimateIntervalResult* r) {
  return Lib().ConfidenceInterval_Stratified(
      c.level, c.s[0].population, c.s[0].sample, c.s[0].proportion, c.s[1].population, c.s[1].sample,
      c.s[1].proportion, c.s[2].population, c.s[2].sample, c.s[2].proportion, c.s[3].population, c.s[3].sample,
      c.s[3].proportion, c.s[4].population, c.s[4].sample, c.s[4].proportion, r);
}

struct Example {
  const char* name;
  Call call;
  float estimate, lower, upper;
};

const Slot kS1 = {1000, 100, 0.3f}, kS2 = {2000, 150, 0.1f}, kS3 = {500, 50, 0.2f}, kS4 = {300, 30, 0.05f},
           kS5 = {100, 10, 0.5f}, kEmpty = {0, 0, 0.0f};

const Example kExamples[] = {
    {"two strata", {95, {kS1, kS2, kEmpty, kEmpty, kEmpty}}, 0.16666667f, 0.1246091f, 0.20872425f},
    {"five strata", {95, {kS1, kS2, kS3, kS4, kS5}}, 0.17051283f, 0.13405924f, 0.20696642f},
    {"n_3 = 1 ends the list", {95, {kS1, kS2, {500, 1, 0.2f}, kS4, kS5}}, 0.16666667f, 0.1246091f, 0.20872425f},
    {"p_3 = 0 ends the list", {95, {kS1, kS2, {500, 50, 0.0f}, kS4, kS5}}, 0.16666667f, 0.1246091f, 0.20872425f},
    {"N_3 = 1 ends the list", {95, {kS1, kS2, {1, 50, 0.2f}, kS4, kS5}}, 0.16666667f, 0.1246091f, 0.20872425f},
    {"p_3 = 1 ends the list", {95, {kS1, kS2, {500, 50, 1.0f}, kS4, kS5}}, 0.16666667f, 0.1246091f, 0.20872425f},
    {"every stratum sampled whole: zero width", {95, {{1000, 1000, 0.3f}, {2000, 2000, 0.1f}, kEmpty, kEmpty, kEmpty}},
     0.16666667f, 0.16666667f, 0.16666667f},
};

TEST(ConfidenceIntervalStratified, WorkedExamples) {
  for (const Example& e : kExamples) {
    EstimateIntervalResult r;
    ASSERT_EQ(QUORBEL_OK, CallStratified(e.call, &r)) << e.name;
    EXPECT_TRUE(BitsEqual(e.estimate, r.estimate)) << e.name;
    EXPECT_TRUE(BitsEqual(e.lower, r.lower)) << e.name;
    EXPECT_TRUE(BitsEqual(e.upper, r.upper)) << e.name;
  }
}

TEST(ConfidenceIntervalStratified, OptionalSlotsCompareStrictlyWithZero) {
  // 0.0000001 is below the proportion check's bound but above 0: slot 3 is
  // present and changes the estimate.
  EstimateIntervalResult two, three;
  ASSERT_EQ(QUORBEL_OK, CallStratified({95, {kS1, kS2, kEmpty, kEmpty, kEmpty}}, &two));
  ASSERT_EQ(QUORBEL_OK, CallStratified({95, {kS1, kS2, {500, 50, 0.0000001f}, kEmpty, kEmpty}}, &three));
  EXPECT_NE(Bits(two.estimate), Bits(three.estimate));
}

struct Rejection {
  const char* name;
  Call call;
  QuorbelResult code;
};

const Rejection kRejections[] = {
    {"level 100 first", {100, {kEmpty, kEmpty, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_CONFIDENCE},
    {"N_1 1", {95, {{1, 0, 0.0f}, kEmpty, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_POPULATION_TOO_SMALL},
    {"N_2 1 before n_1", {95, {{1000, 0, 0.0f}, {1, 0, 0.0f}, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_POPULATION_TOO_SMALL},
    {"n_1 1", {95, {{1000, 1, 0.0f}, {2000, 0, 0.0f}, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"n_2 1 before p_1", {95, {{1000, 100, 0.0f}, {2000, 1, 0.0f}, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"p_1 0", {95, {{1000, 100, 0.0f}, {2000, 150, 0.0f}, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_OBSERVED_PROPORTION},
    {"p_2 1", {95, {kS1, {2000, 150, 1.0f}, kEmpty, kEmpty, kEmpty}}, QUORBEL_E_OBSERVED_PROPORTION},
    {"stratum 1 sampled beyond its population", {95, {{100, 101, 0.3f}, kS2, kEmpty, kEmpty, kEmpty}},
     QUORBEL_E_POPULATION_TOO_SMALL},
    {"present stratum 4 sampled beyond its population", {95, {kS1, kS2, kS3, {30, 31, 0.05f}, kEmpty}},
     QUORBEL_E_POPULATION_TOO_SMALL},
};

TEST(ConfidenceIntervalStratified, RejectionsInOrderWriteNothing) {
  for (const Rejection& r : kRejections) {
    EstimateIntervalResult result;
    Poison(result);
    EXPECT_EQ(r.code, CallStratified(r.call, &result)) << r.name;
    EXPECT_TRUE(IsUntouched(result)) << r.name;
  }
}

}  // namespace
}  // namespace quorbel::test
