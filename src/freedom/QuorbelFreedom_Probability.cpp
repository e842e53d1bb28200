// QuorbelFreedom_Probability, QuorbelFreedom_SensitivityNeeded and
// QuorbelFreedom_Combine: the probability that a population is free after
// periods of negative surveillance, and components combined. See
// quorbel_freedom.h.
#include "freedom/checks.h"
#include "quorbel_freedom.h"

using namespace quorbel::freedom;

namespace {

bool ArePeriods(int32_t count, const double* sensitivities) {
  if (count < 1) return false;
  for (int32_t t = 0; t < count; ++t)
    if (!(sensitivities[t] >= 0.0 && sensitivities[t] <= 1.0)) return false;
  return true;
}

}  // namespace

extern "C" QuorbelResult QuorbelFreedom_Probability(double prior, double introduction, int32_t periods,
                                         const double* sensitivities, double* priors, double* probabilities,
                                         double* equilibrium) {
  if (!IsProbability(prior)) return QUORBEL_FREEDOM_E_PRIOR;
  if (!(introduction >= 0.0 && introduction < 1.0)) return QUORBEL_FREEDOM_E_INTRODUCTION;
  if (!ArePeriods(periods, sensitivities)) return QUORBEL_FREEDOM_E_PERIODS;
  double pi = prior * (1.0 - introduction);
  for (int32_t t = 0; t < periods; ++t) {
    priors[t] = pi;
    probabilities[t] = pi / (1.0 - sensitivities[t] * (1.0 - pi));
    pi = probabilities[t] * (1.0 - introduction);
  }
  const double last = sensitivities[periods - 1];
  *equilibrium = last > introduction ? (1.0 - introduction / last) / (1.0 - introduction) : 0.0;
  return QUORBEL_OK;
}

extern "C" QuorbelResult QuorbelFreedom_SensitivityNeeded(double prior, double introduction, double probabilityTarget,
                                               double* needed) {
  if (!IsProbability(prior)) return QUORBEL_FREEDOM_E_PRIOR;
  if (!(introduction >= 0.0 && introduction < 1.0)) return QUORBEL_FREEDOM_E_INTRODUCTION;
  if (!IsOpen(probabilityTarget)) return QUORBEL_FREEDOM_E_TARGET;
  const double pi = prior * (1.0 - introduction);
  *needed = probabilityTarget <= pi ? 0.0 : (1.0 - pi / probabilityTarget) / (1.0 - pi);
  return QUORBEL_OK;
}

extern "C" QuorbelResult QuorbelFreedom_Combine(int32_t count, const double* sensitivities, double* combined) {
  if (!ArePeriods(count, sensitivities)) return QUORBEL_FREEDOM_E_PERIODS;
  double missed = 1.0;
  for (int32_t i = 0; i < count; ++i) missed *= 1.0 - sensitivities[i];
  *combined = 1.0 - missed;
  return QUORBEL_OK;
}
