// See population_reactors.h.
#include "exact/population_reactors.h"

#include <algorithm>
#include <cmath>

#include "exact/sums.h"

namespace quorbel::exact {

namespace {

// Bin(n, p)'s non-negligible masses, from the count `first` on.
struct Window {
  int64_t first = 0;
  std::vector<double> mass;
};

Window BinomialWindow(int64_t n, double p) {
  if (n == 0 || p <= 0.0) return {0, {1.0}};
  if (p >= 1.0) return {n, {1.0}};
  int64_t lo = n, hi = 0;
  std::vector<std::pair<int64_t, double>> visited;
  ForBinomial(n, p, [&](int64_t x, double weight) {
    visited.emplace_back(x, weight);
    lo = std::min(lo, x);
    hi = std::max(hi, x);
  });
  Window window{lo, std::vector<double>(static_cast<size_t>(hi - lo + 1), 0.0)};
  for (const auto& [x, weight] : visited) window.mass[static_cast<size_t>(x - lo)] = weight;
  return window;
}

// P(Hyp(N, r, n) >= c): the masses of the side of c away from the mode,
// walked from c outward by exact ratios until they are negligible (the
// side toward the mode is one less the other).
double HypergeometricUpperTail(int64_t population, int64_t reactors, int64_t sample, int64_t c) {
  const Hypergeometric h(population, reactors, sample);
  if (c <= h.lo) return 1.0;
  if (c > h.hi) return 0.0;
  const bool above = c > h.Mode();
  int64_t y = above ? c : c - 1;
  double mass = HypergeometricMass(population, reactors, sample, y), sum = 0.0;
  const double first = mass;
  while (mass > kNegligible * first) {
    sum += mass;
    if (above ? y == h.hi : y == h.lo) break;
    mass *= above ? h.Up(y) : h.Down(y);
    y += above ? 1 : -1;
  }
  return std::clamp(above ? sum : 1.0 - sum, 0.0, 1.0);
}

// P(Hyp(N, r, n) = k), 0 outside its range.
double HypergeometricPoint(int64_t population, int64_t reactors, int64_t sample, int64_t k) {
  const Hypergeometric h(population, reactors, sample);
  if (k < h.lo || k > h.hi) return 0.0;
  if (h.lo == h.hi) return 1.0;
  return HypergeometricMass(population, reactors, sample, k);
}

}  // namespace

PopulationReactors::PopulationReactors(int64_t population, int64_t diseased, double se, double q)
    : population_(population) {
  const Window sick = BinomialWindow(diseased, se), healthy = BinomialWindow(population - diseased, q);
  first_ = sick.first + healthy.first;
  mass_.assign(sick.mass.size() + healthy.mass.size() - 1, 0.0);
  // The convolution, one diseased count at a time: each row adds the
  // healthy units' masses, shifted, to the total's.
  for (size_t a = 0; a < sick.mass.size(); ++a) {
    const double w = sick.mass[a];
    double* out = mass_.data() + a;
    for (size_t m = 0; m < healthy.mass.size(); ++m) out[m] += w * healthy.mass[m];
  }
  size_t lo = 0, hi = mass_.size() - 1;
  double below = 0.0, above = 0.0;
  while (lo < hi && below + mass_[lo] <= kCoarseTail) below += mass_[lo++];
  while (hi > lo && above + mass_[hi] <= kCoarseTail) above += mass_[hi--];
  middleLo_ = first_ + static_cast<int64_t>(lo);
  middleHi_ = first_ + static_cast<int64_t>(hi);
  belowMiddle_ = below;
  aboveMiddle_ = above;
}

double PopulationReactors::Sensitivity(int64_t sample, int64_t positiveAt) const {
  if (positiveAt <= 0) return 1.0;
  if (positiveAt > sample) return 0.0;
  double tailLo = 0.0, tailHi = 0.0;
  const int64_t last = first_ + static_cast<int64_t>(mass_.size()) - 1;
  return std::min(Sweep(sample, positiveAt, first_, last, &tailLo, &tailHi), 1.0);
}

void PopulationReactors::Bounds(int64_t sample, int64_t positiveAt, double* lower, double* upper) const {
  if (positiveAt <= 0 || positiveAt > sample) {
    *lower = *upper = positiveAt <= 0 ? 1.0 : 0.0;
    return;
  }
  double tailLo = 0.0, tailHi = 0.0;
  const double middle = Sweep(sample, positiveAt, middleLo_, middleHi_, &tailLo, &tailHi);
  *lower = std::min(middle + tailHi * aboveMiddle_, 1.0);
  *upper = std::min(middle + aboveMiddle_ + tailLo * belowMiddle_, 1.0);
}

// The sweep starts where the tail turns, r = c N / n (within the window of
// r), from the tail and the point mass taken there, and goes up and down
// with the ratios of P(Hyp(N - 1, r, n - 1) = c - 1):
//   up   h(r + 1) / h(r) = (r + 1)(N - r - n + k) / ((r + 1 - k)(N - 1 - r)),
//   down h(r - 1) / h(r) = (r - k)(N - r) / (r (N - r - n + k + 1)),  k = c - 1.
double PopulationReactors::Sweep(int64_t sample, int64_t positiveAt, int64_t lo, int64_t hi, double* tailLo,
                                 double* tailHi) const {
  const int64_t N = population_, n = sample, k = positiveAt - 1;
  const double dN = static_cast<double>(N), dn = static_cast<double>(n), dk = static_cast<double>(k);
  const double share = dn / dN;
  const double turn = static_cast<double>(positiveAt) * dN / dn;
  const int64_t r0 = std::clamp(static_cast<int64_t>(std::min(turn, static_cast<double>(hi))), lo, hi);
  const double tail0 = HypergeometricUpperTail(N, r0, n, positiveAt);
  const double point0 = HypergeometricPoint(N - 1, r0, n - 1, k);
  auto massAt = [this](int64_t r) { return mass_[static_cast<size_t>(r - first_)]; };

  double total = massAt(r0) * tail0;
  double tail = tail0, point = point0;
  for (int64_t r = r0; r < hi; ++r) {
    tail += share * point;
    const double R = static_cast<double>(r), denominator = (R + 1.0 - dk) * (dN - 1.0 - R);
    point = denominator > 0.0 ? point * ((R + 1.0) * (dN - R - dn + dk) / denominator) : 0.0;
    total += massAt(r + 1) * std::clamp(tail, 0.0, 1.0);
  }
  *tailHi = std::clamp(tail, 0.0, 1.0);
  tail = tail0;
  point = point0;
  for (int64_t r = r0; r > lo; --r) {
    const double R = static_cast<double>(r), denominator = R * (dN - R - dn + dk + 1.0);
    point = denominator > 0.0 && R > dk ? point * ((R - dk) * (dN - R) / denominator) : 0.0;
    tail -= share * point;
    total += massAt(r - 1) * std::clamp(tail, 0.0, 1.0);
  }
  *tailLo = std::clamp(tail, 0.0, 1.0);
  return total;
}

double PopulationReactors::Cost(int64_t sample) const {
  const double n = static_cast<double>(sample), N = static_cast<double>(population_);
  const double r = static_cast<double>(first_) + static_cast<double>(mass_.size()) / 2.0, p = r / N;
  return static_cast<double>(mass_.size()) + 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
}

double DiseasedUnitsCost(int64_t population, int64_t diseased, int64_t sample, double se) {
  const double n = static_cast<double>(sample), N = static_cast<double>(population);
  const double p = static_cast<double>(diseased) / N;
  const double units = 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
  const double reactors = 20.0 * std::sqrt(n * p * se * (1.0 - se)) + 1.0;
  return units * reactors;
}

double ReactorsBuildCost(int64_t population, int64_t diseased, double se, double q) {
  const double D = static_cast<double>(diseased), healthy = static_cast<double>(population - diseased);
  return (20.0 * std::sqrt(D * se * (1.0 - se)) + 1.0) * (20.0 * std::sqrt(healthy * q * (1.0 - q)) + 1.0);
}

}  // namespace quorbel::exact
