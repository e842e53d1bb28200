// ConfidenceInterval_Stratified: population-weighted prevalence of two to five
// strata and its Wald interval. See quorbel.h.
//
//   P   = sum(N_h p_h) / N
//   Var = sum(N_h^2 (1 - n_h / N_h) p_h (1 - p_h) / (n_h - 1)) / N^2
//   limits P -+ z sqrt(Var), not clipped
//
// Sums run in the order 2, 1, 3, 4, 5. A stratum sampled completely adds no
// variance.
#include <cmath>

#include "library/rules.h"
#include "prevalence/strata.h"

using namespace quorbel;

namespace {

struct SampledStratum {
  int population;
  int sample;
  float proportion;
};

// Slots 3 to 5 are present while N > 1, n > 1 and 0 < p < 1 hold for them.
bool IsPresentOptional(const SampledStratum& s) {
  return s.population > 1 && s.sample > 1 && s.proportion > 0.0f && s.proportion < 1.0f;
}

int CountSampledStrata(const SampledStratum (&strata)[QUORBEL_STRATA]) {
  int present = 2;
  while (present < QUORBEL_STRATA && IsPresentOptional(strata[present])) ++present;
  return present;
}

ResultCode CheckSampledStrata(int confidenceLevel, const SampledStratum (&strata)[QUORBEL_STRATA], int present) {
  // The order of these checks is part of the contract.
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (strata[0].population < 2) return QUORBEL_E_POPULATION_TOO_SMALL;
  if (strata[1].population < 2) return QUORBEL_E_POPULATION_TOO_SMALL;
  if (strata[0].sample < 2) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (strata[1].sample < 2) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (!IsProportionExclusive(strata[0].proportion)) return QUORBEL_E_OBSERVED_PROPORTION;
  if (!IsProportionExclusive(strata[1].proportion)) return QUORBEL_E_OBSERVED_PROPORTION;
  for (int h = 0; h < present; ++h)
    if (strata[h].sample > strata[h].population) return QUORBEL_E_POPULATION_TOO_SMALL;
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL ConfidenceInterval_Stratified(
    int confidenceLevel, int population1, int sample1, float proportion1, int population2, int sample2,
    float proportion2, int population3, int sample3, float proportion3, int population4, int sample4,
    float proportion4, int population5, int sample5, float proportion5, EstimateIntervalResult* result) {
  const SampledStratum strata[QUORBEL_STRATA] = {{population1, sample1, proportion1},
                                          {population2, sample2, proportion2},
                                          {population3, sample3, proportion3},
                                          {population4, sample4, proportion4},
                                          {population5, sample5, proportion5}};
  const int present = CountSampledStrata(strata);
  if (const ResultCode code = CheckSampledStrata(confidenceLevel, strata, present)) return code;

  const double z = ConfidenceQuantile(confidenceLevel);
  float bigN[QUORBEL_STRATA] = {}, smallN[QUORBEL_STRATA] = {};
  for (int h = 0; h < present; ++h) {
    bigN[h] = Hold(strata[h].population);
    smallN[h] = Hold(strata[h].sample);
  }
  double populationSum = 0.0, weightedSum = 0.0;
  for (int h : kStrataSecondFirst) {
    if (h >= present) continue;
    populationSum += bigN[h];
    weightedSum += static_cast<double>(bigN[h]) * strata[h].proportion;
  }
  const float population = Hold(populationSum);
  const float p = Hold(weightedSum / population);

  // NF_h^2 v_h, each factor held.
  auto varianceTerm = [&](int h) {
    const double ph = strata[h].proportion;
    const double nh = smallN[h], bh = bigN[h];
    const float v = Hold((ph * (1.0 - ph) / (nh - 1.0)) * ((bh - nh) / bh));
    const float bh2 = Hold(bh * bh);
    return static_cast<double>(bh2) * v;
  };
  float s = Hold(varianceTerm(1) + varianceTerm(0));
  for (int h = 2; h < present; ++h) s = Hold(varianceTerm(h) + s);
  const float populationSquared = Hold(static_cast<double>(population) * population);
  const float variance = Hold(static_cast<double>(s) / populationSquared);
  const float se = Hold(std::sqrt(static_cast<double>(variance)));
  result->estimate = p;
  result->lower = Hold(p - se * z);
  result->upper = Hold(p + se * z);
  return QUORBEL_OK;
}
