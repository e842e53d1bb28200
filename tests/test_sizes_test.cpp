// Planning with an imperfect test. Sample sizes against epiR 2.0.57
// (Debian's r-cran-epir): epi.sssimpleestb for the true prevalence and
// epi.ssdxsesp for test accuracy, with nfractional = TRUE for the unrounded
// values. Beta priors against R's uniroot (tol 1e-15) on pbeta.
// Natively through the library's exported names; in the Windows builds,
// whose DLLs do not carry this layer, through the linked objects.
#include <cmath>

#include "quorbel_exact.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define EXACT(name) NATIVE_EXPORT(name)

struct TrueSizeCase {
  double population, prevalence, se, sp, precision, level;
  double unrounded, sampleSize;
};

TEST(TestSizes, TruePrevalenceAgreesWithEpiR) {
  const TrueSizeCase cases[] = {
      // epi.sssimpleestb(N = 1200, Py = 0.2, epsilon = 0.05, error = "absolute", se = 0.9, sp = 0.95)
      {1200, 0.2, 0.9, 0.95, 0.05, 95, 280.02284583980395, 281},
      {INFINITY, 0.2, 0.9, 0.95, 0.05, 95, 364.95188021099602, 365},  // the same with N = NA
      // Relative 0.2 of 0.15 is E = 0.03, at 90 %.
      {INFINITY, 0.15, 0.85, 0.97, 0.2 * 0.15, 90, 579.37418494229371, 580},
      {5000, 0.05, 0.95, 0.99, 0.02, 99, 839.73598548816483, 840},
      {INFINITY, 0.3, 0.8, 0.9, 0.05, 99.5, 1375.8464583996265, 1376},
  };
  for (const TrueSizeCase& c : cases) {
    QuorbelExactTestSize r{};
    ASSERT_EQ(EXACT(QuorbelExact_TruePrevalenceSampleSize)(c.population, c.prevalence, c.se, c.sp, c.precision,
                                                            c.level, &r),
              QUORBEL_OK);
    EXPECT_NEAR(r.unrounded, c.unrounded, 1e-9 * c.unrounded) << c.population << " " << c.prevalence;
    EXPECT_EQ(r.sampleSize, c.sampleSize) << c.population << " " << c.prevalence;
    EXPECT_NEAR(r.detail, c.se * c.prevalence + (1 - c.sp) * (1 - c.prevalence), 1e-15);  // AP
  }
}

struct AccuracyCase {
  int32_t estimate;
  double expected, prevalence, precision, level;
  double unrounded, sampleSize, subjects;
};

TEST(TestSizes, TestAccuracyAgreesWithEpiR) {
  // z = qnorm(0.975) = 1.959963984540054 (R), used to make E = z m exactly
  // the precision at which nd = X (1 - X) / m^2 is whole.
  const double z = 1.959963984540054;
  const AccuracyCase cases[] = {
      // epi.ssdxsesp(test = 0.9, type = "se", Py = 0.1, epsilon = 0.05, error = "absolute"); nd = 138.29 -> 139
      {0, 0.9, 0.1, 0.05, 95, 1382.9251754498839, 1383, 139},
      // epi.ssdxsesp(test = 0.95, type = "sp", Py = 0.1, epsilon = 0.01, error = "absolute",
      // conf.level = 0.9); nd = 1285.13 -> 1286
      {1, 0.95, 0.1, 0.01, 90, 1427.9257118836902, 1428, 1286},
      // epi.ssdxsesp(test = 0.8, type = "se", Py = 0.3, epsilon = 0.04, error = "absolute",
      // conf.level = 0.99); nd = 663.49 -> 664
      {0, 0.8, 0.3, 0.04, 99, 2211.6322003404034, 2212, 664},
      // Hand calculation: nd = 0.09 / 0.01^2 = 900, n = 900 / 0.5 = 1800; the
      // arithmetic gives 1800.0000000000002, which counts as 1800, not 1801.
      {0, 0.1, 0.5, z * 0.01, 95, 1800, 1800, 900},
      {1, 0.1, 0.5, z * 0.02, 95, 450, 450, 225},  // 450.00000000000006 counts as 450
  };
  for (const AccuracyCase& c : cases) {
    QuorbelExactTestSize r{};
    ASSERT_EQ(EXACT(QuorbelExact_TestAccuracySampleSize)(c.estimate, c.expected, c.prevalence, c.precision, c.level,
                                                          &r),
              QUORBEL_OK);
    EXPECT_NEAR(r.unrounded, c.unrounded, 1e-9 * c.unrounded) << c.expected << " " << c.prevalence;
    EXPECT_EQ(r.sampleSize, c.sampleSize) << c.expected << " " << c.prevalence;
    EXPECT_EQ(r.detail, c.subjects) << c.expected << " " << c.prevalence;
  }
}

struct BetaCase {
  double mode, limit;
  int32_t atLeast;
  double certainty, a, b, mean, median;
};

