// See nearby_binomial.h.
#include "exact/nearby_binomial.h"

#include <cstdlib>

#include "exact/boost_config.h"
#include <boost/math/distributions/binomial.hpp>
#include "exact/sums.h"

namespace quorbel::exact {

namespace {

// A value is carried only this many steps from a fresh one, and no more
// than kCarryAtMost at a time (a fresh value costs about as much), so that
// rounding stays far below 1e-12.
constexpr int64_t kCarriedAtMost = 8192, kCarryAtMost = 1536;
// A mass this small has left the support or is about to underflow.
constexpr double kSmallestCarried = 1e-280;

// One step of (n, k), with c = P(Bin(n, p) <= k) and m = P(Bin(n, p) = k):
//   k + 1: m becomes m (n - k) / (k + 1) p / (1 - p), and c gains it;
//   n + 1: c loses p m (the next trial moves k to k + 1), and
//          m becomes m (1 - p) (n + 1) / (n + 1 - k);
// and each step back undoes its step forward.
struct Carried {
  double p, n, k, cdf, mass;
  double odds = p / (1.0 - p), inverseOdds = (1.0 - p) / p;

  bool Moved(double factor) {
    mass *= factor;
    return factor > 0.0 && mass > kSmallestCarried;
  }
  bool CountUp() {
    if (!Moved((n - k) / (k + 1.0) * odds)) return false;
    k += 1.0;
    cdf += mass;
    return true;
  }
  bool CountDown() {
    cdf -= mass;
    if (!Moved(k / (n - k + 1.0) * inverseOdds)) return false;
    k -= 1.0;
    return true;
  }
  bool TrialsUp() {
    cdf -= p * mass;
    if (!Moved((1.0 - p) * (n + 1.0) / (n + 1.0 - k))) return false;
    n += 1.0;
    return true;
  }
  // Trials go two at a time where they can, over one division: with
  // a = n + 1 - k, the first moves m by f = (1 - p)(n + 1) / a, and both by
  // f (1 - p)(n + 2) / (a + 1); c loses p m (1 + f).
  bool Trials(int64_t steps) {
    for (; steps >= 2; steps -= 2) {
      const double a = n + 1.0 - k;
      if (!(a > 0.0)) return false;
      const double inverse = 1.0 / (a * (a + 1.0)), first = (1.0 - p) * (n + 1.0) * (a + 1.0) * inverse;
      cdf -= p * mass * (1.0 + first);
      mass *= ((1.0 - p) * (n + 1.0)) * ((1.0 - p) * (n + 2.0)) * inverse;
      n += 2.0;
    }
    if (!(mass > kSmallestCarried)) return false;
    for (; steps > 0; --steps)
      if (!TrialsUp()) return false;
    for (; steps < 0; ++steps)
      if (!TrialsDown()) return false;
    return true;
  }
  bool TrialsDown() {
    if (!(n - 1.0 > k) || !Moved((n - k) / (n * (1.0 - p)))) return false;
    n -= 1.0;
    cdf += p * mass;
    return true;
  }
};

}  // namespace

double NearbyBinomialCdf::At(int64_t n, int64_t k, bool* fresh) {
  // Only values strictly between 0 and 1 are carried or kept.
  const bool inside = k >= 0 && k < n && p_ > 0.0 && p_ < 1.0;
  *fresh = !(inside && Carry(n, k));
  if (!*fresh) return cdf_;
  const double cdf = BinomialCdf(n, p_, k);
  if (inside) {
    const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p_);
    mass_ = boost::math::pdf(dist, static_cast<double>(k));
    n_ = n;
    k_ = k;
    cdf_ = cdf;
    carried_ = mass_ > kSmallestCarried ? 0 : -1;
  }
  return cdf;
}

bool NearbyBinomialCdf::Carry(int64_t n, int64_t k) {
  if (carried_ < 0) return false;
  const int64_t trials = std::abs(n - n_), counts = std::abs(k - k_);
  if (trials + counts > kCarryAtMost || carried_ + trials + counts > kCarriedAtMost) return false;
  Carried c{p_, static_cast<double>(n_), static_cast<double>(k_), cdf_, mass_};
  const bool carried = StepInProportion(
      trials, counts, [&](int64_t steps) { return c.Trials(n > n_ ? steps : -steps); },
      [&] { return k > k_ ? c.CountUp() : c.CountDown(); });
  if (!carried) {
    carried_ = -1;
    return false;
  }
  carried_ += trials + counts;
  n_ = n;
  k_ = k;
  cdf_ = c.cdf;
  mass_ = c.mass;
  return true;
}

}  // namespace quorbel::exact
