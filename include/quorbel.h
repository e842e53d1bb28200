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
 *  - List files are read twice: counted, then read into working arrays sized
 *    from the count (names kept compactly, one character pool per call). A
 *    list that cannot be opened again, ends before the counted lines, goes on
 *    where the count ended, or holds longer names than were counted has
 *    changed under the call: it gives QUORBEL_E_GENERAL with the fault line
 *    (and field) -1, and nothing is written. Every working array, the read
 *    buffers included, is allocated per call; a failed allocation gives
 *    QUORBEL_E_NO_MEMORY for a working array, a count of no records (the
 *    empty-list code) for the counting pass's read buffer, and
 *    QUORBEL_E_GENERAL for the reading pass's.
 *
 * On 32-bit Windows every function uses the standard calling convention and is
 * exported both under its plain name and its decorated name
 * (_SampleSize_SimpleRandom@20). Elsewhere the plain names are exported with C
 * linkage.
 */
#ifndef QUORBEL_H
#define QUORBEL_H

/* The library's version: QUORBEL_VERSION_MAJOR, _MINOR and _PATCH, and
 * QUORBEL_VERSION as text ("1.2.3"), from quorbel_version.h, which the build writes
 * and installs beside this header. */
#include "quorbel_version.h"

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
#define QUORBEL_E_GENERAL                 0x60000000u /* an exception was caught (memory, reading a list, computing),
                                                         or a list changed between its counting and its reading */
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

/* The status of a failed registration (E_UNEXPECTED). */
#define QUORBEL_E_UNEXPECTED              ((int32_t)0x8000FFFF)

/* A whole-number size whose real value lies beyond the 32-bit signed range. */
#define QUORBEL_SIZE_UNBOUNDED            INT32_MAX

/* Compile-time checks of the record layouts, from C and C++ alike: static
 * assertions where the language has them (C11, C++11), otherwise the
 * declaration of an array whose size is negative when the condition fails
 * (C89, C99), the same declaration each time so that headers may repeat it. */
#if defined(__cplusplus) && __cplusplus >= 201103L
#  define QUORBEL_LAYOUT(condition, what) static_assert(condition, what)
#elif !defined(__cplusplus) && defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#  define QUORBEL_LAYOUT(condition, what) _Static_assert(condition, what)
#else
#  define QUORBEL_LAYOUT(condition, what) extern char quorbel_layout_check[(condition) ? 1 : -1]
#endif

/* ============================================================ result records
 * Records the caller supplies and the library fills: 4-byte fields on 4-byte
 * boundaries; a one-byte flag is followed by padding to the next boundary,
 * and only the flag byte itself is ever written. */

/* A confidence interval. */
typedef struct IntervalResult {
  float lower;
  float upper;
} IntervalResult;
QUORBEL_LAYOUT(sizeof(IntervalResult) == 8, "IntervalResult is 8 bytes");

/* An estimate with its confidence interval. */
typedef struct EstimateIntervalResult {
  float estimate;
  float lower;
  float upper;
} EstimateIntervalResult;
QUORBEL_LAYOUT(sizeof(EstimateIntervalResult) == 12, "EstimateIntervalResult is 12 bytes");
QUORBEL_LAYOUT(offsetof(EstimateIntervalResult, upper) == 8, "upper limit at offset 8");

/* The stratified sample-size plan. */
#define QUORBEL_STRATA 5
typedef struct StratifiedSampleSizeResult {
  float prevalence;                       /* overall expected prevalence P */
  int32_t stratumSizes[QUORBEL_STRATA];   /* 0 for an empty slot */
  int32_t total;                          /* sum of stratumSizes */
} StratifiedSampleSizeResult;
QUORBEL_LAYOUT(sizeof(StratifiedSampleSizeResult) == 28, "StratifiedSampleSizeResult is 28 bytes");
QUORBEL_LAYOUT(offsetof(StratifiedSampleSizeResult, stratumSizes) == 4, "sizes at offset 4");
QUORBEL_LAYOUT(offsetof(StratifiedSampleSizeResult, total) == 24, "total at offset 24");

/* The two-stage sample-size plan. */
typedef struct TwoStageSampleSizeResult {
  int32_t clusters;        /* clusters to sample, at least 25 */
  int32_t animals;         /* clusters times animals per cluster */
  uint8_t minimumApplied;  /* 1 when the count was raised to 25; the only byte written at offset 8 */
  uint8_t padding[3];      /* never written */
} TwoStageSampleSizeResult;
QUORBEL_LAYOUT(sizeof(TwoStageSampleSizeResult) == 12, "TwoStageSampleSizeResult is 12 bytes");
QUORBEL_LAYOUT(offsetof(TwoStageSampleSizeResult, minimumApplied) == 8, "flag at offset 8");

/* Sample sizes per group for comparing two proportions. */
typedef struct ComparisonSampleSizeResult {
  int32_t twoSided;  /* per group, two-sided test */
  int32_t oneSided;  /* per group, one-sided test */
} ComparisonSampleSizeResult;
QUORBEL_LAYOUT(sizeof(ComparisonSampleSizeResult) == 8, "ComparisonSampleSizeResult is 8 bytes");

