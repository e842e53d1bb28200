// QuorbelSampling_Allocate: a total split over strata by largest
// remainders. See quorbel_sampling.h.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"

namespace {

// Splits `total` over the open strata in proportion to their weights.
void Split(int32_t strata, const double* weights, const std::vector<char>& open, int32_t total, int32_t* counts) {
  double sum = 0.0;
  for (int32_t h = 0; h < strata; ++h)
    if (open[static_cast<size_t>(h)]) sum += weights[h];
  std::vector<std::pair<double, int32_t>> remainders;
  int32_t given = 0;
  for (int32_t h = 0; h < strata; ++h) {
    if (!open[static_cast<size_t>(h)]) continue;
    const double exact = sum > 0.0 ? static_cast<double>(total) * weights[h] / sum : 0.0;
    counts[h] = static_cast<int32_t>(std::floor(exact));
    given += counts[h];
    remainders.emplace_back(exact - std::floor(exact), h);
  }
  std::stable_sort(remainders.begin(), remainders.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t k = 0; given < total && k < remainders.size(); ++k, ++given) ++counts[remainders[k].second];
}

}  // namespace

extern "C" QuorbelResult QuorbelSampling_Allocate(int32_t strata, const double* sizes, const double* weights,
                                                  int32_t n, int32_t* counts) {
  if (strata < 1 || sizes == nullptr || weights == nullptr) return QUORBEL_SAMPLING_E_UNITS;
  double units = 0.0, weight = 0.0;
  for (int32_t h = 0; h < strata; ++h) {
    if (!(sizes[h] >= 0.0 && sizes[h] <= INT32_MAX && sizes[h] == std::floor(sizes[h])) ||
        !(std::isfinite(weights[h]) && weights[h] >= 0.0))
      return QUORBEL_SAMPLING_E_UNITS;
    units += sizes[h];
    if (sizes[h] > 0.0) weight += weights[h];
  }
  if (!(weight > 0.0)) return QUORBEL_SAMPLING_E_UNITS;
  if (n < 1 || static_cast<double>(n) > units) return QUORBEL_SAMPLING_E_COUNT;
  return quorbel::RunGuarded([&] {
    // Strata that would be given more than they hold are filled and closed,
    // and the rest is split again over the others.
    std::vector<char> open(static_cast<size_t>(strata));
    for (int32_t h = 0; h < strata; ++h) open[static_cast<size_t>(h)] = sizes[h] > 0.0 && weights[h] > 0.0;
    int32_t left = n;
    for (int32_t h = 0; h < strata; ++h)
      if (!open[static_cast<size_t>(h)]) counts[h] = 0;
    for (;;) {
      Split(strata, weights, open, left, counts);
      bool over = false;
      for (int32_t h = 0; h < strata; ++h)
        if (open[static_cast<size_t>(h)] && counts[h] > static_cast<int32_t>(sizes[h])) {
          counts[h] = static_cast<int32_t>(sizes[h]);
          left -= counts[h];
          open[static_cast<size_t>(h)] = 0;
          over = true;
        }
      if (!over) break;
      // Strata of zero weight take what no other stratum can hold.
      if (std::none_of(open.begin(), open.end(), [](char o) { return o != 0; })) {
        for (int32_t h = 0; h < strata && left > 0; ++h) {
          const int32_t room = static_cast<int32_t>(sizes[h]) - counts[h];
          const int32_t more = std::min(room, left);
          counts[h] += more;
          left -= more;
        }
        break;
      }
    }
    return QuorbelResult{QUORBEL_OK};
  });
}
