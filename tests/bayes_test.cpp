// The Bayesian true prevalence against independent numerical integration
// in R: nested adaptive quadrature (integrate, relative tolerances 1e-11 to
// 1e-13) of Beta(p) times the integral over Se and Sp of
// AP^x (1 - AP)^(n - x) Beta(Se) Beta(Sp), the cdf's quantiles by uniroot
// (tol 1e-13); agreement to 1e-8 where 1e-6 is asked. Natively through the
// library's exported names; in the Windows builds through the linked objects.
#include <cmath>
#include <initializer_list>
#include <utility>
#include <cstring>

#include "quorbel_exact.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define EXACT(name) NATIVE_EXPORT(name)

constexpr double kIntegration = 1e-8;

struct BayesCase {
  int32_t positives, tested;
  double priors[6];  // prevalence, sensitivity, specificity: A, B each
  double level, threshold;
  double mean, median, lower, upper, above;
};

TEST(Bayes, PrevalenceAgreesWithNestedQuadratureInR) {
  const BayesCase cases[] = {
      {18, 150, {1, 1, 85, 15, 97, 3}, 95, 0.1, 0.115778828961, 0.114988376877, 0.042653159946, 0.192674432335, 0.658585489072},
      // No reactor: the test's false positives alone explain more than was
      // seen, and the posterior still has its weight near 0, not at 0.
      {0, 150, {1, 1, 85, 15, 97, 3}, 95, 0.1, 0.007785526240, 0.005413077277, 0.000198033137, 0.028606143738, 0.000001915577},
      // A prior like Beta(12.5, 1.5), which defeats plain Gauss-Legendre.
      {10, 50, {1, 1, 12.5, 1.5, 20, 2}, 95, 0.1, 0.164347817924, 0.160077988318, 0.017978557573, 0.342938722557,
       0.763702483074},
      // Every animal reacted, at 99.5 %; and an informative prevalence
      // prior, Beta(2, 8), at 90 % with P(p > 0.05).
      {30, 30, {1, 1, 85, 15, 97, 3}, 99.5, 0.1, 0.967625249225, 0.977099057887, 0.817758779369, 0.999916385785, 1},
      {5, 40, {2, 8, 40, 10, 95, 5}, 90, 0.05, 0.131176489140, 0.124480336925, 0.042233154061, 0.242925111638,
       0.925883564137},
  };
  for (const BayesCase& c : cases) {
    QuorbelExactBayes r{};
    ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(c.positives, c.tested, c.priors, c.level, c.threshold, &r),
              QUORBEL_OK);
    EXPECT_NEAR(r.prevalence.mean, c.mean, kIntegration) << c.positives;
    EXPECT_NEAR(r.prevalence.median, c.median, kIntegration) << c.positives;
    EXPECT_NEAR(r.prevalence.lower, c.lower, kIntegration) << c.positives;
    EXPECT_NEAR(r.prevalence.upper, c.upper, kIntegration) << c.positives;
    EXPECT_NEAR(r.prevalence.probabilityAbove, c.above, kIntegration) << c.positives;
  }
}

// The posteriors of Se and Sp by the same nested quadrature in R, over p
// and the other test's accuracy, then the margin (integrate, rel.tol 1e-12;
// quantiles by uniroot, tol 1e-13). At a thousand tested the components
// spread over hundreds of diagonals.
TEST(Bayes, TestAccuracyPosteriorsAgreeWithR) {
  const double priors[6] = {1, 1, 85, 15, 97, 3};
  using Posterior = QuorbelExactPosterior QuorbelExactBayes::*;
  using Field = double QuorbelExactPosterior::*;
  const Posterior se = &QuorbelExactBayes::sensitivity, sp = &QuorbelExactBayes::specificity;
  struct Case {
    int32_t positives, tested;
    Posterior posterior;
    Field field;
    double expected;
  };
  const Case cases[] = {
      {18, 150, se, &QuorbelExactPosterior::mean, 0.848426845679},
      {18, 150, se, &QuorbelExactPosterior::median, 0.850778349408},
      {120, 1000, se, &QuorbelExactPosterior::mean, 0.848426673989},
      {120, 1000, sp, &QuorbelExactPosterior::mean, 0.969688479818},
      {120, 1000, sp, &QuorbelExactPosterior::median, 0.972766103522},
      {120, 1000, sp, &QuorbelExactPosterior::lower, 0.928342886063},
  };
  for (const Case& c : cases) {
    QuorbelExactBayes r{};
    ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(c.positives, c.tested, priors, 95, 0.5, &r), QUORBEL_OK);
    EXPECT_NEAR((r.*c.posterior).*c.field, c.expected, kIntegration) << c.tested << " " << c.expected;
    EXPECT_LT(r.uselessTestPrior, 1e-12);  // Beta(85, 15) and Beta(97, 3) leave no room for Se + Sp <= 1
  }
}

