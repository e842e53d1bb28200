// Freedom from disease against independent values: epiR 2.0.57 (Debian's
// r-cran-epir) for infinite populations, and full sums in R (dhyper) for
// finite ones, each named beside its case. Natively through the library's
// exported names; in the Windows builds, whose DLLs do not carry this layer,
// through the linked objects the command-line tool uses.
#include <cmath>
#include <vector>

#include "quorbel_freedom.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define FREEDOM(name) NATIVE_EXPORT(name)

constexpr double kProbability = 1e-9;

struct SensitivityCase {
  double population, sample, prevalence, se, sensitivity, diseased;
};

TEST(Freedom, SimpleSensitivity) {
  const SensitivityCase cases[] = {
      {INFINITY, 100, 0.01, 0.9, 0.59508352398857334, 0},  // rsu.sep.rs(N = NA, n = 100, pstar = 0.01, se.u = 0.9)
      {1000, 100, 0.01, 0.9, 0.61213272585936429, 10},     // 1 - sum(dhyper(k, 10, 990, 100) 0.1^k)
      {1000, 1000, 0.001, 0.8, 0.8, 1},                    // D = 1, n = N: the one diseased unit found with 0.8
      {1000, 0, 0.01, 0.9, 0, 10},                         // nothing tested, nothing found
  };
  for (const SensitivityCase& c : cases) {
    double sep = -1, diseased = -1;
    ASSERT_EQ(FREEDOM(QuorbelFreedom_Sensitivity)(c.population, c.sample, c.prevalence, c.se, &sep, &diseased),
              QUORBEL_OK);
    EXPECT_NEAR(sep, c.sensitivity, kProbability) << c.population << " " << c.sample;
    EXPECT_EQ(diseased, c.diseased);
  }
}

TEST(Freedom, PooledSensitivityAndSpecificity) {
  // rsu.sep.rspool(r = 10, k = 5, pstar = 0.1, pse = 0.9, psp = 0.99)
  double sep = 0, spp = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_Pooled)(0.1, 10, 5, 0.9, 0.99, &sep, &spp), QUORBEL_OK);
  EXPECT_NEAR(sep, 0.99082673835168456, kProbability);
  EXPECT_NEAR(spp, 0.90438207500880441, kProbability);
  // rsu.sssep.rspool(k = 5, pstar = 0.1, pse = 0.9, psp = 0.99, se.p = 0.95): 7 pools.
  double pools = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_PooledSampleSize)(0.1, 5, 0.9, 0.99, 0.95, &pools, &sep, &spp), QUORBEL_OK);
  EXPECT_EQ(pools, 7);
  EXPECT_GE(sep, 0.95);
}

TEST(Freedom, RiskBasedSensitivity) {
  // rsu.sep.rb(rr = c(3, 1), ppr = c(0.1, 0.9), df = (group, se, n) = (1, 0.9,
  // 10), (2, 0.8, 20), pstar = 0.01, method = "binomial"): SeP
  // 0.30326464666119035, adjusted risks 2.5 and 0.8333, EPI 0.025 and 0.008333.
  QuorbelFreedomGroup groups[] = {{3, 0.1, 10, 0.9, 0, 0}, {1, 0.9, 20, 0.8, 0, 0}};
  double sep = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_RiskBased)(0.01, 2, groups, &sep), QUORBEL_OK);
  EXPECT_NEAR(sep, 0.30326464666119035, kProbability);
  EXPECT_NEAR(groups[0].adjustedRisk, 2.5, 1e-15);
  EXPECT_NEAR(groups[1].effectiveProbability, 0.01 / 1.2, 1e-15);
}

// A group with 1 % of the allocation at ten times the risk makes the split's
// sensitivity fall as n grows. With groups (RR 10, share
// 0.1, allocation 0.01), (1, 0.45, 0.3), (1, 0.45, 0.69), P 0.01, SE 1, the
// largest-remainder split of 41 is [1, 12, 28] with SeP 0.23290874280914342,
// and that of 42 is [0, 13, 29] with SeP 0.1988 (independent Python
// computation of the definition): target 0.23 is first reached at 41.
TEST(Freedom, RiskBasedSampleSizeTakesTheFirstReachingTotal) {
  QuorbelFreedomGroup groups[] = {{10, 0.1, 0.01, 1, 0, 0}, {1, 0.45, 0.3, 1, 0, 0}, {1, 0.45, 0.69, 1, 0, 0}};
  double n = 0, sep = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_RiskBasedSampleSize)(0.01, 0.23, 3, groups, &n, &sep), QUORBEL_OK);
  EXPECT_EQ(n, 41);
  EXPECT_NEAR(sep, 0.23290874280914342, kProbability);
  EXPECT_EQ(groups[0].sampled, 1);
  EXPECT_EQ(groups[1].sampled, 12);
  EXPECT_EQ(groups[2].sampled, 28);
}

