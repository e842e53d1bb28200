/* quorbel.h -- the public interface of the Quorbel sampling-survey library.
 *
 * Quorbel computes the statistics of sampling surveys in animal populations:
 * sample sizes, confidence intervals, detection of disease and selection of
 * sampling units. Every calculation is one exported function that tests its
 * arguments in a fixed order, returns the result code of the first test that
 * fails having written nothing, and otherwise writes its results into a record
 * supplied by the caller and returns QUORBEL_OK.
 *
 * Conventions that hold for every function below:
 *  - float arguments and results are IEEE single precision; int arguments are
 *    32-bit signed. Intermediate arithmetic runs in double precision except at
 *    the points each function names, where a value is "held" (rounded to
 *    single precision) and later steps use the rounded value.
 *  - Result pointers are never tested for null; passing one is outside the
 *    contract.
 *  - A float argument that is not a number (NaN) is rejected by every range
 *    check with the code that check returns for an out-of-range value.
 *  - Confidence levels are whole percentages 90..99. The normal quantile z is
 *    1.645 for 90, 1.96 for 91..98 (not interpolated) and 2.576 for 99, each a
 *    single-precision constant; z squared is their single-precision product.
 *  - Proportion check: a proportion v is accepted when 0.000001 <= v < 1
 *    (exclusive form) or 0.000001 <= v <= 1 (inclusive form), the float being
 *    compared with double constants; the float nearest 0.000001 lies just
 *    below it and is rejected.
 *  - Whole-number rule: a real sample size x becomes trunc(x) + 1, so 25.0
 *    becomes 26. A size whose count would exceed the 32-bit range is reported
 *    as QUORBEL_SIZE_UNBOUNDED (INT32_MAX).
 *
 * On 32-bit Windows every function uses the standard calling convention and is
 * exported both under its plain name and its decorated name
 * (_SampleSize_SimpleRandom@20). Elsewhere the plain names are exported with C
 * linkage.
 */
#ifndef QUORBEL_H
#define QUORBEL_H

#include <stddef.h>
#include <stdint.h>

/* Linkage policy: the calling convention and the visibility of exports. */
#if defined(_WIN32) && !defined(_WIN64)
#  define QUORBEL_CALL __stdcall
#else
#  define QUORBEL_CALL
#endif
#if defined(QUORBEL_BUILDING) && !defined(_WIN32)
#  define QUORBEL_API __attribute__((visibility("default")))
#else
#  define QUORBEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef uint32_t QuorbelResult;

/* ---------------------------------------------------------------- result codes
 * Every calculation returns QUORBEL_OK or one of these. The gaps (0x6000000B to
 * 0x6000000D, 0x6000000F, 0x60000010, 0x6000002A) are never returned. */