// R: k = uniroot(function(k) pbeta(Q, 1 + k, 1 + k (1 - M) / M, lower.tail =
// !atLeast) - C / 100, c(0, hi), tol = 1e-15)$root; a = 1 + k, b likewise;
// mean a / (a + b); median qbeta(0.5, a, b).
TEST(TestSizes, PriorBetaAgreesWithRootFindingInR) {
  const BetaCase cases[] = {
      {0.9, 0.7, 1, 95, 15.034221893763068, 2.5593579881958961, 0.85452886761151181, 0.86802458963361107},
      {0.05, 0.15, 0, 95, 2.8790943714058148, 36.702793056710483, 0.072737672669967252, 0.065608699082752381},
      {0.99, 0.9, 1, 99, 54.304269461797098, 1.5384269642605772, 0.9724507041615077, 0.97787546103496914},
      {0.3, 0.2, 1, 90, 7.6411745481206133, 16.496073945614761, 0.31657189716979622, 0.31143176704182435},
  };
  for (const BetaCase& c : cases) {
    QuorbelExactBeta r{};
    ASSERT_EQ(EXACT(QuorbelExact_PriorBeta)(c.mode, c.limit, c.atLeast, c.certainty, &r), QUORBEL_OK) << c.mode;
    EXPECT_NEAR(r.a, c.a, 1e-12 * c.a) << c.mode;
    EXPECT_NEAR(r.b, c.b, 1e-12 * c.b) << c.mode;
    EXPECT_NEAR(r.mean, c.mean, 1e-12) << c.mode;
    EXPECT_NEAR(r.median, c.median, 1e-12) << c.mode;
    EXPECT_NEAR((r.a - 1) / (r.a + r.b - 2), c.mode, 1e-14) << "the mode as stated";
  }
}

TEST(TestSizes, RefuseInTheirOrder) {
  QuorbelExactTestSize r{};
  QuorbelExactBeta beta{};
  struct Refused {
    QuorbelResult code, expected;
  };
  const Refused cases[] = {
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(10.5, 0, 0, 0, 0, 0, &r), QUORBEL_EXACT_E_POPULATION},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 1, 0, 0, 0, 0, &r), QUORBEL_EXACT_E_PREVALENCE},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 0.1, 0, 0, 0, 0, &r), QUORBEL_EXACT_E_SENSITIVITY},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 0.1, 0.5, 0, 0, 0, &r), QUORBEL_EXACT_E_SPECIFICITY},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 0.1, 0.5, 0.5, 0, 0, &r), QUORBEL_EXACT_E_USELESS_TEST},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 0.1, 0.9, 0.9, 0, 0, &r), QUORBEL_EXACT_E_PRECISION},
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(100, 0.1, 0.9, 0.9, 0.05, 99.995, &r), QUORBEL_EXACT_E_CONFIDENCE},
      // So fine a precision that n passes 2^53: refused, not a size.
      {EXACT(QuorbelExact_TruePrevalenceSampleSize)(INFINITY, 0.1, 0.9, 0.9, 1e-9, 95, &r), QUORBEL_EXACT_E_PRECISION},
      {EXACT(QuorbelExact_TestAccuracySampleSize)(2, 0, 0, 0, 0, &r), QUORBEL_EXACT_E_ESTIMATE},
      {EXACT(QuorbelExact_TestAccuracySampleSize)(0, 1, 0, 0, 0, &r), QUORBEL_EXACT_E_EXPECTED},
      {EXACT(QuorbelExact_TestAccuracySampleSize)(0, 0.9, 0, 0, 0, &r), QUORBEL_EXACT_E_PREVALENCE},
      {EXACT(QuorbelExact_TestAccuracySampleSize)(0, 0.9, 0.1, 1, 0, &r), QUORBEL_EXACT_E_PRECISION},
      {EXACT(QuorbelExact_TestAccuracySampleSize)(0, 0.9, 0.1, 0.05, 49, &r), QUORBEL_EXACT_E_CONFIDENCE},
      {EXACT(QuorbelExact_PriorBeta)(1, 0, 1, 0, &beta), QUORBEL_EXACT_E_MODE},
      {EXACT(QuorbelExact_PriorBeta)(0.9, 0.9, 1, 0, &beta), QUORBEL_EXACT_E_LIMIT},   // the limit at the mode
      {EXACT(QuorbelExact_PriorBeta)(0.9, 0.95, 1, 95, &beta), QUORBEL_EXACT_E_LIMIT},  // at least, above the mode
      {EXACT(QuorbelExact_PriorBeta)(0.1, 0.05, 0, 95, &beta), QUORBEL_EXACT_E_LIMIT},  // at most, below the mode
      {EXACT(QuorbelExact_PriorBeta)(0.9, 0.7, 1, 100, &beta), QUORBEL_EXACT_E_CERTAINTY},
      // A uniform prior already puts 0.3 above 0.7: 30 % asks for less than it.
      {EXACT(QuorbelExact_PriorBeta)(0.9, 0.7, 1, 30, &beta), QUORBEL_EXACT_E_CERTAINTY},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) EXPECT_EQ(cases[i].code, cases[i].expected) << i;
}

}  // namespace
}  // namespace quorbel::test