struct SizeCase {
  double population, prevalence, se, target;
  int32_t reachable;
  double sampleSize;
};

TEST(Freedom, SampleSizes) {
  const SizeCase cases[] = {
      {INFINITY, 0.01, 0.9, 0.95, 1, 332},  // rsu.sssep.rs(N = NA, pstar = 0.01, se.p = 0.95, se.u = 0.9)
      {1000, 0.01, 0.9, 0.95, 1, 287},      // the first n with 1 - sum(dhyper(...) 0.1^k) >= 0.95 (R, full sums)
      // R, full sums: 0.9530 at 50 and 0.9490 at 49 (epiR's approximation: 51).
      {100, 0.05, 0.9, 0.95, 1, 50},
      // R, full sums: 0.9540 at 28 and 0.9467 at 27 (epiR's approximation: 29).
      {50, 0.1, 0.8, 0.95, 1, 28},
      // SE P = 0.5 and target 0.75: the logarithm is exactly 2 and SeP(2) is
      // exactly 0.75, which reaches the target.
      {INFINITY, 0.5, 1, 0.75, 1, 2},
      // D = 1 of 1000 found with 0.8 at most: 0.9 is unreachable.
      {1000, 0.001, 0.8, 0.9, 0, 0},
  };
  for (const SizeCase& c : cases) {
    QuorbelFreedomSize r{};
    ASSERT_EQ(FREEDOM(QuorbelFreedom_SampleSize)(c.population, c.prevalence, c.se, c.target, &r), QUORBEL_OK);
    EXPECT_EQ(r.reachable, c.reachable) << c.population << " " << c.prevalence;
    EXPECT_EQ(r.sampleSize, c.sampleSize) << c.population << " " << c.prevalence;
  }
  QuorbelFreedomSize unreachable{};
  FREEDOM(QuorbelFreedom_SampleSize)(1000, 0.001, 0.8, 0.9, &unreachable);
  EXPECT_NEAR(unreachable.sensitivity, 0.8, kProbability);  // SeP(N) reported
}

TEST(Freedom, DesignPrevalence) {
  // rsu.pstar(N = NA, n = 100, se.p = 0.95, se.u = 0.9)
  QuorbelFreedomPrevalence r{};
  ASSERT_EQ(FREEDOM(QuorbelFreedom_DesignPrevalence)(INFINITY, 100, 0.9, 0.95, &r), QUORBEL_OK);
  EXPECT_NEAR(r.prevalence, 0.03279227734115548, kProbability);
  // The smallest D with 1 - sum(dhyper(k, D, 500 - D, 50) 0.1^k) >= 0.95 is 31 (R).
  ASSERT_EQ(FREEDOM(QuorbelFreedom_DesignPrevalence)(500, 50, 0.9, 0.95, &r), QUORBEL_OK);
  EXPECT_EQ(r.diseased, 31);
  EXPECT_NEAR(r.prevalence, 31.0 / 500, 1e-15);
}

TEST(Freedom, ProbabilityOverPeriods) {
  // rsu.pfree.rs(se.p = 0.9 three times, p.intro = 0.01, prior = 0.5)
  const double sensitivities[] = {0.9, 0.9, 0.9};
  double priors[3], probabilities[3], equilibrium = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_Probability)(0.5, 0.01, 3, sensitivities, priors, probabilities, &equilibrium),
            QUORBEL_OK);
  const double expected[] = {0.90742438130155822, 0.98881142868673011, 0.99785157798619706};
  const double discounted[] = {0.495, 0.89835013748854264, 0.9789233143998628};
  for (int t = 0; t < 3; ++t) {
    EXPECT_NEAR(probabilities[t], expected[t], kProbability);
    EXPECT_NEAR(priors[t], discounted[t], kProbability);
  }
  EXPECT_NEAR(equilibrium, 0.99887766554433222, kProbability);  // (1 - PI / S) / (1 - PI), as epiR's equilibrium prior
  // S <= PI: no equilibrium above 0.
  const double weak[] = {0.005};
  ASSERT_EQ(FREEDOM(QuorbelFreedom_Probability)(0.5, 0.01, 1, weak, priors, probabilities, &equilibrium), QUORBEL_OK);
  EXPECT_EQ(equilibrium, 0);
}

