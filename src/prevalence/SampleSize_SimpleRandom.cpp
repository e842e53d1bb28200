// SampleSize_SimpleRandom: sample size to estimate a prevalence by simple
// random sampling, for the caller's population, the ladder and an infinite
// population. See quorbel.h.
//
//   n0 = P (1 - P) z^2 / E^2,  E = d P      (z^2, E, E^2 and n0 held as floats)
//   n  = n0 / (n0 / M + 1)                  (double, from the held n0)
//   entry = trunc(n) + 1
//
// n stays below M, so a finite entry never exceeds its population.
#include "library/rules.h"
#include "prevalence/finite_population.h"

using namespace quorbel;

extern "C" QuorbelResult QUORBEL_CALL SampleSize_SimpleRandom(
    float prevalence, float precision, int confidenceLevel, int population,
    int32_t results[QUORBEL_LADDER_RESULTS]) {
  // The order of these checks is part of the contract.
  if (!IsProportionExclusive(prevalence)) return QUORBEL_E_PREVALENCE;
  if (!IsProportionExclusive(precision)) return QUORBEL_E_PRECISION;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (population < 1) return QUORBEL_E_POPULATION;

  const double p = prevalence;
  const float z2 = ConfidenceQuantileSquared(confidenceLevel);
  const float e = Hold(static_cast<double>(precision) * p);
  const float e2 = Hold(static_cast<double>(e) * e);
  const float n0 = Hold(p * (1.0 - p) * z2 / e2);

  results[0] = WholeNumberSize(FinitePopulationSize(n0, population));
  for (int i = 0; i < QUORBEL_LADDER_SIZES; ++i)
    results[i + 1] = WholeNumberSize(FinitePopulationSize(n0, kPopulationLadder[i]));
  results[QUORBEL_LADDER_RESULTS - 1] = WholeNumberSize(n0);
  return QUORBEL_OK;
}
