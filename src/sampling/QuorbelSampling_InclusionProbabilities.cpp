// QuorbelSampling_InclusionProbabilities: pi_i proportional to size, with
// certainty units set aside. See quorbel_sampling.h.
#include <algorithm>
#include <cmath>
#include <vector>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"

extern "C" QuorbelResult QuorbelSampling_InclusionProbabilities(int32_t count, const double* sizes, int32_t n,
                                                                double* pi, int32_t* certainty) {
  if (count < 1 || sizes == nullptr ||
      !std::all_of(sizes, sizes + count, [](double s) { return std::isfinite(s) && s >= 0.0; }))
    return QUORBEL_SAMPLING_E_UNITS;
  const int32_t positive = static_cast<int32_t>(std::count_if(sizes, sizes + count, [](double s) { return s > 0.0; }));
  if (n < 1 || n > positive) return QUORBEL_SAMPLING_E_COUNT;
  return quorbel::RunGuarded([&] {
    std::vector<double> p(sizes, sizes + count);
    std::vector<char> certain(static_cast<size_t>(count), 0);
    int32_t taken = 0, before = -1;
    // Each round spreads what is left of n over the units not yet certain;
    // those that reach 1 become certain, until a round adds none.
    while (taken != before) {
      before = taken;
      double rest = 0.0;
      for (int32_t i = 0; i < count; ++i)
        if (!certain[static_cast<size_t>(i)]) rest += sizes[i];
      for (int32_t i = 0; i < count; ++i) {
        if (certain[static_cast<size_t>(i)]) continue;
        p[static_cast<size_t>(i)] = static_cast<double>(n - before) * sizes[i] / rest;
        if (p[static_cast<size_t>(i)] >= 1.0) {
          certain[static_cast<size_t>(i)] = 1;
          ++taken;
        }
      }
    }
    for (int32_t i = 0; i < count; ++i) pi[i] = certain[static_cast<size_t>(i)] ? 1.0 : p[static_cast<size_t>(i)];
    *certainty = taken;
    return QuorbelResult{QUORBEL_OK};
  });
}
