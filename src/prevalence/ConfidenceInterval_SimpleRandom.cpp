// ConfidenceInterval_SimpleRandom_Proportion and _PositiveCases: Wald
// interval of a prevalence after simple random sampling, with the finite
// population correction. See quorbel.h.
//
//   SE = sqrt(p (1 - p) / n) * sqrt(1 - n / N),   limits p -+ z SE
//
// The two differ in where the root of the binomial variance is rounded: the
// proportion variant takes it on the double quotient and holds only the
// product; the positives variant holds the variance, its root and the product.
#include <cmath>

#include "library/rules.h"
#include "prevalence/finite_population.h"

using namespace quorbel;

namespace {

// Checks both variants share after their first; the order is part of the
// contract.
ResultCode CheckSampleAndPopulation(int sampleSize, int population, int confidenceLevel) {
  if (sampleSize < 2 || population < 2) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (population < sampleSize) return QUORBEL_E_POPULATION_TOO_SMALL;
  return QUORBEL_OK;
}

// R = sqrt(1 - nf / N), with F and R held.
float FinitePopulationRoot(float nf, int population) {
  return Hold(std::sqrt(static_cast<double>(UnsampledFraction(nf, population))));
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL ConfidenceInterval_SimpleRandom_Proportion(
    float proportion, int sampleSize, int population, int confidenceLevel, IntervalResult* result) {
  if (!IsProportionExclusive(proportion)) return QUORBEL_E_OBSERVED_PROPORTION;
  if (const ResultCode code = CheckSampleAndPopulation(sampleSize, population, confidenceLevel)) return code;

  const double z = ConfidenceQuantile(confidenceLevel);
  const double p = proportion;
  const float nf = Hold(sampleSize);
  const float r = FinitePopulationRoot(nf, population);
  const float se = Hold(std::sqrt(p * (1.0 - p) / nf) * r);
  result->lower = Hold(p - se * z);
  result->upper = Hold(p + se * z);
  return QUORBEL_OK;
}

extern "C" QuorbelResult QUORBEL_CALL ConfidenceInterval_SimpleRandom_PositiveCases(
    int positives, int sampleSize, int population, int confidenceLevel, EstimateIntervalResult* result) {
  if (positives < 1) return QUORBEL_E_OBSERVED_PROPORTION;
  if (const ResultCode code = CheckSampleAndPopulation(sampleSize, population, confidenceLevel)) return code;
  if (positives > sampleSize) return QUORBEL_E_OBSERVED_PROPORTION;

  const double z = ConfidenceQuantile(confidenceLevel);
  const float nf = Hold(sampleSize);
  const float p = Hold(positives / static_cast<double>(nf));
  const float r = FinitePopulationRoot(nf, population);
  const float v = Hold(static_cast<double>(p) * (1.0 - p) / nf);
  const float s = Hold(std::sqrt(static_cast<double>(v)));
  const float se = Hold(static_cast<double>(s) * r);
  result->estimate = p;
  result->lower = Hold(static_cast<double>(p) - static_cast<double>(se) * z);
  result->upper = Hold(static_cast<double>(p) + static_cast<double>(se) * z);
  return QUORBEL_OK;
}
