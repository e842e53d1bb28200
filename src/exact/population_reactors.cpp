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
  below_.assign(mass_.size(), 0.0);
  above_.assign(mass_.size(), 0.0);
  for (size_t i = 1; i < mass_.size(); ++i) below_[i] = below_[i - 1] + mass_[i - 1];
  for (size_t i = mass_.size() - 1; i > 0; --i) above_[i - 1] = above_[i] + mass_[i];
}

// The sweep starts where the tail turns, r = c N / n (within the window of
// r), from the tail and the point mass taken there, and goes up and down
// with the ratios of P(Hyp(N - 1, r, n - 1) = c - 1):
//   up   h(r + 1) / h(r) = (r + 1)(N - r - n + k) / ((r + 1 - k)(N - 1 - r)),
//   down h(r - 1) / h(r) = (r - k)(N - r) / (r (N - r - n + k + 1)),  k = c - 1.
PopulationReactors::Sweep PopulationReactors::Start(int64_t sample, int64_t positiveAt, Side* side,
                                                    double* total) const {
  const int64_t N = population_, n = sample, k = positiveAt - 1;
  const Sweep s{static_cast<double>(N), static_cast<double>(n), static_cast<double>(k),
                static_cast<double>(n) / static_cast<double>(N)};
  // The ratios carry the point mass only from where it is not 0: r0 is
  // kept within its support, k .. k + N - n, where the window meets it
  // (with n = N it is k alone). Where it does not, the mass is 0 across the
  // window and the tail the same at every r.
  const double turn = static_cast<double>(positiveAt) * s.N / s.n;
  int64_t lo = first_, hi = Last();
  if (std::max(lo, k) <= std::min(hi, k + N - n)) {
    lo = std::max(lo, k);
    hi = std::min(hi, k + N - n);
  }
  const int64_t r0 = std::clamp(static_cast<int64_t>(std::min(turn, static_cast<double>(hi))), lo, hi);
  *side = Side{r0, HypergeometricUpperTail(N, r0, n, positiveAt), HypergeometricPoint(N - 1, r0, n - 1, k)};
  *total = MassAt(r0) * side->tail;
  return s;
}

// Moves the upper side up to r = until, adding each r's mass times its tail.
void PopulationReactors::StepUp(const Sweep& s, Side* up, int64_t until, double* total) const {
  for (int64_t r = up->r; r < until; ++r) {
    up->tail += s.share * up->point;
    const double R = static_cast<double>(r), denominator = (R + 1.0 - s.k) * (s.N - 1.0 - R);
    up->point = denominator > 0.0 ? up->point * ((R + 1.0) * (s.N - R - s.n + s.k) / denominator) : 0.0;
    *total += MassAt(r + 1) * std::clamp(up->tail, 0.0, 1.0);
  }
  up->r = std::max(up->r, until);
}

// Moves the lower side down to r = until, the same way.
void PopulationReactors::StepDown(const Sweep& s, Side* down, int64_t until, double* total) const {
  for (int64_t r = down->r; r > until; --r) {
    const double R = static_cast<double>(r), denominator = R * (s.N - R - s.n + s.k + 1.0);
    down->point = denominator > 0.0 && R > s.k ? down->point * ((R - s.k) * (s.N - R) / denominator) : 0.0;
    down->tail -= s.share * down->point;
    *total += MassAt(r - 1) * std::clamp(down->tail, 0.0, 1.0);
  }
  down->r = std::min(down->r, until);
}

double PopulationReactors::Sensitivity(int64_t sample, int64_t positiveAt) const {
  if (positiveAt <= 0) return 1.0;
  if (positiveAt > sample) return 0.0;
  Side up{}, down{};
  double total = 0.0;
  const Sweep s = Start(sample, positiveAt, &up, &total);
  down = up;
  StepUp(s, &up, Last(), &total);
  StepDown(s, &down, first_, &total);
  return std::min(total, 1.0);
}

bool PopulationReactors::Settles(int64_t sample, int64_t positiveAt, double threshold, double margin,
                                 bool* reaches) const {
  if (positiveAt <= 0 || positiveAt > sample) {
    *reaches = (positiveAt <= 0 ? 1.0 : 0.0) >= threshold;
    return true;
  }
  Side up{}, down{};
  double total = 0.0;
  const Sweep s = Start(sample, positiveAt, &up, &total);
  down = up;
  for (;;) {
    const double above = above_[static_cast<size_t>(up.r - first_)], below = below_[static_cast<size_t>(down.r - first_)];
    const double lower = total + std::clamp(up.tail, 0.0, 1.0) * above;
    const double upper = total + above + std::clamp(down.tail, 0.0, 1.0) * below;
    if (upper < threshold - margin || lower > threshold + margin) {
      *reaches = lower > threshold + margin;
      return true;
    }
    if (up.r == Last() && down.r == first_) return false;
    // The side whose masses leave the wider gap between the bounds moves.
    const double gapAbove = (1.0 - std::clamp(up.tail, 0.0, 1.0)) * above;
    const double gapBelow = std::clamp(down.tail, 0.0, 1.0) * below;
    if (down.r == first_ || (up.r < Last() && gapAbove >= gapBelow)) StepUp(s, &up, std::min(up.r + kStride, Last()), &total);
    else StepDown(s, &down, std::max(down.r - kStride, first_), &total);
  }
}

double PopulationReactors::Cost(int64_t sample) const {
  const double n = static_cast<double>(sample), N = static_cast<double>(population_);
  const double r = static_cast<double>(first_) + static_cast<double>(mass_.size()) / 2.0, p = r / N;
  return static_cast<double>(mass_.size()) + 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
}

// Each count of diseased units starts its healthy units' binomial tail
// afresh (an incomplete beta function), which costs about as much as this
// many of its terms.
constexpr double kBinomialTailTerms = 250.0;

double DiseasedUnitsCost(int64_t population, int64_t diseased, int64_t sample, double se) {
  const double n = static_cast<double>(sample), N = static_cast<double>(population);
  const double p = static_cast<double>(diseased) / N;
  const double units = 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
  const double reactors = 20.0 * std::sqrt(n * p * se * (1.0 - se)) + 1.0;
  return units * (reactors + kBinomialTailTerms);
}

double ReactorsBuildCost(int64_t population, int64_t diseased, double se, double q) {
  const double D = static_cast<double>(diseased), healthy = static_cast<double>(population - diseased);
  return (20.0 * std::sqrt(D * se * (1.0 - se)) + 1.0) * (20.0 * std::sqrt(healthy * q * (1.0 - q)) + 1.0);
}

}  // namespace quorbel::exact
