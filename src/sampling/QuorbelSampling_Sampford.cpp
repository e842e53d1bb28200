// QuorbelSampling_Sampford: n distinct units with exactly the inclusion
// probabilities asked for. See quorbel_sampling.h.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"
#include "sampling/checks.h"
#include "sampling/generator.h"

using quorbel::sampling::Generator;

namespace {

constexpr int kMostRejections = 100000;

// Draws an index with probability proportional to the steps of a running
// total (the last entry is the whole).
int32_t Draw(const std::vector<double>& running, Generator& g) {
  const double target = g.Uniform() * running.back();
  const auto at = std::upper_bound(running.begin(), running.end(), target);
  return static_cast<int32_t>(std::min<std::ptrdiff_t>(at - running.begin(), running.size() - 1));
}

std::vector<double> Running(const std::vector<double>& weights) {
  std::vector<double> running(weights.size());
  std::partial_sum(weights.begin(), weights.end(), running.begin());
  return running;
}

// Sampford's rejective draw of m distinct units among `units` (their pi in
// `pi`); false when it rejected kMostRejections times.
bool SampfordDraw(const std::vector<int32_t>& units, const std::vector<double>& pi, int32_t m, Generator& g,
                  int32_t* chosen) {
  std::vector<double> first(units.size()), odds(units.size());
  for (size_t k = 0; k < units.size(); ++k) {
    first[k] = pi[k];
    odds[k] = pi[k] / (1.0 - pi[k]);
  }
  const std::vector<double> byFirst = Running(first), byOdds = Running(odds);
  std::vector<char> taken(units.size(), 0);
  std::vector<int32_t> draws;
  for (int rejections = 0; rejections < kMostRejections; ++rejections) {
    for (int32_t k : draws) taken[static_cast<size_t>(k)] = 0;
    draws.assign(1, Draw(byFirst, g));
    taken[static_cast<size_t>(draws[0])] = 1;
    bool distinct = true;
    while (distinct && static_cast<int32_t>(draws.size()) < m) {
      const int32_t k = Draw(byOdds, g);
      distinct = !taken[static_cast<size_t>(k)];
      taken[static_cast<size_t>(k)] = 1;
      draws.push_back(k);
    }
    if (!distinct) continue;
    for (int32_t k : draws) chosen[units[static_cast<size_t>(k)]] = 1;
    return true;
  }
  return false;
}

// Pareto pi-ps: the m units with the smallest U (1 - pi) / ((1 - U) pi).
void ParetoDraw(const std::vector<int32_t>& units, const std::vector<double>& pi, int32_t m, Generator& g,
                int32_t* chosen) {
  std::vector<std::pair<double, int32_t>> ranks;
  for (size_t k = 0; k < units.size(); ++k) {
    const double u = g.Uniform();
    ranks.emplace_back(u * (1.0 - pi[k]) / ((1.0 - u) * pi[k]), units[k]);
  }
  std::partial_sort(ranks.begin(), ranks.begin() + m, ranks.end());
  for (int32_t k = 0; k < m; ++k) chosen[ranks[static_cast<size_t>(k)].second] = 1;
}

}  // namespace

extern "C" QuorbelResult QuorbelSampling_Sampford(int32_t count, const double* pi, int32_t n, uint64_t seed,
                                                  int32_t* chosen, int32_t* pareto) {
  if (const QuorbelResult fault = quorbel::sampling::CheckProbabilities(count, pi, n)) return fault;
  return quorbel::RunGuarded([&] {
    std::fill(chosen, chosen + count, 0);
    std::vector<int32_t> units;
    std::vector<double> rest;
    int32_t certain = 0;
    for (int32_t i = 0; i < count; ++i) {
      if (pi[i] >= 1.0) {
        chosen[i] = 1;
        ++certain;
      } else if (pi[i] > 0.0) {
        units.push_back(i);
        rest.push_back(pi[i]);
      }
    }
    const int32_t m = std::min<int32_t>(n - certain, static_cast<int32_t>(units.size()));
    Generator g(seed);
    *pareto = 0;
    if (m > 0 && !SampfordDraw(units, rest, m, g, chosen)) {
      *pareto = 1;
      ParetoDraw(units, rest, m, g, chosen);
    }
    return QuorbelResult{QUORBEL_OK};
  });
}
