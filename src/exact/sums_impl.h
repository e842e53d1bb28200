// The templates of sums.h.
#ifndef QUORBEL_EXACT_SUMS_IMPL_H
#define QUORBEL_EXACT_SUMS_IMPL_H

#include <algorithm>
#include "exact/boost_config.h"
#include <boost/math/distributions/binomial.hpp>

namespace quorbel::exact {

// hyper(y; N, D, n) as dbinom(y; D, p) dbinom(n - y; N - D, p) / dbinom(n; N, p)
// with p = n / N, an identity whose three binomial masses lie near their
// modes (the approach of R's dhyper); Boost's own hypergeometric density is
// exact too but slow for N between 10^2 and 10^5.
inline double HypergeometricMass(int64_t population, int64_t diseased, int64_t sample, int64_t y) {
  using boost::math::binomial_distribution;
  const double p = static_cast<double>(sample) / static_cast<double>(population);
  auto mass = [p](int64_t trials, int64_t k) {
    return boost::math::pdf(binomial_distribution<double>(static_cast<double>(trials), p), static_cast<double>(k));
  };
  return mass(diseased, y) * mass(population - diseased, sample - y) / mass(population, sample);
}

// Hyp(N, D, n): the counts it can take, lo .. hi, its mode, and the exact
// ratios of neighbouring masses, up(y) = w(y + 1) / w(y) and
// down(y) = w(y - 1) / w(y).
struct Hypergeometric {
  Hypergeometric(int64_t population, int64_t diseased, int64_t sample)
      : lo(std::max<int64_t>(0, sample - (population - diseased))), hi(std::min(sample, diseased)),
        N(static_cast<double>(population)), D(static_cast<double>(diseased)), n(static_cast<double>(sample)) {}
  int64_t Mode() const { return std::clamp(static_cast<int64_t>((n + 1) * (D + 1) / (N + 2)), lo, hi); }
  double Up(int64_t y) const {
    const double k = static_cast<double>(y);
    return (D - k) * (n - k) / ((k + 1) * (N - D - n + k + 1));
  }
  double Down(int64_t y) const {
    const double k = static_cast<double>(y);
    return k * (N - D - n + k) / ((D - k + 1) * (n - k + 1));
  }
  int64_t lo, hi;
  double N, D, n;
};

template <class Visit>
void ForHypergeometric(int64_t population, int64_t diseased, int64_t sample, Visit visit) {
  const Hypergeometric h(population, diseased, sample);
  if (h.lo == h.hi) {
    visit(h.lo, 1.0);
    return;
  }
  const int64_t mode = h.Mode();
  WalkFromMode(
      h.lo, h.hi, mode, HypergeometricMass(population, diseased, sample, mode), [&](int64_t y) { return h.Up(y); },
      [&](int64_t y) { return h.Down(y); }, visit);
}

template <class Visit>
void ForBinomial(int64_t n, double p, Visit visit) {
  const int64_t mode = std::min<int64_t>(n, static_cast<int64_t>((static_cast<double>(n) + 1) * p));
  const double odds = p / (1 - p);
  const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p);
  WalkFromMode(
      0, n, mode, boost::math::pdf(dist, static_cast<double>(mode)),
      [&](int64_t x) { return static_cast<double>(n - x) / static_cast<double>(x + 1) * odds; },
      [&](int64_t x) { return static_cast<double>(x) / static_cast<double>(n - x + 1) / odds; }, visit);
}

}  // namespace quorbel::exact

#endif
