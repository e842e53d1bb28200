// QuorbelFreedom_SampleSize and QuorbelFreedom_PooledSampleSize: the fewest
// units (or pools) that reach a target sensitivity. See quorbel_freedom.h.
#include <cmath>

#include "exact/sums.h"
#include "freedom/checks.h"
#include "freedom/search.h"
#include "library/exception_guard.h"
#include "quorbel_freedom.h"

using namespace quorbel::freedom;

extern "C" QuorbelResult QuorbelFreedom_SampleSize(double population, double prevalence, double sensitivity, double target,
                                        QuorbelFreedomSize* result) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_FREEDOM_E_POPULATION;
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  if (!IsOpen(target)) return QUORBEL_FREEDOM_E_TARGET;
  return quorbel::RunGuarded([&] {
    const int64_t diseased = units == 0 ? 0 : quorbel::exact::DiseasedUnits(prevalence, units);
    auto sep = [&](int64_t n) { return SimpleSensitivity(units, diseased, n, prevalence, sensitivity); };
    const int64_t most = units == 0 ? INT32_MAX : units;
    const int64_t n = SmallestReaching(1, most, [&](int64_t k) { return sep(k) >= target; });
    result->reachable = n <= most;
    result->reserved = 0;
    result->sampleSize = n <= most ? static_cast<double>(n) : 0.0;
    result->sensitivity = sep(n <= most ? n : most);
    return QuorbelResult{QUORBEL_OK};
  });
}

extern "C" QuorbelResult QuorbelFreedom_PooledSampleSize(double prevalence, double poolSize, double sensitivity,
                                              double specificity, double target, double* pools,
                                              double* sensitivityResult, double* specificityResult) {
  if (!IsOpen(prevalence)) return QUORBEL_FREEDOM_E_PREVALENCE;
  if (!IsWhole(poolSize, 1)) return QUORBEL_FREEDOM_E_POOLS;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_FREEDOM_E_SPECIFICITY;
  if (!IsOpen(target)) return QUORBEL_FREEDOM_E_TARGET;
  auto at = [&](int64_t r, double* sep, double* spp) {
    return QuorbelFreedom_Pooled(prevalence, static_cast<double>(r), poolSize, sensitivity, specificity, sep, spp);
  };
  double sep = 0, spp = 0;
  const int64_t r = SmallestReaching(1, INT32_MAX, [&](int64_t k) { return at(k, &sep, &spp), sep >= target; });
  at(r <= INT32_MAX ? r : INT32_MAX, sensitivityResult, specificityResult);
  *pools = r <= INT32_MAX ? static_cast<double>(r) : 0.0;
  return QUORBEL_OK;
}
