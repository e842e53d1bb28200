/* Quorbel freedom from disease: surveillance components and the probability
 * that a population is free.
 *
 * Beside the exact layer (quorbel_exact.h) and like it exported by the native
 * library only, in double precision on the numbers as written. Definitions
 * (design prevalence P, test sensitivity SE and specificity SP, a sample of
 * n units of a population of N, infinite when given as an infinity):
 *  - Diseased units D = max(1, ceil(P N)), P N taken to within 1e-9.
 *  - Simple component: SeP = 1 - (1 - SE P)^n for an infinite population
 *    (evaluated as 1 - pow(1 - SE P, n)); for a finite one
 *    SeP = 1 - sum over k of hyper(k; N, D, n) (1 - SE)^k.
 *  - Risk-based component, groups g of relative risk RR_g, population share
 *    SHARE_g (the shares sum to 1 within 1e-6), SAMPLED_g units tested with
 *    sensitivity SE_g: AR_g = RR_g / sum(RR SHARE), EPI_g = P AR_g (at most
 *    1), SeP = 1 - prod over g of (1 - SE_g EPI_g)^SAMPLED_g.
 *  - Pooled component, r pools of k units, SE and SP of the test on a pool:
 *    q = (1 - P)^k, SeP = 1 - ((1 - q)(1 - SE) + q SP)^r, SpP = SP^r.
 *  - Sample sizes are the smallest n (or r) with SeP >= the target T, found
 *    by a search over SeP itself. A risk-based total n is split by the
 *    allocations (normalised to sum 1) by largest remainders: floors of
 *    n ALLOCATION_g, then one more unit to the largest fractional parts, ties
 *    to the earlier group; its SeP is not monotone in n, so the search goes
 *    up from 1. Searches end at 2147483647 units (or pools).
 *  - Design prevalence demonstrated by n units at target T: infinite,
 *    P = (1 - (1 - T)^(1/n)) / SE (unreachable above 1); finite, the smallest
 *    D with SeP >= T, reported as D and D / N.
 *  - Probability of freedom over periods t = 1, 2, ... with prior PR,
 *    introduction probability PI per period and sensitivities S_t:
 *    pi_1 = PR (1 - PI); F_t = pi_t / (1 - S_t (1 - pi_t));
 *    pi_(t+1) = F_t (1 - PI). Equilibrium, were the last period's S to go on:
 *    (1 - PI / S) / (1 - PI) when S > PI, else 0.
 *  - Sensitivity needed for a probability of freedom PF after one period:
 *    with pi = PR (1 - PI), s = (1 - pi / PF) / (1 - pi); 0 when PF <= pi.
 *  - Independent components combined: 1 - prod(1 - S_i).
 *  - Two-stage freedom over a list of herds of known (or unknown, infinite)
 *    sizes, herd design prevalence PH, within-herd design prevalence PU,
 *    animal test SE, herd target TH and survey target T: each herd tests the
 *    smallest n whose exact herd sensitivity (the simple component's SeP
 *    with P = PU) reaches TH, or every animal when none does; the herd stage
 *    counts on the smallest herd sensitivity so achieved, HSe, whichever
 *    herds are drawn, and samples the fewest herds whose SeP (the simple
 *    component with P = PH, SE = HSe, over the H herds) reaches T, or every
 *    herd when none does. (epiR's rsu.sssep.rs2st counts on TH itself.)
 * Arguments are checked in the order of the codes below; a failed check
 * writes nothing. */
#ifndef QUORBEL_FREEDOM_H
#define QUORBEL_FREEDOM_H

