// The detection sample sizes and the maximum prevalence through the exported
// names.
#include <cstring>
#include <limits>

#include "support.h"

namespace quorbel::test {
namespace {

constexpr int32_t kUntouched = -77;

struct SimpleRandomCase {
  const char* name;
  float prevalence;
  int population;
  float se1, sp1, se2, sp2;
  int combination;
  int32_t sampleSize, cutOff;
  float sensitivity, specificity;
};

const SimpleRandomCase kSimpleRandomCases[] = {
    {"perfect test (n* 257.70, Poisson with lambda 0)", 0.01f, 1000, 1, 1, 0, 0, 0, 257, 0, 1.0f, 1.0f},
    {"binomial m 45, k 3", 0.05f, 100, 0.9f, 0.98f, 0, 0, 0, 47, 2, 0.9f, 0.98f},
    {"Poisson lambda 13.95, k 20", 0.01f, 1000, 0.9f, 0.95f, 0, 0, 0, 281, 19, 0.9f, 0.95f},
    {"two tests in parallel", 0.01f, 1000, 0.9f, 0.95f, 0.8f, 0.99f, 2, 262, 21, 0.98f, 0.9405f},
    {"two tests in series", 0.01f, 1000, 0.9f, 0.95f, 0.8f, 0.99f, 1, 339, 0, 0.71999997f, 0.9995f},  // 0.9 x 0.8 held: small_formulas.py
    {"Poisson lambda 25.95, k 35", 0.02f, 1900, 0.8f, 0.85f, 0, 0, 0, 176, 34, 0.8f, 0.85f},
    {"r rounds to 1: sample 0, m 0, no cut-off", 0.5f, 2000000000, 1, 1, 0, 0, 0, 0, kUntouched, 1.0f, 1.0f},
    {"prevalence 1: m 0, no cut-off", 1.0f, 1000, 1, 0.9f, 0, 0, 0, 1, kUntouched, 1.0f, 0.9f},
    {"a second sensitivity above 1 with no specificity is ignored", 0.01f, 1000, 0.9f, 0.95f, 1.5f, 0, 0, 281, 19,
     0.9f, 0.95f},
};

TEST(DetectionSimpleRandom, WorkedValues) {
  for (const SimpleRandomCase& c : kSimpleRandomCases) {
    DetectionSampleSizeResult r;
    Poison(r);
    r.reactorCutOff = kUntouched;
    ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_SampleSize_SimpleRandom(c.prevalence, c.population, 95, c.se1, c.sp1,
                                                                        c.se2, c.sp2, &r, 0.05f, c.combination))
        << c.name;
    EXPECT_EQ(c.sampleSize, r.sampleSize) << c.name;
    EXPECT_EQ(c.cutOff, r.reactorCutOff) << c.name;
    EXPECT_TRUE(BitsEqual(c.sensitivity, r.sensitivity)) << c.name;
    EXPECT_TRUE(BitsEqual(c.specificity, r.specificity)) << c.name;
  }
}

TEST(DetectionSimpleRandom, ReferenceTableWithPerfectSensitivityAt95) {
  // Rows 50 .. 10000000 animals, columns 10 % .. 0.1 %. The 949 of row 1000
  // is a cell where a dropped float rounding of r would give 950.
  const float expected[48] = {21, 34, 47,  50,  50,  50,   24, 44, 77,  94,  99,  100,  26, 52, 111, 174,
                              227, 250, 27, 55, 128, 224, 348, 498, 28, 56, 137, 257, 449, 949, 28, 57,
                              142, 276, 516, 1552, 28, 58, 146, 289, 563, 2252, 28, 58, 148, 298, 597, 2993};
  DetectionSampleSizeResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_SampleSize_SimpleRandom(0.3f, 77, 95, 1.0f, 0.5f, 0, 0, &r, 0.05f, 0));
  for (int i = 0; i < 48; ++i) EXPECT_TRUE(BitsEqual(expected[i], r.referenceTable[i])) << "cell " << i;
  for (int row = 0; row < 8; ++row) {
    const float animals[8] = {50, 100, 250, 500, 1000, 2000, 5000, 10000000};
    for (int column = 0; column < 6; ++column) EXPECT_LE(r.referenceTable[row * 6 + column], animals[row]);
  }
}

