/* Quorbel exact layer: what a design really achieves.
 *
 * The calculations of quorbel.h reproduce established approximations bit for
 * bit. This layer, beside them and never changing them, evaluates designs
 * exactly, searches for exact designs, and gives better intervals. It works
 * in double precision on the numbers as written, exports from the native
 * library (and is linked into the command-line tool on every platform); the
 * Windows DLLs do not export it.
 *
 * Definitions (N units, N possibly infinite; design prevalence P; test
 * sensitivity Se and specificity Sp; a sample of n units):
 *  - Diseased units D = max(1, ceil(P N)), P N taken to within 1e-9 (so
 *    0.05 x 1000 is 50), and at most N.
 *  - Reactors R = Bin(Y, Se) + Bin(n - Y, 1 - Sp), with Y, the diseased units
 *    in the sample, hypergeometric (N, D, n), or Bin(n, P) when N is infinite.
 *  - The population is declared infected when R >= c ("positive at c"; c = 1
 *    means any reactor). A cut-off k of quorbel.h ("more than k reactors is
 *    positive") is positive at k + 1.
 *  - Population sensitivity SeP = P(R >= c | D diseased); for infinite N,
 *    SeP = 1 - pbinom(c - 1, n, P Se + (1 - P)(1 - Sp)).
 *  - Population specificity SpP = P(Bin(n, 1 - Sp) <= c - 1).
 *  - Exact design: for n = 1, 2, ... up to N (up to 1,000,000 when N is
 *    infinite), c(n) is the smallest c >= 1 with SpP(n, c) >= the specificity
 *    target (c = 1 when Sp = 1); the answer is the first n with
 *    SeP(n, c(n)) >= level / 100. When no n qualifies the design is
 *    unreachable, and the best sensitivity SeP(N, c(N)) is reported. (The
 *    search of FreeCalc, Cameron and Baldock 1998.) For a fixed c, SeP grows
 *    with n, so the search visits each run of equal c(n) once and bisects.
 *  - Maximum prevalence after a negative sample (Sp = 1): P0(D) = sum over y
 *    of hyper(y; N, D, n) (1 - Se)^y; maximumDiseased is the largest D with
 *    P0(D) > 1 - level / 100, maximumPrevalence = maximumDiseased / N, and
 *    detectionProbability = 1 - P0(D) at D = max(1, ceil(P N)).
 *  - Intervals of a proportion x / n at the exact normal quantile of the
 *    level (50 to 99.99; 97 uses z = 2.1701): Wald and Agresti-Coull (both
 *    kept within 0..1), Wilson (score, no continuity correction), Clopper-
 *    Pearson (beta quantiles) and Jeffreys (Beta(x + 1/2, n - x + 1/2)
 *    quantiles); the last two have lower limit 0 at x = 0 and upper 1 at x = n.
 *  - True prevalence from x reactors of n tested: AP = x / n, the Rogan-
 *    Gladen estimate (AP + Sp - 1) / (Se + Sp - 1), and the Wilson and
 *    Clopper-Pearson limits of AP carried through the same transform; the
 *    estimate and every limit are kept within 0..1. `valid` is 0 when
 *    AP < 1 - Sp or AP > Se (the estimate lies outside its valid range).
 *
 * Sums of hypergeometric and binomial terms start at the mode (Boost.Math's
 * densities) and run outward by exact ratios until the terms fall below
 * 1e-20 of the mode, so nothing underflows or overflows up to N = 10^7 and
 * probabilities are good to well within 1e-9.
 *
 * Every function checks its arguments in the order its comment gives and
 * returns the code of the first that fails, writing nothing; otherwise it
 * fills the record and returns QUORBEL_OK (0).
 */
#ifndef QUORBEL_EXACT_H
#define QUORBEL_EXACT_H

#include <math.h>
#include <stdint.h>

#include "quorbel.h"