#include "quorbel.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QUORBEL_FREEDOM_E_POPULATION   0x60000201u /* population not a whole number >= 1 (or infinite) */
#define QUORBEL_FREEDOM_E_SAMPLE       0x60000202u /* sample not a whole number 0 .. population */
#define QUORBEL_FREEDOM_E_PREVALENCE   0x60000203u /* design prevalence outside 0 < P < 1 */
#define QUORBEL_FREEDOM_E_SENSITIVITY  0x60000204u /* sensitivity outside 0 < SE <= 1 */
#define QUORBEL_FREEDOM_E_SPECIFICITY  0x60000205u /* specificity outside 0 < SP <= 1 */
#define QUORBEL_FREEDOM_E_TARGET       0x60000206u /* target outside 0 < T < 1 */
#define QUORBEL_FREEDOM_E_GROUPS       0x60000207u /* risk groups: none, RR <= 0, shares or allocations off, or EPI > 1 */
#define QUORBEL_FREEDOM_E_POOLS        0x60000208u /* pools or pool size not a whole number >= 1 */
#define QUORBEL_FREEDOM_E_PRIOR        0x60000209u /* prior outside 0 < PR <= 1 */
#define QUORBEL_FREEDOM_E_INTRODUCTION 0x6000020Au /* introduction outside 0 <= PI < 1 */
#define QUORBEL_FREEDOM_E_PERIODS      0x6000020Bu /* no period, or a sensitivity outside 0 <= S <= 1 */
#define QUORBEL_FREEDOM_E_HERDS        0x6000020Cu /* no herd, or a herd size not a whole number >= 1 (or infinite) */
#define QUORBEL_FREEDOM_E_WITHIN       0x6000020Du /* within-herd design prevalence outside 0 < PU < 1 */
#define QUORBEL_FREEDOM_E_HERD_TARGET  0x6000020Eu /* herd sensitivity target outside 0 < TH < 1 */

/* SeP of a simple component; *diseased is D (0 for an infinite population).
 * Checks: population, sample, prevalence, sensitivity. */
QUORBEL_API QuorbelResult QuorbelFreedom_Sensitivity(double population, double sample, double prevalence,
                                                    double sensitivity, double* result, double* diseased);

/* SeP and SpP of r pools of k units. Checks: prevalence, pools (r and k),
 * sensitivity, specificity. */
QUORBEL_API QuorbelResult QuorbelFreedom_Pooled(double prevalence, double pools, double poolSize, double sensitivity,
                                               double specificity, double* sensitivityResult,
                                               double* specificityResult);

/* A risk group: its relative risk, population share, units tested (for a
 * sample size: its allocation, the share of the sample taken in it) and
 * test sensitivity, given; its adjusted risk and effective probability of
 * infection, written (and, for a sample size, the units of the split in
 * `sampled`). */
typedef struct QuorbelFreedomGroup {
  double relativeRisk;
  double share;
  double sampled;
  double sensitivity;
  double adjustedRisk;
  double effectiveProbability;
} QuorbelFreedomGroup;
QUORBEL_LAYOUT(sizeof(QuorbelFreedomGroup) == 48, "QuorbelFreedomGroup is 48 bytes");

/* SeP of a risk-based component. Checks: prevalence, groups (count >= 1,
 * RR > 0, shares >= 0 summing to 1, SAMPLED whole >= 0, EPI <= 1; a
 * sensitivity outside 0 < SE <= 1 gives QUORBEL_FREEDOM_E_SENSITIVITY). */
QUORBEL_API QuorbelResult QuorbelFreedom_RiskBased(double prevalence, int32_t count, QuorbelFreedomGroup* groups,
                                                  double* sensitivity);

/* The smallest total n whose split by the groups' allocations (in
 * `sampled`, >= 0, not all 0) reaches the target; written: the split into
 * `sampled`, n and its SeP. Checks as QuorbelFreedom_RiskBased, then target.
 * *sampleSize is 0 when no n up to 2147483647 reaches the target. */
QUORBEL_API QuorbelResult QuorbelFreedom_RiskBasedSampleSize(double prevalence, double target, int32_t count,
                                                            QuorbelFreedomGroup* groups, double* sampleSize,
                                                            double* sensitivity);

typedef struct QuorbelFreedomSize {
  int32_t reachable;  /* 1 when some n reaches the target, else 0 */
  int32_t reserved;   /* 0; keeps the doubles at the same offsets on every target */
  double sampleSize;  /* n, when reachable (0 when none is needed) */
  double sensitivity; /* SeP(n) when reachable; SeP(N) of a finite population when not */
} QuorbelFreedomSize;
QUORBEL_LAYOUT(sizeof(QuorbelFreedomSize) == 24, "QuorbelFreedomSize is 24 bytes");
QUORBEL_LAYOUT(offsetof(QuorbelFreedomSize, sampleSize) == 8, "sample size at offset 8");

/* The smallest n of a simple component with SeP >= target. Checks:
 * population, prevalence, sensitivity, target. */
QUORBEL_API QuorbelResult QuorbelFreedom_SampleSize(double population, double prevalence, double sensitivity,
                                                   double target, QuorbelFreedomSize* result);

/* The fewest pools of k units with SeP >= target; written: r, SeP, SpP
 * (r 0 when no r up to 2147483647 reaches it). Checks: prevalence, pool size,
 * sensitivity, specificity, target. */
