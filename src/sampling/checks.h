// The argument checks shared by the sampling draws.
#ifndef QUORBEL_SAMPLING_CHECKS_H
#define QUORBEL_SAMPLING_CHECKS_H

#include <algorithm>
#include <cmath>
#include <numeric>

#include "quorbel_sampling.h"

namespace quorbel::sampling {

// Inclusion probabilities in 0..1 that sum to n (within 1e-6 n), n from 1
// to the units: QUORBEL_OK, or the code of the first check that fails.
inline QuorbelResult CheckProbabilities(int32_t count, const double* pi, int32_t n) {
  if (count < 1 || pi == nullptr || !std::all_of(pi, pi + count, [](double p) { return p >= 0.0 && p <= 1.0; }))
    return QUORBEL_SAMPLING_E_UNITS;
  const double total = std::accumulate(pi, pi + count, 0.0);
  if (n < 1 || n > count || std::fabs(total - static_cast<double>(n)) > 1e-6 * static_cast<double>(n))
    return QUORBEL_SAMPLING_E_COUNT;
  return QUORBEL_OK;
}

}  // namespace quorbel::sampling

#endif
