// The exact layer against independent values: tests/reference/exact_reference.inc,
// computed in R from the definitions with full sums (dhyper, dbinom, pbinom,
// qbeta, qnorm) by tests/reference/exact_reference.R. Natively through the
// library's exported names; in the Windows builds, whose DLLs do not carry
// this layer, through the linked objects the command-line tool uses.
#include <cmath>

#include "quorbel_exact.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define EXACT(name) NATIVE_EXPORT(name)

constexpr double kProbability = 1e-9;

struct EvaluateCase {
  double population;
  int32_t sample;
  double prevalence, se, sp;
  int32_t positiveAt;
  double diseased, sensitivity, specificity;
};
struct DesignCase {
  double population, prevalence, se, sp, level, target;
  bool reachable;
  int32_t sample, positiveAt;
  double sensitivity;
};
struct MaximumCase {
  int32_t population, sample;
  double se, level, prevalence;
  int32_t maximumDiseased;
  double maximumPrevalence, detectionProbability;
};
struct ProportionCase {
  int32_t x, n;
  double level, z;
  double limits[10];
};
struct TrueCase {
  int32_t x, n;
  double se, sp, level, estimate;
  double limits[4];
  bool valid;
};
struct HerdsCase {
  int32_t herds;
  double herdPrevalence;
  int32_t herdSize, animalsPerHerd;
  double withinPrevalence, se, sp;
  int32_t positiveAt;
  double level, herdSensitivity;
  int32_t herdsNeeded;
};

#include "reference/exact_reference.inc"

double Population(double p) { return p == 0 ? QUORBEL_EXACT_INFINITE : p; }

TEST(Exact, EvaluateAgreesWithFullSums) {
  for (const EvaluateCase& c : kEvaluateCases) {
    QuorbelExactEvaluation r;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Evaluate)(Population(c.population), c.sample, c.prevalence, c.se, c.sp,
                                                       c.positiveAt, &r))
        << c.population << " " << c.sample;
    if (c.population == 0) {
      EXPECT_TRUE(std::isinf(r.diseasedUnits));
    } else {
      EXPECT_EQ(c.diseased, r.diseasedUnits) << c.population << " " << c.sample;
    }
    EXPECT_NEAR(c.sensitivity, r.populationSensitivity, kProbability) << c.population << " " << c.sample;
    EXPECT_NEAR(c.specificity, r.populationSpecificity, kProbability) << c.population << " " << c.sample;
  }
}

TEST(Exact, DesignAgreesWithAFullScan) {
  for (const DesignCase& c : kDesignCases) {
    QuorbelExactDesign r;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Design)(Population(c.population), c.prevalence, c.se, c.sp, c.level,
                                                     c.target, &r))
        << c.population << " " << c.prevalence;
    EXPECT_EQ(c.reachable, r.reachable != 0) << c.population << " " << c.prevalence;
    EXPECT_EQ(c.sample, r.sampleSize) << c.population << " " << c.prevalence;
    EXPECT_EQ(c.positiveAt, r.positiveAt) << c.population << " " << c.prevalence;
    EXPECT_NEAR(c.sensitivity, c.reachable ? r.populationSensitivity : r.bestSensitivity, kProbability);
  }
}

// A design of 10^7 animals whose search sums its sensitivities over the
// population's reactors: 61,964 animals positive at 6,320 (P 0.01, Se 0.5,
// Sp 0.9), the answer of the sum over the sample's diseased units alone.
// Its sensitivity, 0.950001415341063, and that of 61,963 animals,
// 0.949860657668431 (short of 95 %), come from R (population_reactors_test).
TEST(Exact, DesignOfALargePopulationSumsOverItsReactors) {
  QuorbelExactDesign r;
  ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Design)(1e7, 0.01, 0.5, 0.9, 95, 0.95, &r));
  EXPECT_EQ(r.sampleSize, 61964);
  EXPECT_EQ(r.positiveAt, 6320);
  EXPECT_NEAR(r.populationSensitivity, 0.950001415341063, kProbability);
}

