// QuorbelSampling_Systematic: Madow's systematic selection of n distinct
// units with inclusion probabilities pi. See quorbel_sampling.h.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"
#include "sampling/checks.h"
#include "sampling/generator.h"

extern "C" QuorbelResult QuorbelSampling_Systematic(int32_t count, const double* pi, int32_t n, uint64_t seed,
                                                    int32_t* chosen) {
  if (const QuorbelResult fault = quorbel::sampling::CheckProbabilities(count, pi, n)) return fault;
  return quorbel::RunGuarded([&] {
    quorbel::sampling::Generator g(seed);
    const double start = g.Uniform();
    // The next point to fall is start + k; a unit whose stretch of the line,
    // (before, before + pi], holds it is taken. Its pi below 1 holds one
    // point at most.
    double before = 0.0, point = start;
    int32_t taken = 0, last = -1;
    for (int32_t i = 0; i < count; ++i) {
      chosen[i] = 0;
      if (pi[i] >= 1.0) {
        chosen[i] = 1;
        ++taken;
        continue;
      }
      const double after = before + pi[i];
      if (pi[i] > 0.0) last = i;
      if (point < after && point >= before) {
        chosen[i] = 1;
        ++taken;
        point += 1.0;
      }
      before = after;
    }
    // The running total can fall short of n by a rounding; the last point
    // then belongs to the last stretch.
    if (taken < n && last >= 0 && !chosen[last]) chosen[last] = 1;
    return QuorbelResult{QUORBEL_OK};
  });
}