struct Rejection {
  const char* name;
  float prevalence;
  int population, level;
  float se1, sp1, se2, sp2, risk;
  int combination;
  QuorbelResult code;
};

const float kNaN = std::numeric_limits<float>::quiet_NaN();

const Rejection kRejections[] = {
    {"prevalence 0.0000005", 0.0000005f, 0, 0, 0, 0, 0, 0, 0, 0, QUORBEL_E_TEST_PREVALENCE},
    {"prevalence 0.000001 as a float", 0.000001f, 100, 95, 1, 1, 0, 0, 0.05f, 0, QUORBEL_E_TEST_PREVALENCE},
    {"population 0", 0.1f, 0, 0, 0, 0, 0, 0, 0, 0, QUORBEL_E_POPULATION},
    {"level 89", 0.1f, 100, 89, 0, 0, 0, 0, 0, 0, QUORBEL_E_CONFIDENCE},
    {"level 100", 0.1f, 100, 100, 0, 0, 0, 0, 0, 0, QUORBEL_E_CONFIDENCE},
    {"risk 0", 0.1f, 100, 95, 0, 0, 0, 0, 0, 0, QUORBEL_E_FALSE_POSITIVE_RISK},
    {"sensitivity 0", 0.1f, 100, 95, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_SENSITIVITY},
    {"specificity NaN", 0.1f, 100, 95, 0.9f, kNaN, 0, 0, 0.05f, 0, QUORBEL_E_SPECIFICITY},
    {"second specificity without sensitivity", 0.1f, 100, 95, 0.9f, 0.9f, 0, 0.9f, 0.05f, 1, QUORBEL_E_SENSITIVITY},
    {"second sensitivity without specificity", 0.1f, 100, 95, 0.9f, 0.9f, 0.9f, 0, 0.05f, 1, QUORBEL_E_SPECIFICITY},
    {"two tests, no combination", 0.1f, 100, 95, 0.9f, 0.9f, 0.9f, 0.9f, 0.05f, 0, QUORBEL_E_TEST_COMBINATION},
};

TEST(DetectionSimpleRandom, RejectionsInOrderWriteNothing) {
  for (const Rejection& c : kRejections) {
    DetectionSampleSizeResult r;
    Poison(r);
    EXPECT_EQ(c.code, Lib().DetectingEvent_SampleSize_SimpleRandom(c.prevalence, c.population, c.level, c.se1, c.sp1,
                                                                    c.se2, c.sp2, &r, c.risk, c.combination))
        << c.name;
    EXPECT_TRUE(IsUntouched(r)) << c.name;
  }
}

// The two-stage worked values: one test 0.9 / 0.98, 95 %, risk 0.05, 500
// herds at 5 %, 20 % within a herd of 100, herd sensitivity 95 %.
struct TwoStageCase {
  const char* name;
  float herdSize;
  int herdSensitivity;
  float sp;
  int32_t herds, perHerd, total, herdCutOff, totalCutOff;
  int32_t table[7];
};

const TwoStageCase kTwoStageCases[] = {
    {"worked values (m1 11 binomial, m2 790 Poisson)", 100, 95, 0.98f, 57, 14, 798, 0, 22,
     {13, 14, 14, 14, 14, 15, 15}},
    {"herd sensitivity 0: no animals, every herd, no cut-off", 100, 0, 0.98f, 500, 0, 0, kUntouched, kUntouched,
     {0, 0, 0, 0, 0, 0, 0}},
    {"specificity 1: both cut-offs 0", 100, 95, 1.0f, 57, 14, 798, 0, 0, {13, 14, 14, 14, 14, 15, 15}},
};