/* The difference of two proportions with its 90, 95 and 99 % intervals. Each
 * significance flag is one byte (1 when the lower limit is above 0); the
 * three bytes after it are never written. */
typedef struct ComparisonIntervalResult {
  float lower90;
  float upper90;
  uint8_t significant90;
  uint8_t padding90[3];
  float lower95;
  float upper95;
  uint8_t significant95;
  uint8_t padding95[3];
  float lower99;
  float upper99;
  uint8_t significant99;
  uint8_t padding99[3];
  float difference;  /* p2 - p1 */
} ComparisonIntervalResult;
QUORBEL_LAYOUT(sizeof(ComparisonIntervalResult) == 40, "ComparisonIntervalResult is 40 bytes");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, significant90) == 8, "90 % flag at offset 8");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, lower95) == 12, "95 % lower limit at offset 12");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, significant95) == 20, "95 % flag at offset 20");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, lower99) == 24, "99 % lower limit at offset 24");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, significant99) == 32, "99 % flag at offset 32");
QUORBEL_LAYOUT(offsetof(ComparisonIntervalResult, difference) == 36, "difference at offset 36");

/* The true prevalence behind an imperfect test. */
typedef struct TruePrevalenceResult {
  float truePrevalence;  /* not clamped to 0..1 */
  uint8_t negative;      /* 1 when truePrevalence < 0; the only byte written at offset 4 */
  uint8_t padding[3];    /* never written */
} TruePrevalenceResult;
QUORBEL_LAYOUT(sizeof(TruePrevalenceResult) == 8, "TruePrevalenceResult is 8 bytes");
QUORBEL_LAYOUT(offsetof(TruePrevalenceResult, negative) == 4, "flag at offset 4");

/* The detection sample size with its reactor cut-off and reference table. */
#define QUORBEL_REFERENCE_ROWS     8  /* 50, 100, 250, 500, 1000, 2000, 5000, 10000000 animals */
#define QUORBEL_REFERENCE_COLUMNS  6  /* 10, 5, 2, 1, 0.5, 0.1 % */
typedef struct DetectionSampleSizeResult {
  int32_t sampleSize;     /* animals to sample */
  int32_t reactorCutOff;  /* written only when the cut-off search finds a count */
  float sensitivity;      /* of the test scheme used */
  float specificity;      /* of the test scheme used */
  float referenceTable[QUORBEL_REFERENCE_ROWS * QUORBEL_REFERENCE_COLUMNS]; /* [6 * row + column], whole numbers */
} DetectionSampleSizeResult;
QUORBEL_LAYOUT(sizeof(DetectionSampleSizeResult) == 208, "DetectionSampleSizeResult is 208 bytes");
QUORBEL_LAYOUT(offsetof(DetectionSampleSizeResult, sensitivity) == 8, "sensitivity at offset 8");
QUORBEL_LAYOUT(offsetof(DetectionSampleSizeResult, referenceTable) == 16, "table at offset 16");

/* The two-stage detection plan. */
#define QUORBEL_HERD_SIZES 7  /* 50, 100, 250, 500, 750, 1000, 5000 animals */
typedef struct TwoStageDetectionResult {
  float sensitivity;           /* of the test scheme used */
  float specificity;
  int32_t herdsToSample;
  int32_t animalsPerHerd;
  int32_t totalAnimals;        /* herdsToSample * animalsPerHerd */
  int32_t herdReactorCutOff;   /* written only when its search finds a count */
  int32_t totalReactorCutOff;  /* written only when its search finds a count */
  int32_t herdSizeTable[QUORBEL_HERD_SIZES]; /* animals per herd by herd size */
} TwoStageDetectionResult;
QUORBEL_LAYOUT(sizeof(TwoStageDetectionResult) == 56, "TwoStageDetectionResult is 56 bytes");
QUORBEL_LAYOUT(offsetof(TwoStageDetectionResult, herdsToSample) == 8, "herds at offset 8");
QUORBEL_LAYOUT(offsetof(TwoStageDetectionResult, herdReactorCutOff) == 20, "herd cut-off at offset 20");
QUORBEL_LAYOUT(offsetof(TwoStageDetectionResult, herdSizeTable) == 28, "table at offset 28");

/* The two-stage confidence interval from a cluster list. */
typedef struct TwoStageIntervalResult {
  float prevalence;               /* positives / animals */
  float lower;                    /* prevalence - z SE, not clamped */
  float upper;                    /* prevalence + z SE, not clamped */
  float standardError;            /* SE under cluster sampling */
  float designEffect;
  float intraClusterCorrelation;  /* rho */
  int32_t clusters;
  int32_t animals;
  int32_t positives;
} TwoStageIntervalResult;
QUORBEL_LAYOUT(sizeof(TwoStageIntervalResult) == 36, "TwoStageIntervalResult is 36 bytes");
QUORBEL_LAYOUT(offsetof(TwoStageIntervalResult, clusters) == 24, "clusters at offset 24");

