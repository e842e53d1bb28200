// QuorbelSampling_WeightedRatio: the weighted ratio estimate of a selection
// and its linearised standard error. See quorbel_sampling.h.
#include <algorithm>
#include <cmath>

#include "exact/boost_config.h"
#include <boost/math/distributions/normal.hpp>

#include "library/exception_guard.h"
#include "quorbel_sampling.h"

namespace {

bool IsUnit(double pi, double y, double x) {
  return pi > 0.0 && pi <= 1.0 && std::isfinite(y) && std::isfinite(x) && y >= 0.0 && y <= x;
}

}  // namespace

extern "C" QuorbelResult QuorbelSampling_WeightedRatio(int32_t count, const double* pi, const double* y,
                                                       const double* x, double confidenceLevel,
                                                       QuorbelSamplingEstimate* result) {
  if (count < 0 || pi == nullptr || y == nullptr || x == nullptr) return QUORBEL_SAMPLING_E_UNITS;
  for (int32_t i = 0; i < count; ++i)
    if (!IsUnit(pi[i], y[i], x[i])) return QUORBEL_SAMPLING_E_UNITS;
  double wy = 0.0, wx = 0.0, plainX = 0.0;
  for (int32_t i = 0; i < count; ++i) {
    wy += y[i] / pi[i];
    wx += x[i] / pi[i];
    plainX += x[i];
  }
  if (count < 2 || !(wx > 0.0)) return QUORBEL_SAMPLING_E_FEW;
  if (!(confidenceLevel >= 50.0 && confidenceLevel <= 99.99)) return QUORBEL_SAMPLING_E_LEVEL;
  return quorbel::RunGuarded([&] {
    const double ratio = wy / wx, n = static_cast<double>(count);
    double mean = 0.0;
    for (int32_t i = 0; i < count; ++i) mean += (y[i] - ratio * x[i]) / wx / pi[i];
    mean /= n;
    double sum = 0.0;
    for (int32_t i = 0; i < count; ++i) {
      const double d = (y[i] - ratio * x[i]) / wx / pi[i] - mean;
      sum += d * d;
    }
    const double se = std::sqrt(n / (n - 1.0) * sum);
    const double z = boost::math::quantile(boost::math::normal_distribution<double>(),
                                           1.0 - (1.0 - confidenceLevel / 100.0) / 2.0);
    const double srs = ratio * (1.0 - ratio) / plainX;
    *result = QuorbelSamplingEstimate{ratio, se, srs > 0.0 ? se * se / srs : 0.0,
                                      std::clamp(ratio - z * se, 0.0, 1.0), std::clamp(ratio + z * se, 0.0, 1.0)};
    return QuorbelResult{QUORBEL_OK};
  });
}