TEST(DetectionTwoStages, WorkedValues) {
  for (const TwoStageCase& c : kTwoStageCases) {
    TwoStageDetectionResult r;
    Poison(r);
    r.herdReactorCutOff = r.totalReactorCutOff = kUntouched;
    ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_SampleSize_TwoStages(95, 0.05f, 500, 0.2f, c.herdSize, c.herdSensitivity,
                                                                     0.9f, c.sp, 0, 0, &r, 0.05f, 0))
        << c.name;
    EXPECT_EQ(c.herds, r.herdsToSample) << c.name;
    EXPECT_EQ(c.perHerd, r.animalsPerHerd) << c.name;
    EXPECT_EQ(c.total, r.totalAnimals) << c.name;
    EXPECT_EQ(c.herdCutOff, r.herdReactorCutOff) << c.name;
    EXPECT_EQ(c.totalCutOff, r.totalReactorCutOff) << c.name;
    for (int i = 0; i < 7; ++i) EXPECT_EQ(c.table[i], r.herdSizeTable[i]) << c.name << " cell " << i;
  }
}

TEST(DetectionTwoStages, FullHerdSensitivityExaminesAlmostTheHerd) {
  TwoStageDetectionResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_SampleSize_TwoStages(95, 0.05f, 500, 0.2f, 100, 100, 0.9f, 0.98f, 0, 0,
                                                                   &r, 0.05f, 0));
  EXPECT_EQ(91, r.animalsPerHerd);
}

TEST(DetectionTwoStages, ProductBeyondTheIntegerRangeSaturates) {
  TwoStageDetectionResult r;
  ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_SampleSize_TwoStages(99, 0.000002f, 2000000000, 0.000002f, 3e9f, 99, 1.0f,
                                                                   1.0f, 0, 0, &r, 0.05f, 0));
  EXPECT_EQ(QUORBEL_SIZE_UNBOUNDED, r.totalAnimals);
}

struct TwoStageRejection {
  const char* name;
  int level;
  float herdPrevalence;
  int herds;
  float within, herdSize;
  int herdSensitivity;
  float se1, sp1, se2, sp2, risk;
  int combination;
  QuorbelResult code;
};

const TwoStageRejection kTwoStageRejections[] = {
    {"level first, all else bad", 100, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, QUORBEL_E_CONFIDENCE},
    {"risk", 95, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0, 0, QUORBEL_E_FALSE_POSITIVE_RISK},
    {"herd prevalence", 95, 0, 0, 0, 0, -1, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_TEST_PREVALENCE},
    {"herd count", 95, 0.05f, 0, 0, 0, -1, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_POPULATION},
    {"within-herd prevalence", 95, 0.05f, 10, 0, 0, -1, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_WITHIN_HERD_PREVALENCE},
    {"herd size 0.5", 95, 0.05f, 10, 0.2f, 0.5f, -1, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_HERD_SIZE},
    {"herd size NaN", 95, 0.05f, 10, 0.2f, kNaN, 50, 0.9f, 0.9f, 0, 0, 0.05f, 0, QUORBEL_E_HERD_SIZE},
    {"herd sensitivity -1", 95, 0.05f, 10, 0.2f, 1.0f, -1, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_HERD_SENSITIVITY},
    {"herd sensitivity 101", 95, 0.05f, 10, 0.2f, 1.0f, 101, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_HERD_SENSITIVITY},
    {"sensitivity", 95, 0.05f, 10, 0.2f, 1.0f, 100, 0, 0, 0, 0, 0.05f, 0, QUORBEL_E_SENSITIVITY},
    {"specificity", 95, 0.05f, 10, 0.2f, 1.0f, 0, 0.9f, 0, 0, 0, 0.05f, 0, QUORBEL_E_SPECIFICITY},
    {"second specificity alone", 95, 0.05f, 10, 0.2f, 1.0f, 0, 0.9f, 0.9f, 0, 0.9f, 0.05f, 2, QUORBEL_E_SENSITIVITY},
    {"second sensitivity alone", 95, 0.05f, 10, 0.2f, 1.0f, 0, 0.9f, 0.9f, 0.9f, 0, 0.05f, 2, QUORBEL_E_SPECIFICITY},
    {"no combination", 95, 0.05f, 10, 0.2f, 1.0f, 0, 0.9f, 0.9f, 0.9f, 0.9f, 0.05f, 0, QUORBEL_E_TEST_COMBINATION},
};