/* The highest prevalence a negative sample could have missed. */
typedef struct MaximumPrevalenceResult {
  int32_t diseasedAnimals;     /* trunc(X) + 1 */
  float maximumPrevalence;     /* X / N, not limited to 1 */
  float detectionProbability;  /* at the stated prevalence */
} MaximumPrevalenceResult;
QUORBEL_LAYOUT(sizeof(MaximumPrevalenceResult) == 12, "MaximumPrevalenceResult is 12 bytes");
QUORBEL_LAYOUT(offsetof(MaximumPrevalenceResult, detectionProbability) == 8, "probability at offset 8");

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
 * beyond the 32-bit range being QUORBEL_SIZE_UNBOUNDED. The finite-population
 * correction n0 / (n0 / M + 1) = n0 M / (M + n0) is not Cochran's
 * n0 / (1 + (n0 - 1) / M) = n0 M / (M + n0 - 1): it divides by one more, so
 * its sizes can fall one below Cochran's (M 1000, n0 896.37335: 472.678
 * against 472.927, both 473 by the whole-number rule). Estimating_SampleSize
 * uses the same correction. */
QUORBEL_API QuorbelResult QUORBEL_CALL SampleSize_SimpleRandom(
    float prevalence, float precision, int confidenceLevel, int population,
    int32_t results[QUORBEL_LADDER_RESULTS]);

/* SampleSize_Stratified: animals to sample in each of two to five strata
 * (Neyman allocation) for a relative precision d of the overall prevalence.
 * Slots 1 and 2 are always present; slot 3 is present when stratum3Size >= 1,
 * slot 4 when slot 3 is and stratum4Size >= 1, slot 5 likewise; the first
 * empty slot ends the list. Checks, in this order:
 *   confidence level outside 90..99                      -> QUORBEL_E_CONFIDENCE
 *   precision fails the exclusive proportion check       -> QUORBEL_E_PRECISION
 *   stratum1Size or stratum2Size below 1                 -> QUORBEL_E_STRATUM
 *   prevalence1, then prevalence2, fails the exclusive check -> QUORBEL_E_STRATUM
 *   a present slot 3 to 5 whose prevalence is not strictly between 0 and 1
 *   (the computation would divide zero by zero or take the root of a
 *   negative number)                                     -> QUORBEL_E_STRATUM
 * Held as float: z^2; N (the sum of the present sizes, taken in 64 bits);
 * the running sum T of N_h p_h (N_2 p_2 first, then N_1 p_1, N_3 p_3, ...);
 * P = T / N; E = d P; E^2; V = E^2 / z^2; p_h (1 - p_h) and its root S_h;
 * W_h = S_h N_h; their sum SW (W_2 + W_1 + W_3 + ...); a_h = W_h / SW; N_h^2;
 * the running sums A of N_h^2 p_h (1 - p_h) / a_h and B of (1 - p_h) N_h p_h;
 * N^2; n = A / (N^2 V + B). Stratum h gets trunc(n a_h) + 1, an empty slot 0;
 * the total is their sum (saturating at QUORBEL_SIZE_UNBOUNDED). */
QUORBEL_API QuorbelResult QUORBEL_CALL SampleSize_Stratified(
    int confidenceLevel, float precision,
    int stratum1Size, float prevalence1, int stratum2Size, float prevalence2,
    int stratum3Size, float prevalence3, int stratum4Size, float prevalence4,
    int stratum5Size, float prevalence5, StratifiedSampleSizeResult* result);

/* SampleSize_TwoStages: clusters (herds) to draw and animals in all, with m
 * animals examined per cluster, for a relative precision d of prevalence P.
 * The design effect is D = 1 + (m - 1) rho. rho is used when it is at least
 * 0.000001 or at most -0.000001, whatever the preset; otherwise the preset
 * gives rho = k / (m - 1) with k = 1, 3, 6, 6.5 for presets 1 to 4, and 1.0 for
 * any other non-zero preset. Checks, in this order:
 *   prevalence fails the exclusive proportion check   -> QUORBEL_E_CLUSTER_PREVALENCE
 *   precision fails the exclusive proportion check    -> QUORBEL_E_PRECISION
 *   confidence level outside 90..99                   -> QUORBEL_E_CONFIDENCE
 *   animalsPerCluster below 2                         -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   preset 0 and rho below 0.000001 or NaN            -> QUORBEL_E_CORRELATION
 * Held as float: the preset rho, D, E = d P, E^2 and z^2. The count is
 * trunc(P (1 - P) D z^2 / (E^2 m)) + 1; a count of 24 or less becomes 25 with
 * minimumApplied 1, else minimumApplied is 0. animals = clusters * m,
 * saturating at QUORBEL_SIZE_UNBOUNDED. Writes clusters, animals and the one
 * flag byte; the padding after the flag is left as it was. */
QUORBEL_API QuorbelResult QUORBEL_CALL SampleSize_TwoStages(
    float prevalence, float precision, int confidenceLevel, int animalsPerCluster,
    int preset, float rho, TwoStageSampleSizeResult* result);