TEST(Exact, MaximumPrevalenceAgreesWithFullSums) {
  for (const MaximumCase& c : kMaximumCases) {
    QuorbelExactMaximum r;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_MaximumPrevalence)(c.population, c.sample, c.se, c.level, c.prevalence, &r));
    EXPECT_EQ(c.maximumDiseased, r.maximumDiseased) << c.population << " " << c.sample;
    EXPECT_NEAR(c.maximumPrevalence, r.maximumPrevalence, 1e-15);
    EXPECT_NEAR(c.detectionProbability, r.detectionProbability, kProbability);
  }
}

TEST(Exact, ProportionIntervalsAgreeWithR) {
  for (const ProportionCase& c : kProportionCases) {
    QuorbelExactProportion r;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_ProportionIntervals)(c.x, c.n, c.level, &r));
    EXPECT_NEAR(c.z, r.z, 1e-12);
    const QuorbelExactInterval got[5] = {r.wald, r.wilson, r.clopperPearson, r.jeffreys, r.agrestiCoull};
    for (int i = 0; i < 5; ++i) {
      EXPECT_NEAR(c.limits[2 * i], got[i].lower, kProbability) << c.x << "/" << c.n << " method " << i;
      EXPECT_NEAR(c.limits[2 * i + 1], got[i].upper, kProbability) << c.x << "/" << c.n << " method " << i;
    }
  }
}

TEST(Exact, TruePrevalenceAgreesWithR) {
  for (const TrueCase& c : kTrueCases) {
    QuorbelExactTruePrevalence r;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_TruePrevalence)(c.x, c.n, c.se, c.sp, c.level, &r));
    EXPECT_NEAR(c.estimate, r.estimate, 1e-12);
    EXPECT_NEAR(c.limits[0], r.wilson.lower, kProbability);
    EXPECT_NEAR(c.limits[1], r.wilson.upper, kProbability);
    EXPECT_NEAR(c.limits[2], r.clopperPearson.lower, kProbability);
    EXPECT_NEAR(c.limits[3], r.clopperPearson.upper, kProbability);
    EXPECT_EQ(c.valid, r.valid != 0);
  }
}

