// The sums of the exact layer. See sums.h.
#include "exact/sums.h"

#include <algorithm>
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

double ReactorsAtLeast(int64_t y, double se, int64_t m, double q, int64_t c) {
  if (c <= 0) return 1.0;
  if (y == 0 || se >= 1.0) return BinomialUpperTail(m, q, c - (se >= 1.0 ? y : 0));
  if (m == 0 || q <= 0.0) return BinomialUpperTail(y, se, c);
  // Sum over the true reactors x of P(X = x) P(Z >= c - x), the tail of Z
  // moved by one term as x moves by one.
  double total = 0.0;
  ForBinomial(y, se, [&](int64_t x, double weight) { total += weight * BinomialUpperTail(m, q, c - x); });
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
