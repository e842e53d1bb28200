// QuorbelExact_TruePrevalenceSampleSize and QuorbelExact_TestAccuracySampleSize:
// sample sizes that allow for an imperfect test. See quorbel_exact.h.
#include <cmath>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

namespace {

// Above this a size is no longer a whole number a double holds exactly.
constexpr double kLargestSize = 9007199254740992.0;  // 2^53

inline bool IsOpen(double v) { return v > 0.0 && v < 1.0; }

// n rounded up, but a value within 1e-9 (relative) above a whole number is
// that number: 364.0000000001 from rounding in the arithmetic is 364.
double WholeAtOrAbove(double n) {
  const double below = std::floor(n);
  return n - below <= 1e-9 * n ? below : std::ceil(n);
}

QuorbelResult Deliver(double n, double detail, double z, QuorbelExactTestSize* result) {
  if (!(n <= kLargestSize)) return QUORBEL_EXACT_E_PRECISION;
  *result = QuorbelExactTestSize{WholeAtOrAbove(n), n, detail, z};
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QuorbelExact_TruePrevalenceSampleSize(double population, double prevalence,
                                                               double sensitivity, double specificity,
                                                               double precision, double confidenceLevel,
                                                               QuorbelExactTestSize* result) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_EXACT_E_POPULATION;
  if (!IsOpen(prevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_EXACT_E_SPECIFICITY;
  if (!(sensitivity + specificity > 1.0)) return QUORBEL_EXACT_E_USELESS_TEST;
  if (!IsOpen(precision)) return QUORBEL_EXACT_E_PRECISION;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double z = NormalQuantile(confidenceLevel);
    const double apparent = sensitivity * prevalence + (1.0 - specificity) * (1.0 - prevalence);
    const double youden = sensitivity + specificity - 1.0;
    const double infinite = z * z * apparent * (1.0 - apparent) / (precision * precision * youden * youden);
    const double n = units == 0 ? infinite
                                : infinite * static_cast<double>(units) / (infinite + static_cast<double>(units) - 1.0);
    return Deliver(n, apparent, z, result);
  });
}

extern "C" QuorbelResult QuorbelExact_TestAccuracySampleSize(int32_t estimate, double expected, double prevalence,
                                                             double precision, double confidenceLevel,
                                                             QuorbelExactTestSize* result) {
  if (estimate != 0 && estimate != 1) return QUORBEL_EXACT_E_ESTIMATE;
  if (!IsOpen(expected)) return QUORBEL_EXACT_E_EXPECTED;
  if (!IsOpen(prevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  if (!IsOpen(precision)) return QUORBEL_EXACT_E_PRECISION;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double z = NormalQuantile(confidenceLevel);
    const double subjects = z * z * expected * (1.0 - expected) / (precision * precision);
    const double n = subjects / (estimate == 0 ? prevalence : 1.0 - prevalence);
    if (!(n <= kLargestSize)) return QuorbelResult{QUORBEL_EXACT_E_PRECISION};
    return Deliver(n, WholeAtOrAbove(subjects), z, result);
  });
}