/* ConfidenceInterval_SimpleRandom_Proportion: Wald interval of an observed
 * proportion p from a simple random sample of n out of N, with the finite
 * population correction, not clipped to 0..1. Checks, in this order:
 *   proportion fails the exclusive proportion check  -> QUORBEL_E_OBSERVED_PROPORTION
 *   sampleSize below 2, then population below 2      -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   confidence level outside 90..99                  -> QUORBEL_E_CONFIDENCE
 *   population smaller than sampleSize               -> QUORBEL_E_POPULATION_TOO_SMALL
 * Held as float: nf = n, F = 1 - nf / N (taken as 0 should nf, a float,
 * round above N), R = sqrt(F), and SE = sqrt(p (1 - p) / nf) * R (the root taken in double). Writes
 * lower = p - SE z and upper = p + SE z. */
QUORBEL_API QuorbelResult QUORBEL_CALL ConfidenceInterval_SimpleRandom_Proportion(
    float proportion, int sampleSize, int population, int confidenceLevel, IntervalResult* result);

/* ConfidenceInterval_SimpleRandom_PositiveCases: as above from a count of
 * positives x. Checks, in this order:
 *   positives below 1                                -> QUORBEL_E_OBSERVED_PROPORTION
 *   sampleSize below 2, then population below 2      -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   confidence level outside 90..99                  -> QUORBEL_E_CONFIDENCE
 *   population smaller than sampleSize               -> QUORBEL_E_POPULATION_TOO_SMALL
 *   positives greater than sampleSize (p above 1 has no real standard
 *   error)                                           -> QUORBEL_E_OBSERVED_PROPORTION
 * Held as float: nf = n, p = x / nf, F = 1 - nf / N, R = sqrt(F),
 * V = p (1 - p) / nf, S = sqrt(V), SE = S R. Writes estimate p, then
 * lower = p - SE z, then upper = p + SE z. */
QUORBEL_API QuorbelResult QUORBEL_CALL ConfidenceInterval_SimpleRandom_PositiveCases(
    int positives, int sampleSize, int population, int confidenceLevel,
    EstimateIntervalResult* result);

/* ConfidenceInterval_Stratified: the population-weighted prevalence of two to
 * five strata and its interval, P +- z sqrt(Var) with the classical stratified
 * variance and finite-population correction. Slots 1 and 2 are always
 * present; slot 3 is present when N_3 > 1, n_3 > 1 and 0 < p_3 < 1, slot 4
 * when slot 3 is and the same holds for it, slot 5 likewise; the first absent
 * slot ends the list. Checks, in this order:
 *   confidence level outside 90..99                  -> QUORBEL_E_CONFIDENCE
 *   N_1 below 2, then N_2 below 2                    -> QUORBEL_E_POPULATION_TOO_SMALL
 *   n_1 below 2, then n_2 below 2                    -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   p_1, then p_2, fails the exclusive check         -> QUORBEL_E_OBSERVED_PROPORTION
 *   a present slot (in order) sampled beyond its population, n_h > N_h
 *   (its variance would be negative)                 -> QUORBEL_E_POPULATION_TOO_SMALL
 * Held as float: NF_h = N_h and nF_h = n_h; N = NF_2 + NF_1 + NF_3 + ...;
 * P = (NF_2 p_2 + NF_1 p_1 + ...) / N; v_h = p_h (1 - p_h) / (nF_h - 1)
 * * (NF_h - nF_h) / NF_h; NF_h^2; the running sum S = NF_2^2 v_2 + NF_1^2 v_1,
 * then + NF_h^2 v_h for slots 3 to 5; N^2; V = S / N^2; SE = sqrt(V).
 * Writes estimate P, lower P - SE z, upper P + SE z. */
QUORBEL_API QuorbelResult QUORBEL_CALL ConfidenceInterval_Stratified(
    int confidenceLevel,
    int population1, int sample1, float proportion1,
    int population2, int sample2, float proportion2,
    int population3, int sample3, float proportion3,
    int population4, int sample4, float proportion4,
    int population5, int sample5, float proportion5,
    EstimateIntervalResult* result);

/* ConfidenceInterval_TwoStages: prevalence of a two-stage survey from a
 * cluster list (a text file, one cluster per line: name, animals examined,
 * positives, separated by the list separator: ";" under a Spanish user
 * locale, "," otherwise; the list ends at its first line of fewer than three
 * fields, and a line is cut to 254 characters). Checks, in this order:
 *   confidence level outside 90..99                    -> QUORBEL_E_CONFIDENCE
 *   the file cannot be opened or holds no record        -> QUORBEL_E_CLUSTER_FILE
 *   the cluster table cannot be allocated               -> QUORBEL_E_NO_MEMORY
 *   a field cannot be taken from a line                 -> QUORBEL_E_CLUSTER_FIELD (*)
 *   then cluster by cluster, in file order:
 *     a name blank but for trailing spaces              -> QUORBEL_E_CLUSTER_FIELD (*, field 1)
 *     positives above animals with 0 animals            -> QUORBEL_E_CLUSTER_NO_ANIMALS (*, field 2)
 *     positives above animals otherwise                 -> QUORBEL_E_CLUSTER_POSITIVES (*, field 3)
 *   fewer than two positives in all                     -> QUORBEL_E_CLUSTER_FILE, with
 *     prevalence, clusters, animals and positives written and the other
 *     fields 0
 *   any exception                                       -> QUORBEL_E_GENERAL
 * (*) writes the 1-based line and field to *errorLine and *errorField, which
 * are otherwise left untouched. Integers read as _wtoi reads them; a cluster
 * with 0 animals and 0 positives, or negative numbers where animals are not
 * below positives, enters the sums unchanged; animals * positives is formed
 * in 64 bits. Every running sum (clusters, A, B, A^2, B^2, AB) and named value
 * is held as a float: p = B / A, SE = sqrt(S / (m (m - 1))) m / A with
 * S = p^2 A2 + (B2 - 2p AB), deff = SE^2 / s0^2 with s0 = sqrt(p (1 - p) / A),
 * rho = (deff - 1) / (A / m - 1), limits p -+ z SE. A single cluster, clusters
 * of one animal each, or a prevalence of 1 divide by zero: those fields come
 * out infinite or NaN and the code is 0. Counts are floor(sum + 0.5). */
