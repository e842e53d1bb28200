// QuorbelSampling_SimpleRandom: n of count units without replacement. See
// quorbel_sampling.h.
#include <cmath>
#include <numeric>
#include <vector>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"
#include "sampling/generator.h"

extern "C" QuorbelResult QuorbelSampling_SimpleRandom(int32_t count, int32_t n, uint64_t seed, int32_t* chosen) {
  if (count < 1 || chosen == nullptr) return QUORBEL_SAMPLING_E_UNITS;
  if (n < 1 || n > count) return QUORBEL_SAMPLING_E_COUNT;
  return quorbel::RunGuarded([&] {
    quorbel::sampling::Generator g(seed);
    std::vector<int32_t> units(static_cast<size_t>(count));
    std::iota(units.begin(), units.end(), 0);
    for (int32_t k = 0; k < n; ++k) {
      // A uniform index among the count - k units not yet taken.
      const int32_t left = count - k;
      const int32_t pick = k + static_cast<int32_t>(std::floor(g.Uniform() * static_cast<double>(left)));
      std::swap(units[static_cast<size_t>(k)], units[static_cast<size_t>(pick)]);
    }
    for (int32_t i = 0; i < count; ++i) chosen[i] = 0;
    for (int32_t k = 0; k < n; ++k) chosen[units[static_cast<size_t>(k)]] = 1;
    return QuorbelResult{QUORBEL_OK};
  });
}