TEST(Freedom, SensitivityNeededAndCombined) {
  // rsu.sspfree.rs(N = NA, prior = 0.5, p.intro = 0.01, pstar = 0.01,
  // pfree = 0.95, se.u = 0.9): se.p 0.9484106305367378 (and n 328).
  double needed = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_SensitivityNeeded)(0.5, 0.01, 0.95, &needed), QUORBEL_OK);
  EXPECT_NEAR(needed, 0.9484106305367378, kProbability);
  QuorbelFreedomSize r{};
  ASSERT_EQ(FREEDOM(QuorbelFreedom_SampleSize)(INFINITY, 0.01, 0.9, needed, &r), QUORBEL_OK);
  EXPECT_EQ(r.sampleSize, 328);
  ASSERT_EQ(FREEDOM(QuorbelFreedom_SensitivityNeeded)(0.99, 0.0, 0.95, &needed), QUORBEL_OK);
  EXPECT_EQ(needed, 0);  // the prior alone is enough
  const double components[] = {0.5, 0.5, 0.2};
  double combined = 0;
  ASSERT_EQ(FREEDOM(QuorbelFreedom_Combine)(3, components, &combined), QUORBEL_OK);
  EXPECT_NEAR(combined, 0.8, 1e-15);  // 1 - 0.5 x 0.5 x 0.8
}

// Two-stage designs against full sums in R: each herd's n the first whose
// 1 - sum(dhyper(k, D, N - D, n) (1 - SE)^k) reaches TH (every animal when
// none does), HSe the smallest of them, and the herds the first h whose
// 1 - sum(dhyper(k, DH, H - DH, h) (1 - HSe)^k) reaches T.
struct TwoStageCase {
  const char* source;
  std::vector<double> sizes;  // repeated `repeat` times
  int repeat;
  double herdPrevalence, within, se, herdTarget, target;
  std::vector<double> samples;  // each size's n
  double herdSensitivity, diseasedHerds, herds, sensitivity;
  bool reachable;
  int32_t short_;
};

TEST(Freedom, TwoStageAgreesWithFullSums) {
  const TwoStageCase cases[] = {
      {"six herds", {120, 45, 300, 80, 60, 210}, 1, 0.3, 0.1, 0.9, 0.95, 0.95, {29, 22, 31, 27, 26, 30},
       0.95164894895515351, 2, 5, 0.98232443356029031, true, 0},
      // A herd of 5 with D = 1 tests every animal and reaches only SE = 0.9,
      // which no number of the 5 herds lifts to 0.95.
      {"a herd too small", {50, 200, 1000, 5, 120}, 1, 0.2, 0.1, 0.9, 0.95, 0.95, {25, 30, 32, 5, 29}, 0.9, 1, 5, 0.9,
       false, 1},
      {"120 herds of three sizes", {40, 400, 4000}, 40, 0.02, 0.05, 0.8, 0.9, 0.95, {35, 54, 57},
       0.90286141544915988, 3, 84, 0.95174448589753102, true, 0},
      // Herds of unknown size: 32 animals, as epiR's rsu.sssep.rs(N = NA,
      // pstar = 0.1, se.p = 0.95, se.u = 0.9) gives.
      {"500 herds of unknown size", {INFINITY}, 500, 0.01, 0.1, 0.9, 0.95, 0.95, {32}, 0.95109823275035077, 5, 237,
       0.95079307020778925, true, 0},
  };
  for (const TwoStageCase& c : cases) {
    std::vector<QuorbelFreedomHerd> herds;
    for (int r = 0; r < c.repeat; ++r)
      for (double size : c.sizes) herds.push_back({size, -1, -1, -1, 0});
    QuorbelFreedomTwoStage result{};
    ASSERT_EQ(FREEDOM(QuorbelFreedom_TwoStage)(c.herdPrevalence, c.within, c.se, c.herdTarget, c.target,
                                               static_cast<int32_t>(herds.size()), herds.data(), &result),
              QUORBEL_OK)
        << c.source;
    for (size_t i = 0; i < herds.size(); ++i) {
      EXPECT_EQ(herds[i].sampleSize, c.samples[i % c.sizes.size()]) << c.source << " herd " << i;
      EXPECT_EQ(herds[i].animals, c.sizes[i % c.sizes.size()]) << c.source << " herd " << i;
    }
    EXPECT_NEAR(result.herdSensitivity, c.herdSensitivity, kProbability) << c.source;
    EXPECT_EQ(result.diseasedHerds, c.diseasedHerds) << c.source;
    EXPECT_EQ(result.herdsToSample, c.herds) << c.source;
    EXPECT_NEAR(result.sensitivity, c.sensitivity, kProbability) << c.source;
    EXPECT_EQ(result.reachable != 0, c.reachable) << c.source;
    EXPECT_EQ(result.herdsShort, c.short_) << c.source;
  }
}