QUORBEL_API QuorbelResult QUORBEL_CALL ConfidenceInterval_TwoStages(
    int confidenceLevel, const wchar_t* clusterFile, int32_t* errorLine, int32_t* errorField,
    TwoStageIntervalResult* result);

/* ConfidenceInterval_TwoStages_A: the same with a narrow path, converted in
 * the current locale (a path of 260 characters or more is cut to 259). */
QUORBEL_API QuorbelResult QUORBEL_CALL ConfidenceInterval_TwoStages_A(
    int confidenceLevel, const char* clusterFile, int32_t* errorLine, int32_t* errorField,
    TwoStageIntervalResult* result);

/* ======================== comparison, true prevalence, estimation of a mean */

/* Comparison_SampleSize: animals per group to detect the difference between
 * proportions p1 <= p2 (normal approximation with the Fleiss continuity
 * correction) at a confidence level and power, two-sided and one-sided.
 * Quantiles, single-precision constants: two-sided 1.645 / 1.96 / 2.576 and
 * one-sided 1.282 / 1.645 / 2.326 for levels 90 / 91..98 / 99; power 80, 85,
 * 90, 95 give 0.842, 1.0366, 1.282, 1.645. Checks, in this order:
 *   p1 fails the inclusive proportion check   -> QUORBEL_E_FIRST_PROPORTION
 *   p2 fails the inclusive proportion check   -> QUORBEL_E_SECOND_PROPORTION
 *   confidence level outside 90..99           -> QUORBEL_E_CONFIDENCE
 *   power not 80, 85, 90 or 95                -> QUORBEL_E_POWER
 *   p2 smaller than p1                        -> QUORBEL_E_PROPORTION_ORDER
 * Held as float, in turn: m = (p1 + p2) / 2; e = p1 (1 - p1) + p2 (1 - p2) and
 * its root; f = (1 - m) 2m and its root; d = p2 - p1; then per quantile z:
 * a = sqrt(f) z + sqrt(e) zp, a^2, d^2, k = a^2 / d^2, c = 4 / ((p2 - p1) k) + 1
 * (p2 - p1 in double), sqrt(c), q = sqrt(c) + 1, q^2 and n = k q^2 / 4. Each
 * size is trunc(n) + 1. Equal proportions need an unbounded sample: both
 * sizes are QUORBEL_SIZE_UNBOUNDED. */
QUORBEL_API QuorbelResult QUORBEL_CALL Comparison_SampleSize(
    float p1, float p2, int confidenceLevel, int power, ComparisonSampleSizeResult* result);

/* Comparison_ConfidenceInterval: the difference d = p2 - p1 of two observed
 * proportions and its Wald intervals at 90, 95 and 99 %. Checks, in order:
 *   p1 fails the inclusive proportion check   -> QUORBEL_E_FIRST_PROPORTION
 *   p2 fails the inclusive proportion check   -> QUORBEL_E_SECOND_PROPORTION
 *   size1 below 1                             -> QUORBEL_E_FIRST_SAMPLE
 *   size2 below 1                             -> QUORBEL_E_SECOND_SAMPLE
 *   p2 smaller than p1                        -> QUORBEL_E_PROPORTION_ORDER
 * Held as float: d, the sizes, V = p1 (1 - p1) / size1 + p2 (1 - p2) / size2
 * and SE = sqrt(V). The quantiles 1.645, 1.96 and 2.576 are doubles here.
 * Writes difference first, then per level lower = d - z SE, upper = d + z SE
 * and the flag byte (lower > 0). Limits are not clamped. */
QUORBEL_API QuorbelResult QUORBEL_CALL Comparison_ConfidenceInterval(
    float p1, int size1, float p2, int size2, ComparisonIntervalResult* result);

/* True_Prevelance (so spelled): Rogan-Gladen true prevalence
 * TP = (AP + Sp - 1) / (Se + Sp - 1), formed in double and held once.
 * Checks, in this order:
 *   apparent prevalence fails the inclusive check   -> QUORBEL_E_TEST_PREVALENCE
 *   sensitivity fails the inclusive check           -> QUORBEL_E_SENSITIVITY
 *   specificity fails the inclusive check           -> QUORBEL_E_SPECIFICITY
 *   Se + Sp = 1 (a test no better than chance, which would divide by zero)
 *                                                   -> QUORBEL_E_SPECIFICITY
 * Writes truePrevalence, then the flag byte (1 when negative). An estimate
 * above 1 is returned as computed and not flagged. */
