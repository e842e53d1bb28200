// Estimating_ConfidenceInterval: interval of a mean measured on a simple
// random sample, with the finite-population correction. See quorbel.h.
//
//   SE = (sd / sqrt(n)) sqrt(1 - n / N),   limits mean -+ z SE
#include <cmath>

#include "library/rules.h"
#include "prevalence/finite_population.h"

using namespace quorbel;

extern "C" QuorbelResult QUORBEL_CALL Estimating_ConfidenceInterval(
    float mean, float standardDeviation, int sampleSize, int population, int confidenceLevel,
    IntervalResult* result) {
  // The order of these checks is part of the contract.
  if (!IsPositiveValue(mean)) return QUORBEL_E_MEAN;
  if (!IsPositiveValue(standardDeviation)) return QUORBEL_E_STANDARD_DEVIATION;
  if (sampleSize < 1) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (population < 1) return QUORBEL_E_POPULATION;
  if (population < sampleSize) return QUORBEL_E_POPULATION_TOO_SMALL;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;

  const double z = ConfidenceQuantile(confidenceLevel);
  const float nf = Hold(sampleSize);
  const float fc = Hold(std::sqrt(static_cast<double>(UnsampledFraction(nf, population))));
  const float r = Hold(std::sqrt(static_cast<double>(nf)));
  const double se = Hold(static_cast<double>(standardDeviation) / r * fc);
  result->lower = Hold(mean - se * z);
  result->upper = Hold(mean + se * z);
  return QUORBEL_OK;
}
