// The sums of the exact layer. See sums.h.
#include "exact/sums.h"

#include <algorithm>
#include "exact/boost_config.h"
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/distributions/normal.hpp>
#include <cmath>

namespace quorbel::exact {

int64_t DiseasedUnits(double prevalence, int64_t population) {
  const double product = prevalence * static_cast<double>(population);
  const double nearest = std::round(product);
  const double units = std::fabs(product - nearest) <= 1e-9 ? nearest : std::ceil(product);
  return std::clamp<int64_t>(static_cast<int64_t>(units), 1, population);
}

double BinomialUpperTail(int64_t n, double p, int64_t k) {
  if (k <= 0) return 1.0;
  if (k > n || p <= 0.0) return 0.0;
  if (p >= 1.0) return 1.0;
  const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p);
  return boost::math::cdf(boost::math::complement(dist, static_cast<double>(k - 1)));
}

double BinomialCdf(int64_t n, double p, int64_t k) {
  if (k < 0) return 0.0;
  if (k >= n || p <= 0.0) return 1.0;
  if (p >= 1.0) return 0.0;
  const boost::math::binomial_distribution<double> dist(static_cast<double>(n), p);
  return boost::math::cdf(dist, static_cast<double>(k));
}

namespace {

// P(Bin(m, q) >= k) and P(Bin(m, q) = k), moved one k at a time by exact
// ratios; taken afresh from the distribution at the ends of the range and
// where the mass has grown too small to carry the ratios (0 < q < 1).
class UpperTail {
 public:
  UpperTail(int64_t m, double q, int64_t k) : m_(m), q_(q), odds_(q / (1 - q)) { Reset(k); }
  double tail() const { return tail_; }
  void Down() {  // k to k - 1
    if (k_ > m_ || k_ <= 1 || mass_ < kSmallest) return Reset(k_ - 1);
    mass_ *= static_cast<double>(k_) / static_cast<double>(m_ - k_ + 1) / odds_;
    tail_ += mass_;
    --k_;
  }
  void Up() {  // k to k + 1
    if (k_ < 0 || k_ >= m_ || mass_ < kSmallest) return Reset(k_ + 1);
    tail_ -= mass_;
    mass_ *= static_cast<double>(m_ - k_) / static_cast<double>(k_ + 1) * odds_;
    ++k_;
  }

 private:
  static constexpr double kSmallest = 1e-250;
  void Reset(int64_t k) {
    k_ = k;
    tail_ = BinomialUpperTail(m_, q_, k);
    mass_ = k < 0 || k > m_ ? 0.0
                            : boost::math::pdf(boost::math::binomial_distribution<double>(static_cast<double>(m_), q_),
                                               static_cast<double>(k));
  }
  int64_t m_;
  double q_, odds_;
  int64_t k_ = 0;
  double tail_ = 0, mass_ = 0;
};

}  // namespace

double ReactorsAtLeast(int64_t y, double se, int64_t m, double q, int64_t c) {
  if (c <= 0) return 1.0;
  if (y == 0 || se >= 1.0) return BinomialUpperTail(m, q, c - (se >= 1.0 ? y : 0));
  if (m == 0 || q <= 0.0) return BinomialUpperTail(y, se, c);
  if (q >= 1.0) return BinomialUpperTail(y, se, c - m);
  // Sum over the true reactors x of P(X = x) P(Z >= c - x). The walk visits
  // the mode of X, then x upward, then x downward from the mode; the tail of
  // Z follows x one step at a time in each direction.
  double total = 0.0;
  int64_t previous = -1;
  UpperTail upward(m, q, 0), downward(m, q, 0);
  ForBinomial(y, se, [&](int64_t x, double weight) {
    if (previous < 0) {
      upward = downward = UpperTail(m, q, c - x);
      total += weight * upward.tail();
    } else if (x > previous) {
      upward.Down();
      total += weight * std::clamp(upward.tail(), 0.0, 1.0);
    } else {
      downward.Up();
      total += weight * std::clamp(downward.tail(), 0.0, 1.0);
    }
    previous = x;
  });
  return std::min(total, 1.0);
}

double PopulationSensitivity(int64_t population, int64_t sample, double prevalence, double se, double sp,
                             int64_t positiveAt) {
  const double q = 1.0 - sp;
  if (population == 0) return BinomialUpperTail(sample, prevalence * se + (1.0 - prevalence) * q, positiveAt);
  const int64_t diseased = DiseasedUnits(prevalence, population);
  double total = 0.0;
  ForHypergeometric(population, diseased, sample, [&](int64_t y, double weight) {
    total += weight * ReactorsAtLeast(y, se, sample - y, q, positiveAt);
  });
  return std::min(total, 1.0);
}

double PopulationSpecificity(int64_t sample, double sp, int64_t positiveAt) {
  return BinomialCdf(sample, 1.0 - sp, positiveAt - 1);
}

double AnyFound(int64_t population, int64_t diseased, int64_t sample, double p) {
  double missed = 0.0;
  ForHypergeometric(population, diseased, sample,
                    [&](int64_t y, double weight) { missed += weight * std::pow(1.0 - p, static_cast<double>(y)); });
  return std::clamp(1.0 - missed, 0.0, 1.0);
}

double NormalQuantile(double level) {
  const boost::math::normal_distribution<double> standard;
  return boost::math::quantile(standard, 1.0 - (1.0 - level / 100.0) / 2.0);
}

}  // namespace quorbel::exact