QUORBEL_API QuorbelResult QUORBEL_CALL True_Prevelance(
    float apparentPrevalence, float sensitivity, float specificity, TruePrevalenceResult* result);

/* Estimating_SampleSize: animals to measure to estimate a mean within an
 * accepted error, for the ladder, an infinite population and the caller's.
 * Positive-value check: accepted when the value is at least 0.000001.
 * Checks, in this order:
 *   accepted error fails the positive-value check        -> QUORBEL_E_ACCEPTED_ERROR
 *   standard deviation fails the positive-value check    -> QUORBEL_E_STANDARD_DEVIATION
 *   population below 1                                   -> QUORBEL_E_POPULATION
 *   confidence level outside 90..99                      -> QUORBEL_E_CONFIDENCE
 * Held as float: q = sd z / error and n0 = q^2. Rounded half up, not by the
 * whole-number rule: results[16] (the caller's N, written first) and
 * results[0..14] (the ladder 50 .. 10000) are floor(n0 / (n0 / M + 1) + 0.5);
 * results[15] (infinite population) is floor(n0 + 0.5). A size beyond the
 * 32-bit range, or one from an infinite n0, is QUORBEL_SIZE_UNBOUNDED. */
QUORBEL_API QuorbelResult QUORBEL_CALL Estimating_SampleSize(
    float acceptedError, int confidenceLevel, float standardDeviation, int population,
    int32_t results[QUORBEL_LADDER_RESULTS]);

/* Estimating_ConfidenceInterval: interval of a mean from a simple random
 * sample, with the finite-population correction. Checks, in this order:
 *   mean fails the positive-value check                  -> QUORBEL_E_MEAN
 *   standard deviation fails the positive-value check    -> QUORBEL_E_STANDARD_DEVIATION
 *   sampleSize below 1                                   -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   population below 1                                   -> QUORBEL_E_POPULATION
 *   population smaller than sampleSize                   -> QUORBEL_E_POPULATION_TOO_SMALL
 *   confidence level outside 90..99                      -> QUORBEL_E_CONFIDENCE
 * Held as float: nf = n, c = 1 - nf / N (taken as 0 should nf round above N),
 * sqrt(c), sqrt(nf) and SE = (sd / sqrt(nf)) sqrt(c). Writes
 * lower = mean - SE z, then upper = mean + SE z. */
QUORBEL_API QuorbelResult QUORBEL_CALL Estimating_ConfidenceInterval(
    float mean, float standardDeviation, int sampleSize, int population, int confidenceLevel,
    IntervalResult* result);

/* ===================================================== detection of disease
 * In this family a proportion is "given" when it passes the inclusive
 * proportion check (0.000001 <= v <= 1; a NaN is not given). The confidence
 * level enters as CL = level / 100 (held), not as a normal quantile. A second
 * test is in use exactly when sensitivity2 is given; with two tests,
 * testCombination 2 combines them in parallel (Se = 1 - (1 - Se1)(1 - Se2),
 * Sp = Sp1 Sp2) and any other non-zero value in series (Se = Se1 Se2,
 * Sp = 1 - (1 - Sp1)(1 - Sp2)); Se and Sp are held.
 *
 * The reactor cut-off: with m disease-free animals in the sample, k is the
 * first count (k < m) at which the running float sum of the probabilities of
 * 0..k false-positive reactors reaches 1 - falsePositiveRisk: exact binomial
 * for m <= 170, Poisson for lambda = m (1 - Sp) <= 30, normal density beyond.
 * The cut-off written is k - 1 (0 when k is 0); when no k is found the
 * caller's value is left as it was. */

/* DetectingEvent_SampleSize_SimpleRandom: animals to test so that at least
 * one reactor is found, with confidence CL, if the disease is present at the
 * design prevalence. Checks, in this order:
 *   prevalence not given                              -> QUORBEL_E_TEST_PREVALENCE
 *   populationSize below 1                            -> QUORBEL_E_POPULATION
 *   confidence level outside 90..99                   -> QUORBEL_E_CONFIDENCE
 *   falsePositiveRisk not given                       -> QUORBEL_E_FALSE_POSITIVE_RISK
 *   sensitivity1 not given                            -> QUORBEL_E_SENSITIVITY
 *   specificity1 not given                            -> QUORBEL_E_SPECIFICITY
 *   sensitivity2 not given but specificity2 given     -> QUORBEL_E_SENSITIVITY
 *   sensitivity2 given but specificity2 not           -> QUORBEL_E_SPECIFICITY
 *   sensitivity2 given and testCombination 0          -> QUORBEL_E_TEST_COMBINATION
 * Then, under a guard that turns any exception into QUORBEL_E_GENERAL with
 * the fields written so far kept, in this order: sensitivity and specificity;
 * with N = population (float), D = Se N P, q = 1 - CL (held),
 * r = q^(1 / D held) (held) and n* = (1 - r)(N - (D - 1) / 2) (held), the
 * cut-off for m = trunc((1 - P) n*) (binomial with the real power Sp^(m-k));
 * sampleSize = trunc(n*); and the reference table, cell = trunc((1 - r_d)
 * (P_row - (d - 1) / 2)) with d = (the row's animals times the column's
 * prevalence) Se and r_d = q^(1 / d held) (held), stored as floats. The table
 * depends only on Se and the confidence level. */