// A sensitivity prior as narrow as Beta(1e4, 1e4) spreads the weights of
// one block of terms beyond a double's range, which the mixture meets by
// weighing those terms one by one. The mean of p at 50 of 100 (uniform p
// and Sp) from nested quadrature in R: integrate over c (rel.tol 1e-12),
// over s within 12 standard deviations of 0.5 (1e-11), then over p (1e-10).
TEST(Bayes, ANarrowPriorWeighsItsTermsOneByOne) {
  const double priors[6] = {1, 1, 1e4, 1e4, 1, 1};
  QuorbelExactBayes r{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(50, 100, priors, 95, 0.5, &r), QUORBEL_OK);
  EXPECT_NEAR(r.prevalence.mean, 0.687310804309, kIntegration);
}

// Under uniform priors for Se and Sp the model cannot tell p from 1 - p:
// the posterior is symmetric about 0.5 whatever the data, and
// P(Se + Sp <= 1) is 1/2 (by symmetry).
TEST(Bayes, VagueTestPriorsGiveASymmetricPosterior) {
  const double priors[6] = {1, 1, 1, 1, 1, 1};
  QuorbelExactBayes r{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(18, 150, priors, 95, 0.5, &r), QUORBEL_OK);
  EXPECT_NEAR(r.prevalence.mean, 0.5, 1e-12);
  EXPECT_NEAR(r.prevalence.median, 0.5, 1e-9);
  EXPECT_NEAR(r.prevalence.lower + r.prevalence.upper, 1.0, 1e-9);
  EXPECT_NEAR(r.uselessTestPrior, 0.5, 1e-9);
}

// Under uniform priors the map (p, Se, Sp) -> (1 - p, 1 - Sp, 1 - Se) keeps
// AP and the priors, so Se's posterior is that of 1 - Sp: the two
// posteriors, gathered from opposite ends, mirror each other.
TEST(Bayes, VagueTestPriorsMirrorSensitivityAndSpecificity) {
  const double priors[6] = {1, 1, 1, 1, 1, 1};
  struct Case {
    int32_t positives, tested;
  };
  for (const Case& c : {Case{7, 60}, Case{0, 40}, Case{333, 1000}}) {
    QuorbelExactBayes r{};
    ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(c.positives, c.tested, priors, 90, 0.5, &r), QUORBEL_OK);
    EXPECT_NEAR(r.sensitivity.mean, 1.0 - r.specificity.mean, 1e-12) << c.positives;
    EXPECT_NEAR(r.sensitivity.median, 1.0 - r.specificity.median, 1e-9) << c.positives;
    EXPECT_NEAR(r.sensitivity.lower, 1.0 - r.specificity.upper, 1e-9) << c.positives;
    EXPECT_NEAR(r.sensitivity.upper, 1.0 - r.specificity.lower, 1e-9) << c.positives;
  }
}

// Shapes far out of the usual range still give summaries of a distribution
// on 0..1: a prior of Beta(1e15, 1), the largest shape taken, puts p at 1,
// and rounding in the mixture's weights must not carry the mean past it.
TEST(Bayes, ExtremePriorsKeepTheSummariesWithinZeroAndOne) {
  const double priors[][6] = {{1e15, 1, 1, 1, 1, 1}, {1, 1e15, 85, 15, 97, 3}, {0.01, 0.01, 1e6, 1, 1, 1e6}};
  for (const auto& prior : priors) {
    QuorbelExactBayes r{};
    ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(30, 1000, prior, 95, 0.5, &r), QUORBEL_OK);
    const QuorbelExactPosterior* posteriors[3] = {&r.prevalence, &r.sensitivity, &r.specificity};
    for (const QuorbelExactPosterior* post : posteriors)
      for (double v : {post->mean, post->median, post->lower, post->upper, post->probabilityAbove})
        EXPECT_TRUE(v >= 0.0 && v <= 1.0) << prior[0] << " " << v;
  }
}

// Under a prevalence prior of Beta(1, 1e15) p is about 1e-15, so AP is
// 1 - Sp whatever Se is, and Se's posterior is its prior, Beta(85, 15),
// of mean 0.85. A shape whose sum with n were not exact would lose the
// weights' factors of n and move it (Beta(1, 1e300) gave 0.36).
TEST(Bayes, APrevalencePriorAtTheLargestShapeLeavesSeAtItsPrior) {
  const double priors[6] = {1, 1e15, 85, 15, 97, 3};
  QuorbelExactBayes r{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(30, 1000, priors, 95, 0.5, &r), QUORBEL_OK);
  EXPECT_NEAR(r.sensitivity.mean, 0.85, 1e-9);
}