#ifdef __cplusplus
extern "C" {
#endif

/* An infinite population: pass QUORBEL_EXACT_INFINITE (or any infinity). */
#define QUORBEL_EXACT_INFINITE HUGE_VAL
/* The largest sample the design search tries for an infinite population. */
#define QUORBEL_EXACT_MAX_SEARCH 1000000

/* Result codes of this layer. */
#define QUORBEL_EXACT_E_POPULATION   0x60000101u /* population not a whole number >= 1 (or infinite) */
#define QUORBEL_EXACT_E_SAMPLE       0x60000102u /* sample not a whole number 1 .. population */
#define QUORBEL_EXACT_E_PREVALENCE   0x60000103u /* prevalence outside 0 < P <= 1 */
#define QUORBEL_EXACT_E_SENSITIVITY  0x60000104u /* sensitivity outside 0 < Se <= 1 */
#define QUORBEL_EXACT_E_SPECIFICITY  0x60000105u /* specificity outside 0 < Sp <= 1 */
#define QUORBEL_EXACT_E_POSITIVE_AT  0x60000106u /* positive-at outside 1 .. sample */
#define QUORBEL_EXACT_E_CONFIDENCE   0x60000107u /* confidence level outside 50 .. 99.99 */
#define QUORBEL_EXACT_E_TARGET       0x60000108u /* specificity target outside 0 < T <= 1 */
#define QUORBEL_EXACT_E_USELESS_TEST 0x60000109u /* Se + Sp <= 1: the test tells nothing */
#define QUORBEL_EXACT_E_POSITIVES    0x6000010Au /* positives outside 0 .. sample */
#define QUORBEL_EXACT_E_PRECISION    0x6000010Bu /* absolute precision outside 0 < E < 1 */
#define QUORBEL_EXACT_E_ESTIMATE     0x6000010Cu /* estimate neither sensitivity (0) nor specificity (1) */
#define QUORBEL_EXACT_E_EXPECTED     0x6000010Du /* expected sensitivity or specificity outside 0 < X < 1 */
#define QUORBEL_EXACT_E_MODE         0x6000010Eu /* mode outside 0 < M < 1 */
#define QUORBEL_EXACT_E_LIMIT        0x6000010Fu /* limit outside 0 < Q < 1, or not on its side of the mode */
#define QUORBEL_EXACT_E_CERTAINTY    0x60000110u /* certainty outside 0 < C < 100, or no more than a uniform prior gives */
#define QUORBEL_EXACT_E_PRIOR        0x60000111u /* a Beta prior's shapes not both > 0 and <= QUORBEL_EXACT_MAX_BAYES_SHAPE */
#define QUORBEL_EXACT_E_THRESHOLD    0x60000112u /* threshold outside 0 <= t <= 1 */

typedef struct QuorbelExactEvaluation {
  double diseasedUnits;         /* D; infinity for an infinite population */
  double populationSensitivity; /* SeP */
  double populationSpecificity; /* SpP */
} QuorbelExactEvaluation;

/* SeP and SpP of a design. Checks: population, sample, prevalence,
 * sensitivity, specificity, positive-at. */
QUORBEL_API QuorbelResult QuorbelExact_Evaluate(double population, int32_t sample, double prevalence,
                                                double sensitivity, double specificity, int32_t positiveAt,
                                                QuorbelExactEvaluation* result);

typedef struct QuorbelExactDesign {
  int32_t reachable;            /* 1 when some n reaches the level, else 0 */
  int32_t sampleSize;           /* n, when reachable (else 0) */
  int32_t positiveAt;           /* c(n), when reachable (else 0) */
  double populationSensitivity; /* SeP(n, c(n)), when reachable */
  double populationSpecificity; /* SpP(n, c(n)), when reachable */
  double bestSensitivity;       /* SeP(N, c(N)) when unreachable (N capped as above); else SeP */
} QuorbelExactDesign;

/* The exact design. Checks: population, prevalence, sensitivity,
 * specificity, confidence level (percent), specificity target. */
QUORBEL_API QuorbelResult QuorbelExact_Design(double population, double prevalence, double sensitivity,
                                              double specificity, double confidenceLevel,
                                              double specificityTarget, QuorbelExactDesign* result);

typedef struct QuorbelExactMaximum {
  int32_t maximumDiseased;
  double maximumPrevalence;
  double detectionProbability;
} QuorbelExactMaximum;

/* The exact maximum prevalence after a negative sample (Sp = 1). Checks:
 * population (finite), sample, sensitivity, confidence level (percent),
 * prevalence. */
QUORBEL_API QuorbelResult QuorbelExact_MaximumPrevalence(int32_t population, int32_t sample, double sensitivity,
                                                         double confidenceLevel, double prevalence,
                                                         QuorbelExactMaximum* result);

typedef struct QuorbelExactInterval {
  double lower, upper;
} QuorbelExactInterval;

typedef struct QuorbelExactProportion {
  double proportion; /* x / n */
  double z;          /* the normal quantile of the level */
  QuorbelExactInterval wald, wilson, clopperPearson, jeffreys, agrestiCoull;
} QuorbelExactProportion;

/* Intervals of x / n. Checks: sample (>= 1), positives (0 .. n), confidence
 * level (percent). */
QUORBEL_API QuorbelResult QuorbelExact_ProportionIntervals(int32_t positives, int32_t sample,
                                                           double confidenceLevel, QuorbelExactProportion* result);

/* Intervals that invert exact tests by their acceptability a(p), each the
 * hull of {p : a(p) > 1 - L/100} (the set can have gaps), its ends found to
 * within 1e-12: 0 at x = 0 and 1 at x = n.
 *  - Blaker (2000): a(p) = min(P(X <= x), P(X >= x)) plus the largest tail
 *    on the other side that does not exceed it.
 *  - Sterne (1954): a(p) = the sum of P(X = k) over the k with
 *    P(X = k) <= P(X = x), the probabilities compared exactly.
 * The search is a branch and bound over p: on [u, v] below x / n, a(p) is
 * at most what the tails at u and v allow, so parts that cannot reach the
 * level are passed over, and the first point that does is bisected to. The
 * upper end is the lower end of n - x, reflected. Checks as
 * QuorbelExact_ProportionIntervals. */
QUORBEL_API QuorbelResult QuorbelExact_AcceptabilityIntervals(int32_t positives, int32_t sample,
                                                              double confidenceLevel, QuorbelExactInterval* blaker,
                                                              QuorbelExactInterval* sterne);

typedef struct QuorbelExactTruePrevalence {
  double apparent; /* x / n */
  double estimate; /* Rogan-Gladen, within 0..1 */
  QuorbelExactInterval wilson, clopperPearson;
  int32_t valid;   /* 0 when AP < 1 - Sp or AP > Se */
} QuorbelExactTruePrevalence;

/* True prevalence with limits. Checks: sample (>= 1), positives (0 .. n),
 * sensitivity, specificity, Se + Sp > 1, confidence level (percent). */
QUORBEL_API QuorbelResult QuorbelExact_TruePrevalence(int32_t positives, int32_t sample, double sensitivity,
                                                      double specificity, double confidenceLevel,
                                                      QuorbelExactTruePrevalence* result);

typedef struct QuorbelExactHerdSurvey {
  double herdSensitivity;     /* SeP of one diseased herd (animals drawn from the herd) */
  double herdSpecificity;     /* SpP of one healthy herd */
  double surveySensitivity;   /* 1 - sum hyper(y; H, D_H, h) (1 - herdSensitivity)^y */
  double surveySpecificity;   /* herdSpecificity ^ h */
} QuorbelExactHerdSurvey;

/* What a two-stage design achieves: h herds drawn from H, n animals from
 * each herd of `herdSize`, a herd positive at c reactors, D_H = max(1,
 * ceil(herdPrevalence H)) diseased herds, each with D = max(1,
 * ceil(withinHerdPrevalence herdSize)) diseased animals; the survey is
 * positive when any sampled herd is. Checks: herds (population code), herds
 * sampled (sample code), herd size (population code), animals per herd
 * (sample code), the two prevalences, sensitivity, specificity,
 * positive-at. */
QUORBEL_API QuorbelResult QuorbelExact_HerdSurvey(int32_t herds, int32_t herdsSampled, double herdPrevalence,
                                                  int32_t herdSize, int32_t animalsPerHerd,
                                                  double withinHerdPrevalence, double sensitivity,
                                                  double specificity, int32_t positiveAt,
                                                  QuorbelExactHerdSurvey* result);

/* The fewest herds, 1 .. herds, whose survey sensitivity (as
 * QuorbelExact_HerdSurvey gives it, for this herd design) reaches the
 * confidence level; 0 when even every herd falls short. The survey
 * sensitivity grows with the herds sampled, so the search halves the range,
 * with the herd sensitivity worked out once. Checks: those of
 * QuorbelExact_HerdSurvey with every herd sampled, then the confidence level
 * (percent). */
QUORBEL_API QuorbelResult QuorbelExact_HerdsNeeded(int32_t herds, double herdPrevalence, int32_t herdSize,
                                                   int32_t animalsPerHerd, double withinHerdPrevalence,
                                                   double sensitivity, double specificity, int32_t positiveAt,
                                                   double confidenceLevel, int32_t* herdsNeeded);

/* Sample sizes with an imperfect test, at the exact normal quantile
 * z = qnorm(1 - (1 - L/100)/2) of the level L. Each size is rounded up,
 * except that a value within 1e-9 (relative) above a whole number counts as
 * that number, so that rounding in the arithmetic never adds a unit. A
 * precision so fine that n passes 2^53 is refused as
 * QUORBEL_EXACT_E_PRECISION. */
typedef struct QuorbelExactTestSize {
  double sampleSize; /* n, whole */
  double unrounded;  /* n before rounding */
  double detail;     /* true prevalence: AP; test accuracy: subjects with (or without) the condition, whole */
  double z;
} QuorbelExactTestSize;
QUORBEL_LAYOUT(sizeof(QuorbelExactTestSize) == 32, "QuorbelExactTestSize is 32 bytes");

/* Animals to examine to estimate a true prevalence P within +/- E with a
 * test of sensitivity SE and specificity SP: AP = SE P + (1 - SP)(1 - P);
 * n0 = z^2 AP (1 - AP) / (E^2 (SE + SP - 1)^2); n = n0 N / (n0 + N - 1) for a
 * finite population of N (n0 for an infinite one). Checks: population,
 * prevalence (0 < P < 1), sensitivity, specificity, Se + Sp > 1, precision,
 * confidence (percent). */
QUORBEL_API QuorbelResult QuorbelExact_TruePrevalenceSampleSize(double population, double prevalence,
                                                                double sensitivity, double specificity,
                                                                double precision, double confidenceLevel,
                                                                QuorbelExactTestSize* result);

/* Subjects for a test-accuracy study (Buderer 1996): to estimate an expected
 * sensitivity (estimate 0) or specificity (estimate 1) X within +/- E,
 * nd = z^2 X (1 - X) / E^2 with (or without) the condition, whose
 * prevalence is P: n = nd / P for a sensitivity, nd / (1 - P) for a
 * specificity; detail is nd rounded up. Checks: estimate, expected,
 * prevalence (0 < P < 1), precision, confidence (percent). */
QUORBEL_API QuorbelResult QuorbelExact_TestAccuracySampleSize(int32_t estimate, double expected, double prevalence,
                                                              double precision, double confidenceLevel,
                                                              QuorbelExactTestSize* result);

typedef struct QuorbelExactBeta {
  double a, b;   /* the shapes */
  double mean;   /* a / (a + b) */
  double median;
} QuorbelExactBeta;
QUORBEL_LAYOUT(sizeof(QuorbelExactBeta) == 32, "QuorbelExactBeta is 32 bytes");

/* The Beta(a, b) prior a person states by its mode M and one limit: with
 * atLeast, P(X > Q) = C / 100 for a limit Q below the mode; otherwise
 * P(X < Q) = C / 100 for a limit above it. a = 1 + k and
 * b = 1 + k (1 - M) / M, so that the mode (a - 1) / (a + b - 2) is M; k >= 0
 * is found by bracketing and TOMS 748 on the regularised incomplete beta,
 * to a relative accuracy of about 1e-13. k = 0 is the uniform prior, and
 * the probability grows with k towards 1, so C / 100 must exceed what the
 * uniform gives (1 - Q, or Q). Checks: mode, limit, certainty (percent). */
QUORBEL_API QuorbelResult QuorbelExact_PriorBeta(double mode, double limit, int32_t atLeast, double certainty,
                                                 QuorbelExactBeta* result);

/* A posterior distribution on 0..1, summarised: equal-tailed limits at the
 * level, and P(X > t) at the threshold t. */
typedef struct QuorbelExactPosterior {
  double mean, median, lower, upper, probabilityAbove;
} QuorbelExactPosterior;
QUORBEL_LAYOUT(sizeof(QuorbelExactPosterior) == 40, "QuorbelExactPosterior is 40 bytes");

typedef struct QuorbelExactBayes {
  QuorbelExactPosterior prevalence, sensitivity, specificity;
  double uselessTestPrior; /* P(Se + Sp <= 1) under the test priors alone */
} QuorbelExactBayes;
QUORBEL_LAYOUT(sizeof(QuorbelExactBayes) == 128, "QuorbelExactBayes is 128 bytes");
QUORBEL_LAYOUT(offsetof(QuorbelExactBayes, uselessTestPrior) == 120, "useless-test prior at offset 120");

/* The largest n QuorbelExact_BayesPrevalence takes. */
#define QUORBEL_EXACT_MAX_BAYES_SAMPLE 20000
/* The largest prior shape it takes: beyond about 9e15 a shape plus n is no
 * longer exact in a double, and the weights would lose the factors that n
 * should bring. */
#define QUORBEL_EXACT_MAX_BAYES_SHAPE 1e15

/* The true prevalence p after x reactors of n tested, with Beta priors on
 * p, the sensitivity s and the specificity c (priors[0..5]: the shapes of
 * p, s, c; p's are usually 1, 1). With AP = p s + (1 - p)(1 - c) the
 * posterior density of p is proportional to Beta(p) times the integral
 * over s and c of AP^x (1 - AP)^(n - x) Beta(s) Beta(c); no truncation to
 * s + c > 1. Expanding the two powers binomially makes the posterior an
 * exact finite mixture of Beta distributions with positive weights,
 * Beta(p; a_p + i + j, b_p + n - i - j) with weight proportional to
 * C(x, i) C(n - x, j) B(a_s + i, b_s + j) B(a_c + n - x - j, b_c + x - i)
 * B(a_p + i + j, b_p + n - i - j), and likewise for s and c; terms below
 * 1e-16 of the largest are left out. The components of s (and of c) with
 * one i + j share their total shape; raising each such group's shapes
 * exactly, by Beta(a, b) = a/(a+b) Beta(a+1, b) + b/(a+b) Beta(a, b+1),
 * gathers them into a few runs Beta(a + m, b - m), from which components
 * below 1e-20 of the largest term are dropped. Summaries follow from the
 * incomplete beta (quantiles by Newton's steps on the CDF and the
 * density); accurate to well within 1e-6, and the same bits on every run
 * and every processor. From a million terms on, the components of s and of
 * c are gathered side by side, the second on a thread the call starts and
 * ends (one after the other where no thread can be had: the same answer).
 * The work grows with the (x + 1)(n - x + 1) terms, so n is limited to
 * QUORBEL_EXACT_MAX_BAYES_SAMPLE. Checks: sample (1 <= n <= that limit),
 * positives (0 .. n), priors (shapes above 0 and at most
 * QUORBEL_EXACT_MAX_BAYES_SHAPE), confidence (percent), threshold; weights
 * out of a double's range, which these shapes do not reach, would give
 * QUORBEL_E_GENERAL. */
QUORBEL_API QuorbelResult QuorbelExact_BayesPrevalence(int32_t positives, int32_t sample, const double* priors,
                                                       double confidenceLevel, double threshold,
                                                       QuorbelExactBayes* result);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QUORBEL_EXACT_H */