QUORBEL_API QuorbelResult QUORBEL_CALL DetectingEvent_SampleSize_SimpleRandom(
    float prevalence, int populationSize, int confidenceLevel, float sensitivity1, float specificity1,
    float sensitivity2, float specificity2, DetectionSampleSizeResult* result, float falsePositiveRisk,
    int testCombination);

/* DetectingEvent_SampleSize_TwoStages: herds to sample, and animals in each,
 * so that an infected herd is found with confidence CL when the herd
 * prevalence is herdPrevalence and an infected herd is detected with the herd
 * sensitivity h = herdSensitivity / 100. Checks, in this order:
 *   confidence level outside 90..99                   -> QUORBEL_E_CONFIDENCE
 *   falsePositiveRisk not given                       -> QUORBEL_E_FALSE_POSITIVE_RISK
 *   herdPrevalence not given                          -> QUORBEL_E_TEST_PREVALENCE
 *   herdCount below 1                                 -> QUORBEL_E_POPULATION
 *   withinHerdPrevalence not given                    -> QUORBEL_E_WITHIN_HERD_PREVALENCE
 *   herdSize below 1, NaN or infinite                 -> QUORBEL_E_HERD_SIZE
 *   herdSensitivity outside 0..100                    -> QUORBEL_E_HERD_SENSITIVITY
 *   then the five test checks of the simple random function, in its order.
 * Then, under the same guard, writes in this order: sensitivity, specificity;
 * animalsPerHerd = trunc(nA) with D1 = herdSize withinHerdPrevalence Se,
 * nA = (1 - qh^(1 / D1 held))(herdSize - (D1 - 1) / 2) and qh = 1 - h (each
 * held); herdsToSample = trunc(nH) with D2 = (h herdPrevalence, held) herds,
 * nH = (1 - q^(1 / D2 held))(herds - (D2 - 1) / 2), the power being 0 when D2
 * is 0; totalAnimals = their product, saturating at QUORBEL_SIZE_UNBOUNDED;
 * herdSizeTable (as nA for herds of 50 .. 5000, truncated); the herd cut-off
 * for m1 = floor((1 - withinHerdPrevalence) nA + 0.5) and the total cut-off
 * for m2 = floor((1 - withinHerdPrevalence herdPrevalence) totalAnimals + 0.5),
 * both searches raising Sp to whole powers by IntPower. */
QUORBEL_API QuorbelResult QUORBEL_CALL DetectingEvent_SampleSize_TwoStages(
    int confidenceLevel, float herdPrevalence, int herdCount, float withinHerdPrevalence, float herdSize,
    int herdSensitivity, float sensitivity1, float specificity1, float sensitivity2, float specificity2,
    TwoStageDetectionResult* result, float falsePositiveRisk, int testCombination);

/* DetectingEvent_MaximumPrevalence: after a negative sample of n animals out
 * of N, the largest number (and proportion) of diseased animals that could
 * have been missed with confidence CL, and the probability that the sample
 * would have found a reactor at the stated prevalence. Checks, in order:
 *   sampleSize below 1                                -> QUORBEL_E_SAMPLE_TOO_SMALL
 *   populationSize below 1                            -> QUORBEL_E_POPULATION
 *   sampleSize above populationSize                   -> QUORBEL_E_POPULATION_TOO_SMALL
 *   sensitivity not given                             -> QUORBEL_E_SENSITIVITY
 *   confidence level outside 90..99                   -> QUORBEL_E_CONFIDENCE
 *   prevalence not given                              -> QUORBEL_E_TEST_PREVALENCE
 * Held as float: n, N, Dp = Se P N, q = 1 - CL, 1 / n, r = q^(1/n),
 * X = (1 - r)(N - (n - 1) / 2) / Se, X / N, b = 1 - n / (N - (Dp - 1) / 2)
 * and b^Dp. Writes diseasedAnimals = trunc(X) + 1, maximumPrevalence = X / N,
 * detectionProbability = 1 - b^Dp. When b is negative (a sample so close to a
 * census that it cannot miss every reactor, where b^Dp has no real value)
 * detectionProbability is 1. */
QUORBEL_API QuorbelResult QUORBEL_CALL DetectingEvent_MaximumPrevalence(
    int sampleSize, int populationSize, float sensitivity, int confidenceLevel, float prevalence,
    MaximumPrevalenceResult* result);

/* ============================================================ selection of units
 * Unit lists are text files with one unit name per line; sized unit lists
 * hold "name,size" (the list separator: ";" under a Spanish user locale).
 * Both end at their first empty line; CR LF and LF lines read alike; a line
 * is cut to 254 characters. Result files are written only after every check
 * has passed, as narrow text in the current locale with CR LF line ends:
 * names cut to 252 bytes (at a whole character), a character the locale
 * cannot write as '?'. Random numbers come from the C runtime's rand (state
 * per thread, never seeded by the library; Selection_SeedRandom seeds the
 * native build's equivalent). */