// Test priors of Beta(0.9 S, 0.1 S) and Beta(0.95 S, 0.05 S) know Se and
// Sp to within 3e-7 at S = 1e12, so p's posterior under a uniform prior is
// AP^x (1 - AP)^(n - x) with AP = 0.9 p + 0.05 (1 - p). R, from that:
//   L <- function(p) { ap <- 0.9 * p + 0.05 * (1 - p); exp(30 * log(ap) + 170 * log1p(-ap) + 60) }
//   integrate(function(p) p * L(p), 0, 1, rel.tol = 1e-13)$value / integrate(L, 0, 1, rel.tol = 1e-13)$value
// gives 0.121723940564516. lgamma of shapes this large keeps no units
// that tell a + k from a + k + 1 (the mean came out 0.12174 at 1e12 and
// 0.1405 at 1e15 when the weights were taken from it).
TEST(Bayes, TestsKnownAlmostExactlyGiveTheKnownTestsPosterior) {
  for (double scale : {1e12, 1e15}) {
    const double priors[6] = {1, 1, 0.9 * scale, 0.1 * scale, 0.95 * scale, 0.05 * scale};
    QuorbelExactBayes r{};
    ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(30, 200, priors, 95, 0.5, &r), QUORBEL_OK);
    EXPECT_NEAR(r.prevalence.mean, 0.121723940564516, 1e-9) << scale;
    EXPECT_NEAR(r.sensitivity.mean, 0.9, 1e-9) << scale;
  }
}

// Ten million terms and more are gathered on two threads. The known tests'
// posterior with 3,000 of 10,000 (21 million terms), from R as above with
// x = 3000, n = 10000 (over 0.2 .. 0.45, outside which the likelihood is
// below 1e-76 of its peak): 0.29416469647247. And 1,200 of 10,000 twice:
// the order in which the threads finish must not show in the answer.
TEST(Bayes, ManyTermsGatheredOnTwoThreads) {
  if (Emulated()) GTEST_SKIP() << "not under user-mode emulation (guest threads stall there)";
  const double known[6] = {1, 1, 0.9e12, 0.1e12, 0.95e12, 0.05e12};
  QuorbelExactBayes r{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(3000, 10000, known, 95, 0.5, &r), QUORBEL_OK);
  EXPECT_NEAR(r.prevalence.mean, 0.29416469647247, 1e-9);

  const double informative[6] = {2, 8, 85, 15, 97, 3};
  QuorbelExactBayes first{}, second{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(1200, 10000, informative, 90, 0.2, &first), QUORBEL_OK);
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(1200, 10000, informative, 90, 0.2, &second), QUORBEL_OK);
  EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
}

TEST(Bayes, TheSameBitsOnEveryRun) {
  const double priors[6] = {2, 8, 85, 15, 97, 3};
  QuorbelExactBayes first{}, second{};
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(7, 60, priors, 90, 0.2, &first), QUORBEL_OK);
  ASSERT_EQ(EXACT(QuorbelExact_BayesPrevalence)(7, 60, priors, 90, 0.2, &second), QUORBEL_OK);
  EXPECT_EQ(std::memcmp(&first, &second, sizeof first), 0);
}

TEST(Bayes, RefusesInItsOrder) {
  const double good[6] = {1, 1, 85, 15, 97, 3};
  const double zeroShape[6] = {1, 1, 0, 15, 97, 3};
  const double infiniteShape[6] = {1, 1, 85, 15, INFINITY, 3};
  const double hugeShape[6] = {1, 1e16, 85, 15, 97, 3};
  QuorbelExactBayes r{};
  struct Refused {
    QuorbelResult code, expected;
  };
  const Refused cases[] = {
      {EXACT(QuorbelExact_BayesPrevalence)(0, 0, nullptr, 0, -1, &r), QUORBEL_EXACT_E_SAMPLE},
      {EXACT(QuorbelExact_BayesPrevalence)(0, QUORBEL_EXACT_MAX_BAYES_SAMPLE + 1, nullptr, 0, -1, &r),
       QUORBEL_EXACT_E_SAMPLE},
      {EXACT(QuorbelExact_BayesPrevalence)(11, 10, nullptr, 0, -1, &r), QUORBEL_EXACT_E_POSITIVES},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, zeroShape, 0, -1, &r), QUORBEL_EXACT_E_PRIOR},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, infiniteShape, 0, -1, &r), QUORBEL_EXACT_E_PRIOR},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, hugeShape, 0, -1, &r), QUORBEL_EXACT_E_PRIOR},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, nullptr, 95, -1, &r), QUORBEL_EXACT_E_PRIOR},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, good, 49, -1, &r), QUORBEL_EXACT_E_CONFIDENCE},
      {EXACT(QuorbelExact_BayesPrevalence)(1, 10, good, 95, 1.5, &r), QUORBEL_EXACT_E_THRESHOLD},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) EXPECT_EQ(cases[i].code, cases[i].expected) << i;
}

}  // namespace
}  // namespace quorbel::test
