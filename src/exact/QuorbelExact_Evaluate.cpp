// QuorbelExact_Evaluate and QuorbelExact_HerdSurvey: what a detection design
// achieves. See quorbel_exact.h.
#include <cmath>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

extern "C" QuorbelResult QuorbelExact_Evaluate(double population, int32_t sample, double prevalence, double sensitivity,
                                               double specificity, int32_t positiveAt, QuorbelExactEvaluation* result) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_EXACT_E_POPULATION;
  if (sample < 1 || (units != 0 && sample > units)) return QUORBEL_EXACT_E_SAMPLE;
  if (!IsProbability(prevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_EXACT_E_SPECIFICITY;
  if (positiveAt < 1 || positiveAt > sample) return QUORBEL_EXACT_E_POSITIVE_AT;
  return RunGuarded([&] {
    QuorbelExactEvaluation out;
    out.diseasedUnits = units == 0 ? HUGE_VAL : static_cast<double>(DiseasedUnits(prevalence, units));
    out.populationSensitivity = PopulationSensitivity(units, sample, prevalence, sensitivity, specificity, positiveAt);
    out.populationSpecificity = PopulationSpecificity(sample, specificity, positiveAt);
    *result = out;
    return QUORBEL_OK;
  });
}

extern "C" QuorbelResult QuorbelExact_HerdSurvey(int32_t herds, int32_t herdsSampled, double herdPrevalence,
                                                 int32_t herdSize, int32_t animalsPerHerd, double withinHerdPrevalence,
                                                 double sensitivity, double specificity, int32_t positiveAt,
                                                 QuorbelExactHerdSurvey* result) {
  if (herds < 1) return QUORBEL_EXACT_E_POPULATION;
  if (herdsSampled < 1 || herdsSampled > herds) return QUORBEL_EXACT_E_SAMPLE;
  if (herdSize < 1) return QUORBEL_EXACT_E_POPULATION;
  if (animalsPerHerd < 1 || animalsPerHerd > herdSize) return QUORBEL_EXACT_E_SAMPLE;
  if (!IsProbability(herdPrevalence) || !IsProbability(withinHerdPrevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_EXACT_E_SPECIFICITY;
  if (positiveAt < 1 || positiveAt > animalsPerHerd) return QUORBEL_EXACT_E_POSITIVE_AT;
  return RunGuarded([&] {
    QuorbelExactHerdSurvey out;
    out.herdSensitivity =
        PopulationSensitivity(herdSize, animalsPerHerd, withinHerdPrevalence, sensitivity, specificity, positiveAt);
    out.herdSpecificity = PopulationSpecificity(animalsPerHerd, specificity, positiveAt);
    out.surveySensitivity = AnyFound(herds, DiseasedUnits(herdPrevalence, herds), herdsSampled, out.herdSensitivity);
    out.surveySpecificity = std::pow(out.herdSpecificity, static_cast<double>(herdsSampled));
    *result = out;
    return QUORBEL_OK;
  });
}