QUORBEL_API QuorbelResult QuorbelFreedom_PooledSampleSize(double prevalence, double poolSize, double sensitivity,
                                                         double specificity, double target, double* pools,
                                                         double* sensitivityResult, double* specificityResult);

typedef struct QuorbelFreedomPrevalence {
  int32_t reachable; /* 1 when some prevalence is demonstrated, else 0 */
  int32_t reserved;  /* 0; keeps the doubles at the same offsets on every target */
  double prevalence; /* P (finite: D / N) */
  double diseased;   /* D of a finite population, else 0 */
} QuorbelFreedomPrevalence;
QUORBEL_LAYOUT(sizeof(QuorbelFreedomPrevalence) == 24, "QuorbelFreedomPrevalence is 24 bytes");
QUORBEL_LAYOUT(offsetof(QuorbelFreedomPrevalence, prevalence) == 8, "prevalence at offset 8");

/* The design prevalence that n units demonstrate at the target. Checks:
 * population, sample (at least 1), sensitivity, target. */
QUORBEL_API QuorbelResult QuorbelFreedom_DesignPrevalence(double population, double sample, double sensitivity,
                                                         double target, QuorbelFreedomPrevalence* result);

/* The probability of freedom after each period: priors[t] = pi_(t+1) and
 * probabilities[t] = F_(t+1) for t < periods, and the equilibrium. Checks:
 * prior, introduction, periods (count >= 1, each S in 0..1). */
QUORBEL_API QuorbelResult QuorbelFreedom_Probability(double prior, double introduction, int32_t periods,
                                                    const double* sensitivities, double* priors,
                                                    double* probabilities, double* equilibrium);

/* The sensitivity one period needs for a probability of freedom PF. Checks:
 * prior, introduction, target (PF, 0 < PF < 1). */
QUORBEL_API QuorbelResult QuorbelFreedom_SensitivityNeeded(double prior, double introduction,
                                                          double probabilityTarget, double* needed);

/* Independent components combined. Checks: periods (count >= 1, each S in
 * 0..1). */
QUORBEL_API QuorbelResult QuorbelFreedom_Combine(int32_t count, const double* sensitivities, double* combined);

/* A herd of a two-stage design: its size, given (an infinity for a herd of
 * unknown size); the rest written. */
typedef struct QuorbelFreedomHerd {
  double animals;
  double sampleSize;  /* the smallest n reaching the herd target; every animal when none (0 for an infinite herd) */
  double sensitivity; /* the herd sensitivity of that sample */
  int32_t reachable;  /* 1 when some sample reaches the herd target */
  int32_t reserved;   /* 0; the same size on every target */
} QuorbelFreedomHerd;
QUORBEL_LAYOUT(sizeof(QuorbelFreedomHerd) == 32, "QuorbelFreedomHerd is 32 bytes");
QUORBEL_LAYOUT(offsetof(QuorbelFreedomHerd, reachable) == 24, "reachable at offset 24");

typedef struct QuorbelFreedomTwoStage {
  int32_t reachable;      /* 1 when some number of herds reaches the survey target */
  int32_t herdsShort;     /* herds short of the herd target with every animal tested */
  double herdSensitivity; /* HSe: the smallest herd sensitivity achieved */
  double herdsToSample;   /* the fewest herds; every herd when unreachable */
  double sensitivity;     /* the survey's SeP with that many herds */
  double diseasedHerds;   /* D of the H herds */
} QuorbelFreedomTwoStage;
QUORBEL_LAYOUT(sizeof(QuorbelFreedomTwoStage) == 40, "QuorbelFreedomTwoStage is 40 bytes");
QUORBEL_LAYOUT(offsetof(QuorbelFreedomTwoStage, herdSensitivity) == 8, "herd sensitivity at offset 8");

/* Two-stage freedom over `count` herds (H = count), writing each herd's
 * design into its record. Checks: herds (count >= 1, each size whole >= 1
 * or infinite), prevalence (PH), within (PU), sensitivity, herd target,
 * target. */
QUORBEL_API QuorbelResult QuorbelFreedom_TwoStage(double herdPrevalence, double withinPrevalence, double sensitivity,
                                                 double herdTarget, double target, int32_t count,
                                                 QuorbelFreedomHerd* herds, QuorbelFreedomTwoStage* result);

#ifdef __cplusplus
}
#endif

#endif
