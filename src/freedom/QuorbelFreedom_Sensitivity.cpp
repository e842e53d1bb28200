// QuorbelFreedom_Sensitivity and QuorbelFreedom_Pooled: what a simple and a
// pooled surveillance component detect. See quorbel_freedom.h.
#include <cmath>

#include "exact/sums.h"
#include "freedom/checks.h"
#include "library/exception_guard.h"
#include "quorbel_freedom.h"

namespace quorbel::freedom {

// SeP of n units of a population of `units` (0: infinite) at D = diseased.
double SimpleSensitivity(int64_t units, int64_t diseased, int64_t sample, double prevalence, double sensitivity) {
  if (units == 0) return 1.0 - std::pow(1.0 - sensitivity * prevalence, static_cast<double>(sample));
  return exact::AnyFound(units, diseased, sample, sensitivity);
}

}  // namespace quorbel::freedom

using namespace quorbel::freedom;

extern "C" QuorbelResult QuorbelFreedom_Sensitivity(double population, double sample, double prevalence, double sensitivity,
                                         double* result, double* diseased) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_FREEDOM_E_POPULATION;
  if (!IsWhole(sample, 0) || (units > 0 && sample > static_cast<double>(units))) return QUORBEL_FREEDOM_E_SAMPLE;
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  return quorbel::RunGuarded([&] {
    const int64_t d = units == 0 ? 0 : quorbel::exact::DiseasedUnits(prevalence, units);
    *result = SimpleSensitivity(units, d, static_cast<int64_t>(sample), prevalence, sensitivity);
    *diseased = static_cast<double>(d);
    return QuorbelResult{QUORBEL_OK};
  });
}

extern "C" QuorbelResult QuorbelFreedom_Pooled(double prevalence, double pools, double poolSize, double sensitivity,
                                    double specificity, double* sensitivityResult, double* specificityResult) {
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  if (!IsWhole(pools, 1) || !IsWhole(poolSize, 1)) return QUORBEL_FREEDOM_E_POOLS;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_FREEDOM_E_SPECIFICITY;
  const double clean = std::pow(1.0 - prevalence, poolSize);  // q: a pool holds no diseased unit
  *sensitivityResult = 1.0 - std::pow((1.0 - clean) * (1.0 - sensitivity) + clean * specificity, pools);
  *specificityResult = std::pow(specificity, pools);
  return QUORBEL_OK;
}