struct Refused {
  QuorbelResult code, expected;
};

TEST(Freedom, RefusesOutOfRangeArguments) {
  double a = 0, b = 0;
  QuorbelFreedomGroup badShares[] = {{1, 0.5, 10, 1, 0, 0}, {1, 0.4, 10, 1, 0, 0}};
  QuorbelFreedomGroup tooRisky[] = {{50, 0.01, 10, 1, 0, 0}, {1, 0.99, 10, 1, 0, 0}};  // EPI = 0.05 x 50 / 1.49 > 1
  const double badPeriod[] = {1.5};
  QuorbelFreedomSize size{};
  QuorbelFreedomTwoStage two{};
  QuorbelFreedomHerd herds[] = {{100, 0, 0, 0, 0}, {10.5, 0, 0, 0, 0}};
  const Refused cases[] = {
      {FREEDOM(QuorbelFreedom_Sensitivity)(10.5, 1, 0.1, 0.9, &a, &b), QUORBEL_FREEDOM_E_POPULATION},
      {FREEDOM(QuorbelFreedom_Sensitivity)(100, 101, 0.1, 0.9, &a, &b), QUORBEL_FREEDOM_E_SAMPLE},
      {FREEDOM(QuorbelFreedom_Sensitivity)(100, 10, 1, 0.9, &a, &b), QUORBEL_FREEDOM_E_PREVALENCE},
      {FREEDOM(QuorbelFreedom_Sensitivity)(100, 10, 0.1, 0, &a, &b), QUORBEL_FREEDOM_E_SENSITIVITY},
      {FREEDOM(QuorbelFreedom_Pooled)(0.1, 0, 5, 0.9, 1, &a, &b), QUORBEL_FREEDOM_E_POOLS},
      {FREEDOM(QuorbelFreedom_Pooled)(0.1, 3, 5, 0.9, 1.5, &a, &b), QUORBEL_FREEDOM_E_SPECIFICITY},
      {FREEDOM(QuorbelFreedom_RiskBased)(0.05, 2, badShares, &a), QUORBEL_FREEDOM_E_GROUPS},
      {FREEDOM(QuorbelFreedom_RiskBased)(0.05, 2, tooRisky, &a), QUORBEL_FREEDOM_E_GROUPS},
      {FREEDOM(QuorbelFreedom_SampleSize)(INFINITY, 0.1, 0.9, 1, &size), QUORBEL_FREEDOM_E_TARGET},
      {FREEDOM(QuorbelFreedom_SensitivityNeeded)(0, 0.01, 0.9, &a), QUORBEL_FREEDOM_E_PRIOR},
      {FREEDOM(QuorbelFreedom_SensitivityNeeded)(0.5, 1, 0.9, &a), QUORBEL_FREEDOM_E_INTRODUCTION},
      {FREEDOM(QuorbelFreedom_Combine)(1, badPeriod, &a), QUORBEL_FREEDOM_E_PERIODS},
      {FREEDOM(QuorbelFreedom_Combine)(0, badPeriod, &a), QUORBEL_FREEDOM_E_PERIODS},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0.1, 0.9, 0.95, 0.95, 0, herds, &two), QUORBEL_FREEDOM_E_HERDS},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0.1, 0.9, 0.95, 0.95, 2, herds, &two), QUORBEL_FREEDOM_E_HERDS},
      // The checks in their order: herd prevalence, within, SE, herd target, target.
      {FREEDOM(QuorbelFreedom_TwoStage)(1, 0, 0, 1, 1, 1, herds, &two), QUORBEL_FREEDOM_E_PREVALENCE},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0, 0, 1, 1, 1, herds, &two), QUORBEL_FREEDOM_E_WITHIN},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0.1, 0, 1, 1, 1, herds, &two), QUORBEL_FREEDOM_E_SENSITIVITY},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0.1, 0.9, 1, 1, 1, herds, &two), QUORBEL_FREEDOM_E_HERD_TARGET},
      {FREEDOM(QuorbelFreedom_TwoStage)(0.1, 0.1, 0.9, 0.95, 1, 1, herds, &two), QUORBEL_FREEDOM_E_TARGET},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) EXPECT_EQ(cases[i].code, cases[i].expected) << i;
}

}  // namespace
}  // namespace quorbel::test
