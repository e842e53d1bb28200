/* Quorbel sampling with known inclusion probabilities: distinct units drawn
 * with probability proportional to size, beside the specified selections
 * and changing none of them.
 *
 * Exported by the native library only, in double precision. Draws come from
 * one documented generator, the same on every platform: xoshiro256**
 * (Blackman and Vigna, 2018) seeded with four outputs of SplitMix64 (Steele,
 * Lea and Flood, 2014) of the user's seed; a uniform is the top 53 bits of
 * an output times 2^-53.
 *
 * Arguments are checked in the order of the codes below; a failed check
 * writes nothing. */
#ifndef QUORBEL_SAMPLING_H
#define QUORBEL_SAMPLING_H

#include "quorbel.h"

#ifdef __cplusplus
extern "C" {
#endif

#define QUORBEL_SAMPLING_E_UNITS  0x60000301u /* no unit, or a size not finite and >= 0 */
#define QUORBEL_SAMPLING_E_COUNT  0x60000302u /* n outside 1 .. the units of positive size */
#define QUORBEL_SAMPLING_E_FEW    0x60000303u /* fewer than 2 units, or nothing tested */
#define QUORBEL_SAMPLING_E_LEVEL  0x60000304u /* confidence level outside 50 .. 99.99 */

/* The inclusion probabilities of n units drawn with probability
 * proportional to size: pi_i = n size_i / total; a unit whose pi_i would
 * reach 1 is a certainty unit, taken with probability 1 and set aside, and
 * the rest recomputed from the rest of n, until no pi_i exceeds 1 (as R's
 * sampling::inclusionprobabilities). Writes pi[0 .. count - 1] and the
 * number of certainty units. Checks: units, count. */
QUORBEL_API QuorbelResult QuorbelSampling_InclusionProbabilities(int32_t count, const double* sizes, int32_t n,
                                                                 double* pi, int32_t* certainty);

/* n distinct units with exactly the inclusion probabilities pi (as
 * QuorbelSampling_InclusionProbabilities gives them, summing to n):
 * certainty units (pi = 1) are taken; of the rest, Sampford's method draws
 * the first unit with probability pi_i / m and m - 1 more with replacement
 * with probability proportional to pi_i / (1 - pi_i), and starts again
 * unless all m differ (m, the units still to draw). After 100,000 rejected
 * draws it falls back to Pareto pi-ps sampling (Rosen, 1997), whose
 * inclusion probabilities are close to pi but not exact, and says so in
 * *pareto. Writes chosen[i] = 1 for the n units taken, else 0. Checks:
 * units (each pi in 0..1), count (n, the sum of pi rounded). */
QUORBEL_API QuorbelResult QuorbelSampling_Sampford(int32_t count, const double* pi, int32_t n, uint64_t seed,
                                                   int32_t* chosen, int32_t* pareto);

/* Systematic selection with probability proportional to size (Madow): the
 * units, in the order given, laid end to end with lengths pi_i (certainty
 * units, pi = 1, are taken and left out of the line), and a unit taken
 * where a point u + k (k = 0, 1, ...) falls, u uniform on [0, 1). Every
 * pi_i below 1 makes each unit hit at most once: exactly n distinct units,
 * each with inclusion probability pi_i. Writes chosen[i] = 1 for the units
 * taken. Checks as QuorbelSampling_Sampford. */
QUORBEL_API QuorbelResult QuorbelSampling_Systematic(int32_t count, const double* pi, int32_t n, uint64_t seed,
                                                     int32_t* chosen);

/* A total n split over strata in proportion to weights[h] (the stratum
 * sizes N_h for a proportional allocation; N_h sqrt(p_h (1 - p_h)) for
 * Neyman's): floors of n w_h / sum(w), then one more to the largest
 * remainders, ties to the earlier stratum; a stratum given more than its
 * N_h keeps N_h and the rest is split again over the others. Writes
 * counts[h]. Checks: units (strata >= 1, sizes whole >= 0, weights finite
 * >= 0 and not all 0 where sizes are), count (1 <= n <= sum of sizes). */
QUORBEL_API QuorbelResult QuorbelSampling_Allocate(int32_t strata, const double* sizes, const double* weights,
                                                   int32_t n, int32_t* counts);

/* n of `count` units by simple random selection without replacement (a
 * partial Fisher-Yates shuffle on the generator above). Writes chosen[i] =
 * 1 for the units taken. Checks: units (count >= 1), count (1 <= n <=
 * count). */
QUORBEL_API QuorbelResult QuorbelSampling_SimpleRandom(int32_t count, int32_t n, uint64_t seed, int32_t* chosen);

typedef struct QuorbelSamplingEstimate {
  double estimate;
  double standardError;
  double designEffect; /* the variance against simple random sampling of as many x units */
  double lower, upper; /* estimate -+ z SE, kept within 0..1 */
} QuorbelSamplingEstimate;
QUORBEL_LAYOUT(sizeof(QuorbelSamplingEstimate) == 40, "QuorbelSamplingEstimate is 40 bytes");

/* The ratio sum(w y) / sum(w x) of a selection of `count` units with
 * inclusion probabilities pi (weights w = 1 / pi), and its with-replacement
 * (Hansen-Hurwitz) linearised standard error: with z_i = (y_i - R x_i) /
 * sum(w x), SE^2 = n / (n - 1) sum (w_i z_i - mean(w z))^2, as R's
 * survey::svyratio gives for svydesign(ids = ~1, probs = ~pi). With x = 1
 * it is the weighted mean of y (svymean). The design effect divides SE^2 by
 * R (1 - R) / sum(x) (0 when R is 0 or 1); the limits use the exact normal quantile of the level
 * (percent). Checks: units (pi in (0, 1], y and x finite, 0 <= y <= x),
 * few (count >= 2, sum x > 0), level. */
QUORBEL_API QuorbelResult QuorbelSampling_WeightedRatio(int32_t count, const double* pi, const double* y,
                                                        const double* x, double confidenceLevel,
                                                        QuorbelSamplingEstimate* result);

#ifdef __cplusplus
}
#endif

#endif
