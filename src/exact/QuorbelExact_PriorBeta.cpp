// QuorbelExact_PriorBeta: the Beta prior of a stated mode and limit. See
// quorbel_exact.h.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "exact/boost_config.h"
#include <boost/math/distributions/normal.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/tools/roots.hpp>

#include "exact/checks.h"

using namespace quorbel::exact;

namespace {

// Beyond this concentration the prior is a spike no statement asks for.
constexpr double kLargestConcentration = 1e15;

struct Statement {
  double mode, limit, level;
  bool atLeast;

  double A(double k) const { return 1.0 + k; }
  double B(double k) const { return 1.0 + k * (1.0 - mode) / mode; }
  // The probability the statement names, less the level asked for: rising
  // with k from the uniform prior's value.
  double Shortfall(double k) const {
    const double p = atLeast ? boost::math::ibetac(A(k), B(k), limit) : boost::math::ibeta(A(k), B(k), limit);
    return p - level;
  }
};

}  // namespace

extern "C" QuorbelResult QuorbelExact_PriorBeta(double mode, double limit, int32_t atLeast, double certainty,
                                                QuorbelExactBeta* result) {
  if (!(mode > 0.0 && mode < 1.0)) return QUORBEL_EXACT_E_MODE;
  if (!(limit > 0.0 && limit < 1.0) || (atLeast ? !(limit < mode) : !(limit > mode))) return QUORBEL_EXACT_E_LIMIT;
  const double level = certainty / 100.0;
  if (!(certainty > 0.0 && certainty < 100.0) || !(level > (atLeast ? 1.0 - limit : limit)))
    return QUORBEL_EXACT_E_CERTAINTY;
  return RunGuarded([&] {
    const Statement s{mode, limit, level, atLeast != 0};
    // A bracket around the normal approximation's k: the variance
    // M (1 - M) / (k + 3) that puts the limit z standard deviations from the
    // mode. Each step out widens it by a quarter.
    const double z = boost::math::quantile(boost::math::normal_distribution<double>(), level);
    const double spread = std::fabs(mode - limit) / z;
    double low = 0.0, high = std::max(1.0, mode * (1.0 - mode) / (spread * spread) - 3.0);
    if (s.Shortfall(high) < 0.0) {
      do {
        if (high > kLargestConcentration) return QuorbelResult{QUORBEL_EXACT_E_CERTAINTY};
        low = high;
        high *= 1.25;
      } while (s.Shortfall(high) < 0.0);
    } else {
      for (low = high / 1.25; low > 1e-3 && s.Shortfall(low) >= 0.0; low /= 1.25) high = low;
      if (s.Shortfall(low) >= 0.0) low = 0.0;
    }
    boost::uintmax_t iterations = 500;
    const auto bracket = boost::math::tools::toms748_solve([&](double k) { return s.Shortfall(k); }, low, high,
                                                           boost::math::tools::eps_tolerance<double>(44), iterations);
    const double k = bracket.first + (bracket.second - bracket.first) / 2.0;
    const double a = s.A(k), b = s.B(k);
    *result = QuorbelExactBeta{a, b, a / (a + b), boost::math::ibeta_inv(a, b, 0.5)};
    return QuorbelResult{QUORBEL_OK};
  });
}