/* Selection_SimpleRandom: n distinct units chosen by shuffling the whole
 * list; their names are written in shuffled order (every unit once when n
 * exceeds the list). The working arrays are the names and the index array;
 * the chosen units are the first min(n, units) entries of the shuffled index
 * array, so a large n costs no memory. Checks, in this order:
 *   n below 1                                  -> QUORBEL_E_SELECT_COUNT
 *   the list path does not exist               -> QUORBEL_E_LIST_MISSING
 *   the list holds no unit or cannot be read   -> QUORBEL_E_LIST_EMPTY
 *   an array cannot be allocated               -> QUORBEL_E_NO_MEMORY
 *   a line converts to no characters           -> QUORBEL_E_LIST_LINE, *faultLine = that line
 *   an exception while reading                 -> QUORBEL_E_GENERAL, *faultLine = -1
 *   the result file cannot be created/written  -> QUORBEL_E_RESULT_FILE
 * *faultLine is otherwise untouched. */
QUORBEL_API QuorbelResult QUORBEL_CALL Selection_SimpleRandom(
    int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine);
/* Selection_SimpleRandom_A: the same with narrow paths (see _TwoStages_A). */
QUORBEL_API QuorbelResult QUORBEL_CALL Selection_SimpleRandom_A(
    int n, const char* listFile, const char* resultFile, int32_t* faultLine);

/* Selection_ProbabilityProportional: systematic selection proportional to
 * size: step = total / n (integer), start = trunc(rand() / 32768 * step) + 1,
 * and every unit whose stretch of the running total holds points is written
 * in list order as "name,hits". Checks, in this order:
 *   n below 1                                  -> QUORBEL_E_PPS_COUNT
 *   the list path does not exist (after a message box "ERROR" showing the
 *   path; on Linux the message goes to standard error)
 *                                              -> QUORBEL_E_LIST_MISSING
 *   the list holds no unit or cannot be read   -> QUORBEL_E_LIST_EMPTY
 *   n greater than the number of units         -> QUORBEL_E_TOO_MANY
 *   an array cannot be allocated               -> QUORBEL_E_NO_MEMORY
 *   a line without exactly a name and a size, or a size that takes the total
 *   beyond the 32-bit range                    -> QUORBEL_E_SIZED_LINE, *faultLine = that line
 *   an exception                               -> QUORBEL_E_GENERAL (*faultLine = -1 while reading)
 *   the result file cannot be created/written  -> QUORBEL_E_RESULT_FILE */
QUORBEL_API QuorbelResult QUORBEL_CALL Selection_ProbabilityProportional(
    int n, const wchar_t* listFile, const wchar_t* resultFile, int32_t* faultLine);
/* Selection_ProbabilityProportional_A: the same with narrow paths. */
QUORBEL_API QuorbelResult QUORBEL_CALL Selection_ProbabilityProportional_A(
    int n, const char* listFile, const char* resultFile, int32_t* faultLine);

#ifndef _WIN32
/* Selection_SeedRandom (native build only): seeds the calling thread's
 * generator, which draws the same sequence as the Windows runtime's rand
 * (state 1 until seeded), so that a Linux host reproduces a selection that a
 * Windows host makes after srand(seed). */
QUORBEL_API void Selection_SeedRandom(unsigned seed);

/* Quorbel_Version (native build only): QUORBEL_VERSION of the library that
 * is loaded, which may differ from the header a host was built with. */
QUORBEL_API const char* Quorbel_Version(void);
#endif

/* ========================================================== self-registration
 * Exported only by the Windows DLLs, and only under their decorated names
 * _DllRegisterServer@0 and _DllUnregisterServer@0. The native Linux library
 * has no registry and exports neither (the code is built there only to be
 * tested against a fake registry).
 *
 * DllRegisterServer: under HKEY_CLASSES_ROOT, creates or opens
 * "CLSID\{5E0C2A91-7B44-4D3F-A1C8-92F07D6B3E15}" and sets its default value
 * to "Quorbel Server" (REG_SZ, 30 bytes); creates or opens its subkey
 * "InprocServer32"; finds the loaded module named "Quorbel.dll" and sets the
 * subkey's default value to its full path (REG_SZ, length * 2 + 2 bytes).
 * Returns 0, or QUORBEL_E_UNEXPECTED at the first step that fails, having
 * closed the keys it had opened (subkey first) and undone nothing: a copy of
 * the library loaded under another file name leaves the class key with its
 * value and an empty subkey. Registering again overwrites both values.
 *
 * DllUnregisterServer: deletes the subkey, then the class key. Returns 0, or
 * QUORBEL_E_UNEXPECTED when either deletion fails (not registered, or a key
 * has subkeys of its own); a failed first deletion leaves the class key. */
#ifdef _WIN32
QUORBEL_API int32_t QUORBEL_CALL DllRegisterServer(void);
QUORBEL_API int32_t QUORBEL_CALL DllUnregisterServer(void);
#endif

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* QUORBEL_H */