// Checks in their documented order, each writing nothing.
TEST(Exact, RejectionsInOrderWriteNothing) {
  const double inf = QUORBEL_EXACT_INFINITE, nan = std::nan("");
  const struct {
    const char* what;
    QuorbelResult code, expected;
  } cases[] = {
      {"population 0.5", EXACT(QuorbelExact_Evaluate)(0.5, 0, 0, 0, 0, 0, nullptr), QUORBEL_EXACT_E_POPULATION},
      {"population 10.5", EXACT(QuorbelExact_Evaluate)(10.5, 1, 0.1, 1, 1, 1, nullptr), QUORBEL_EXACT_E_POPULATION},
      {"population NaN", EXACT(QuorbelExact_Evaluate)(nan, 1, 0.1, 1, 1, 1, nullptr), QUORBEL_EXACT_E_POPULATION},
      {"sample above N", EXACT(QuorbelExact_Evaluate)(10, 11, 0, 0, 0, 0, nullptr), QUORBEL_EXACT_E_SAMPLE},
      {"prevalence 0", EXACT(QuorbelExact_Evaluate)(inf, 5, 0, 0, 0, 0, nullptr), QUORBEL_EXACT_E_PREVALENCE},
      {"sensitivity 1.2", EXACT(QuorbelExact_Evaluate)(inf, 5, 0.1, 1.2, 0, 0, nullptr), QUORBEL_EXACT_E_SENSITIVITY},
      {"specificity NaN", EXACT(QuorbelExact_Evaluate)(inf, 5, 0.1, 1, nan, 0, nullptr), QUORBEL_EXACT_E_SPECIFICITY},
      {"positive at 6 of 5", EXACT(QuorbelExact_Evaluate)(inf, 5, 0.1, 1, 1, 6, nullptr), QUORBEL_EXACT_E_POSITIVE_AT},
      {"design level 49", EXACT(QuorbelExact_Design)(100, 0.1, 1, 1, 49, 0.95, nullptr), QUORBEL_EXACT_E_CONFIDENCE},
      {"design target 0", EXACT(QuorbelExact_Design)(100, 0.1, 1, 1, 95, 0, nullptr), QUORBEL_EXACT_E_TARGET},
      {"maximum sample 0", EXACT(QuorbelExact_MaximumPrevalence)(100, 0, 1, 95, 0.1, nullptr), QUORBEL_EXACT_E_SAMPLE},
      {"interval x 11 of 10", EXACT(QuorbelExact_ProportionIntervals)(11, 10, 95, nullptr), QUORBEL_EXACT_E_POSITIVES},
      {"interval level 100", EXACT(QuorbelExact_ProportionIntervals)(1, 10, 100, nullptr), QUORBEL_EXACT_E_CONFIDENCE},
      {"Se + Sp = 1", EXACT(QuorbelExact_TruePrevalence)(1, 10, 0.4, 0.6, 95, nullptr), QUORBEL_EXACT_E_USELESS_TEST},
      {"herd sample above herds", EXACT(QuorbelExact_HerdSurvey)(10, 11, 0.1, 50, 5, 0.1, 1, 1, 1, nullptr),
       QUORBEL_EXACT_E_SAMPLE},
      // The herd design is checked before the level, as the survey would be.
      {"herds needed, herds 0", EXACT(QuorbelExact_HerdsNeeded)(0, 0.1, 50, 5, 0.1, 1, 1, 1, 10, nullptr),
       QUORBEL_EXACT_E_POPULATION},
      {"herds needed, positive at 6 of 5", EXACT(QuorbelExact_HerdsNeeded)(10, 0.1, 50, 5, 0.1, 1, 1, 6, 10, nullptr),
       QUORBEL_EXACT_E_POSITIVE_AT},
      {"herds needed, level 100", EXACT(QuorbelExact_HerdsNeeded)(10, 0.1, 50, 5, 0.1, 1, 1, 1, 100, nullptr),
       QUORBEL_EXACT_E_CONFIDENCE},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.code) << c.what;
}

// Two-stage: with a perfect test and whole herds tested, a diseased herd is
// always found, so the survey sensitivity is the hypergeometric chance that a
// diseased herd is drawn: 1 - C(95, 10) / C(100, 10) = 0.41624763... (R:
// 1 - choose(95, 10) / choose(100, 10)).
TEST(Exact, HerdSurveyOfWholeHerdsIsTheChanceOfDrawingADiseasedHerd) {
  QuorbelExactHerdSurvey r;
  ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_HerdSurvey)(100, 10, 0.05, 20, 20, 0.1, 1, 1, 1, &r));
  EXPECT_EQ(1.0, r.herdSensitivity);
  EXPECT_EQ(1.0, r.surveySpecificity);
  EXPECT_NEAR(0.41624763307384804, r.surveySensitivity, kProbability);
}

// The herds a two-stage design needs, against R's full sums over every herd
// count (exact_reference.R); the herd sensitivity of each row ties the
// search to the herd design it searched with.
TEST(Exact, HerdsNeededAgreesWithFullSums) {
  for (const HerdsCase& c : kHerdsCases) {
    int32_t needed = -7;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_HerdsNeeded)(c.herds, c.herdPrevalence, c.herdSize, c.animalsPerHerd,
                                                          c.withinPrevalence, c.se, c.sp, c.positiveAt, c.level,
                                                          &needed));
    EXPECT_EQ(c.herdsNeeded, needed) << c.herds << " herds at " << c.level;
    QuorbelExactHerdSurvey survey;
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_HerdSurvey)(c.herds, c.herds, c.herdPrevalence, c.herdSize,
                                                         c.animalsPerHerd, c.withinPrevalence, c.se, c.sp,
                                                         c.positiveAt, &survey));
    EXPECT_NEAR(c.herdSensitivity, survey.herdSensitivity, kProbability);
  }
}

}  // namespace
}  // namespace quorbel::test