#define QUORBEL_OK                        0x00000000u /* success */
#define QUORBEL_E_GENERAL                 0x60000000u /* an exception was caught (memory, reading a list, computing) */
#define QUORBEL_E_PREVALENCE              0x60000001u /* prevalence fails the proportion check (exclusive) */
#define QUORBEL_E_ACCEPTED_ERROR          0x60000002u /* accepted error below 0.000001 */
#define QUORBEL_E_CONFIDENCE              0x60000003u /* confidence level outside 90..99 */
#define QUORBEL_E_POPULATION              0x60000004u /* population (or number of herds) below 1 */
#define QUORBEL_E_STRATUM                 0x60000005u /* stratum 1 or 2: size below 1 or prevalence rejected */
#define QUORBEL_E_CLUSTER_PREVALENCE      0x60000006u /* two-stage prevalence fails the proportion check */
#define QUORBEL_E_SAMPLE_TOO_SMALL        0x60000007u /* a sample size (or animals per cluster) too small */
#define QUORBEL_E_CORRELATION             0x60000008u /* intra-cluster correlation below 0.000001, no preset */
#define QUORBEL_E_OBSERVED_PROPORTION     0x60000009u /* observed proportion rejected, or positives below 1 */
#define QUORBEL_E_POPULATION_TOO_SMALL    0x6000000Au /* population smaller than the sample, or below 2 */
#define QUORBEL_E_NO_MEMORY               0x6000000Eu /* a working table cannot be allocated */
#define QUORBEL_E_CLUSTER_FILE            0x60000011u /* cluster file unreadable or empty, or total positives below 2 */
#define QUORBEL_E_CLUSTER_FIELD           0x60000012u /* cluster file: a field cannot be taken, or a blank name */
#define QUORBEL_E_CLUSTER_NO_ANIMALS      0x60000013u /* cluster file: 0 animals but positives */
#define QUORBEL_E_CLUSTER_POSITIVES       0x60000014u /* cluster file: more positives than animals */
#define QUORBEL_E_FIRST_PROPORTION        0x60000015u /* first proportion fails the proportion check (inclusive) */
#define QUORBEL_E_SECOND_PROPORTION       0x60000016u /* second proportion fails the proportion check (inclusive) */
#define QUORBEL_E_POWER                   0x60000017u /* power not one of 80, 85, 90, 95 */
#define QUORBEL_E_PROPORTION_ORDER        0x60000018u /* second proportion smaller than the first */
#define QUORBEL_E_FIRST_SAMPLE            0x60000019u /* first sample size below 1 */
#define QUORBEL_E_SECOND_SAMPLE           0x6000001Au /* second sample size below 1 */
#define QUORBEL_E_SENSITIVITY             0x6000001Bu /* a test sensitivity rejected */
#define QUORBEL_E_SPECIFICITY             0x6000001Cu /* a test specificity rejected, or missing for a second test */
#define QUORBEL_E_MEAN                    0x6000001Du /* mean below 0.000001 */
#define QUORBEL_E_STANDARD_DEVIATION      0x6000001Eu /* standard deviation below 0.000001 */
#define QUORBEL_E_TEST_PREVALENCE         0x6000001Fu /* apparent, design or between-herd prevalence rejected */
#define QUORBEL_E_FALSE_POSITIVE_RISK     0x60000020u /* false-positive risk rejected */
#define QUORBEL_E_TEST_COMBINATION        0x60000021u /* a second test but no rule to combine the two */
#define QUORBEL_E_WITHIN_HERD_PREVALENCE  0x60000022u /* within-herd prevalence rejected */
#define QUORBEL_E_HERD_SIZE               0x60000023u /* herd size below 1 */
#define QUORBEL_E_HERD_SENSITIVITY        0x60000024u /* herd-level sensitivity outside 0..100 */
#define QUORBEL_E_LIST_EMPTY              0x60000025u /* unit list holds no unit, or cannot be read */
#define QUORBEL_E_SELECT_COUNT            0x60000026u /* simple random selection: count below 1 */
#define QUORBEL_E_LIST_LINE               0x60000027u /* a unit-list line converts to no characters */
#define QUORBEL_E_RESULT_FILE             0x60000028u /* the result file cannot be created or written */
#define QUORBEL_E_PPS_COUNT               0x60000029u /* selection by size: count below 1 */
#define QUORBEL_E_SIZED_LINE              0x6000002Bu /* a sized-list line lacks its name or size */
#define QUORBEL_E_TOO_MANY                0x6000002Cu /* more units asked for than the list holds */
#define QUORBEL_E_LIST_MISSING            0x6000002Du /* the list file does not exist */
#define QUORBEL_E_PRECISION               0x6000002Eu /* relative precision fails the proportion check */

/* A whole-number size whose real value lies beyond the 32-bit signed range. */
#define QUORBEL_SIZE_UNBOUNDED            INT32_MAX

/* ======================================================= prevalence estimation */

/* The fixed population ladder of the sample-size tables. */
#define QUORBEL_LADDER_SIZES     15
#define QUORBEL_LADDER_RESULTS   17

/* SampleSize_SimpleRandom: animals to examine by simple random sampling to
 * estimate a prevalence P with relative precision d (accepted error d * P).
 * Checks, in this order (the order is part of the contract):
 *   prevalence fails the exclusive proportion check  -> QUORBEL_E_PREVALENCE
 *   precision fails the exclusive proportion check   -> QUORBEL_E_PRECISION
 *   confidence level outside 90..99                  -> QUORBEL_E_CONFIDENCE
 *   population below 1                               -> QUORBEL_E_POPULATION
 * Held as float: z*z, E = d*P, E*E and n0 = P(1-P) z^2 / E^2.
 * Writes results[0] for the caller's population, results[1..15] for the
 * ladder 50, 100, 150, 200, 300, 400, 500, 750, 1000, 1500, 2000, 3500, 5000,
 * 7500, 10000, and results[16] for an infinite population; each finite entry
 * is trunc(n0 / (n0 / M + 1)) + 1 and entry 16 is trunc(n0) + 1, an entry
 * beyond the 32-bit range being QUORBEL_SIZE_UNBOUNDED. */
QUORBEL_API QuorbelResult QUORBEL_CALL SampleSize_SimpleRandom(
    float prevalence, float precision, int confidenceLevel, int population,
    int32_t results[QUORBEL_LADDER_RESULTS]);

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QUORBEL_H */
