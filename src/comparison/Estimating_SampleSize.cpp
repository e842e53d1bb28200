// Estimating_SampleSize: animals to measure to estimate a mean within an
// accepted error, for the caller's population, the ladder and an infinite
// population. See quorbel.h.
//
//   n0 = (sd z / error)^2             (q and n0 held as floats)
//   entry = floor(n0 / (n0 / M + 1) + 0.5)   -- rounded half up
//
// The result order differs from the prevalence table: ladder 0..14, infinite
// 15, the caller's population 16 (computed first).
#include <cmath>

#include "library/rules.h"
#include "prevalence/finite_population.h"

using namespace quorbel;

extern "C" QuorbelResult QUORBEL_CALL Estimating_SampleSize(
    float acceptedError, int confidenceLevel, float standardDeviation, int population,
    int32_t results[QUORBEL_LADDER_RESULTS]) {
  // The order of these checks is part of the contract.
  if (!IsPositiveValue(acceptedError)) return QUORBEL_E_ACCEPTED_ERROR;
  if (!IsPositiveValue(standardDeviation)) return QUORBEL_E_STANDARD_DEVIATION;
  if (population < 1) return QUORBEL_E_POPULATION;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;

  const float z = ConfidenceQuantile(confidenceLevel);
  const float q = Hold(static_cast<double>(standardDeviation) * z / acceptedError);
  const float n0 = Hold(static_cast<double>(q) * q);

  results[QUORBEL_LADDER_RESULTS - 1] = FloorSize(FinitePopulationSize(n0, population) + 0.5);
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
    results[i] = FloorSize(FinitePopulationSize(n0, kPopulationLadder[i]) + 0.5);
  results[QUORBEL_LADDER_SIZES] = FloorSize(static_cast<double>(n0) + 0.5);
  return QUORBEL_OK;
}