TEST(DetectionTwoStages, RejectionsInOrderWriteNothing) {
  for (const TwoStageRejection& c : kTwoStageRejections) {
    TwoStageDetectionResult r;
    Poison(r);
    EXPECT_EQ(c.code, Lib().DetectingEvent_SampleSize_TwoStages(c.level, c.herdPrevalence, c.herds, c.within,
                                                                 c.herdSize, c.herdSensitivity, c.se1, c.sp1, c.se2,
                                                                 c.sp2, &r, c.risk, c.combination))
        << c.name;
    EXPECT_TRUE(IsUntouched(r)) << c.name;
  }
}

// Expected values: tests/reference/maximum_prevalence.py, an independent
// Python evaluation of the steps with each held value rounded to a float. The
// first three rows agree with the worked values (94, 0.093656, 0.79024; 105,
// 0.104062, 0.75389; 1, 0.95, 0.55279) and the fourth with X = 950, 951 and
// 9.5; in the last, b is negative and the probability is taken as 1.
struct MaximumCase {
  const char* name;
  int n, population;
  float sensitivity, prevalence;
  int32_t diseased;
  uint32_t maximum, probability;
};

const MaximumCase kMaximumCases[] = {
    {"30 of 1000, perfect test", 30, 1000, 1.0f, 0.05f, 94, 0x3DBFCEA1, 0x3F4A4D75},
    {"30 of 1000, sensitivity 0.9", 30, 1000, 0.9f, 0.05f, 105, 0x3DD51E7B, 0x3F40FF0D},
    {"a census of one", 1, 1, 1.0f, 0.5f, 1, 0x3F733333, 0x3F0D8369},
    {"a poor test can exceed 1", 1, 100, 0.1f, 0.05f, 951, 0x41180000, 0x3BA3D780},
    {"a sample close to a census cannot miss", 99, 100, 1.0f, 0.5f, 2, 0x3C790F4F, 0x3F800000},
};

TEST(MaximumPrevalence, WorkedValues) {
  for (const MaximumCase& c : kMaximumCases) {
    MaximumPrevalenceResult r;
    ASSERT_EQ(QUORBEL_OK, Lib().DetectingEvent_MaximumPrevalence(c.n, c.population, c.sensitivity, 95, c.prevalence, &r))
        << c.name;
    EXPECT_EQ(c.diseased, r.diseasedAnimals) << c.name;
    EXPECT_TRUE(BitsEqual(FromBits(c.maximum), r.maximumPrevalence)) << c.name;
    EXPECT_TRUE(BitsEqual(FromBits(c.probability), r.detectionProbability)) << c.name;
  }
}

struct MaximumRejection {
  const char* name;
  int n, population;
  float sensitivity;
  int level;
  float prevalence;
  QuorbelResult code;
};

const MaximumRejection kMaximumRejections[] = {
    {"sample 0 with population 0", 0, 0, 0, 0, 0, QUORBEL_E_SAMPLE_TOO_SMALL},
    {"population 0", 1, 0, 0, 0, 0, QUORBEL_E_POPULATION},
    {"sample one above the population", 101, 100, 0, 0, 0, QUORBEL_E_POPULATION_TOO_SMALL},
    {"sensitivity 0.0000005 before the level", 100, 100, 0.0000005f, 100, 0, QUORBEL_E_SENSITIVITY},
    {"level", 100, 100, 1.0f, 100, 0, QUORBEL_E_CONFIDENCE},
    {"prevalence", 100, 100, 1.0f, 95, 1.5f, QUORBEL_E_TEST_PREVALENCE},
};

TEST(MaximumPrevalence, RejectionsInOrderWriteNothing) {
  for (const MaximumRejection& c : kMaximumRejections) {
    MaximumPrevalenceResult r;
    Poison(r);
    EXPECT_EQ(c.code, Lib().DetectingEvent_MaximumPrevalence(c.n, c.population, c.sensitivity, c.level, c.prevalence, &r))
        << c.name;
    EXPECT_TRUE(IsUntouched(r)) << c.name;
  }
}

}  // namespace
}  // namespace quorbel::test
