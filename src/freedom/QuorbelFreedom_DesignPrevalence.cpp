// QuorbelFreedom_DesignPrevalence: the prevalence a sample demonstrates. See
// quorbel_freedom.h.
#include <cmath>

#include "exact/sums.h"
#include "freedom/checks.h"
#include "freedom/search.h"
#include "library/exception_guard.h"
#include "quorbel_freedom.h"

using namespace quorbel::freedom;

extern "C" QuorbelResult QuorbelFreedom_DesignPrevalence(double population, double sample, double sensitivity, double target,
                                              QuorbelFreedomPrevalence* result) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_FREEDOM_E_POPULATION;
  if (!IsWhole(sample, 1) || (units > 0 && sample > static_cast<double>(units))) return QUORBEL_FREEDOM_E_SAMPLE;
  if (!IsProbability(sensitivity)) return QUORBEL_FREEDOM_E_SENSITIVITY;
  if (!IsOpen(target)) return QUORBEL_FREEDOM_E_TARGET;
  return quorbel::RunGuarded([&] {
    if (units == 0) {
      const double p = (1.0 - std::pow(1.0 - target, 1.0 / sample)) / sensitivity;
      *result = {p <= 1.0, 0, p <= 1.0 ? p : 0.0, 0.0};
      return QuorbelResult{QUORBEL_OK};
    }
    const int64_t n = static_cast<int64_t>(sample);
    const int64_t d = SmallestReaching(1, units, [&](int64_t k) {
      return quorbel::exact::AnyFound(units, k, n, sensitivity) >= target;
    });
    const bool reachable = d <= units;
    *result = {reachable, 0, reachable ? static_cast<double>(d) / static_cast<double>(units) : 0.0,
               reachable ? static_cast<double>(d) : 0.0};
    return QuorbelResult{QUORBEL_OK};
  });
}
