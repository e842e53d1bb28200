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

// A first k, without an incomplete beta: the logit of a Beta(a, b) is
// nearly normal, with mean about log((a - 1/2) / (b - 1/2)) and variance
// about 1 / a + 1 / b; the k that puts the logit of the limit z of its
// standard deviations from that mean (found by halving log k) is usually
// within a tenth of the root, where the normal approximation on the
// proportion's own scale can be off by a factor of five.
double Guess(const Statement& s, double z) {
  const double target = std::log(s.limit / (1.0 - s.limit));
  auto gap = [&](double k) {
    const double a = s.A(k), b = s.B(k);
    return std::fabs(target - std::log((a - 0.5) / (b - 0.5))) - z * std::sqrt(1.0 / a + 1.0 / b);
  };
  double low = 1e-3, high = kLargestConcentration;
  for (int halving = 0; halving < 14; ++halving) {
    const double middle = std::sqrt(low * high);
    (gap(middle) < 0.0 ? low : high) = middle;
  }
  return std::sqrt(low * high);
}

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
    // A bracket of a tenth either side of the guess, widened by doubling
    // (down to k = 0, the uniform prior, which always falls short).
    const double z = boost::math::quantile(boost::math::normal_distribution<double>(), level);
    const double guess = Guess(s, z);
    double low = guess / 1.1, high = guess * 1.1;
    double lowShortfall = s.Shortfall(low), highShortfall = s.Shortfall(high);
    while (highShortfall < 0.0) {
      if (high > kLargestConcentration) return QuorbelResult{QUORBEL_EXACT_E_CERTAINTY};
      low = high;
      lowShortfall = highShortfall;
      highShortfall = s.Shortfall(high *= 2.0);
    }
    while (lowShortfall >= 0.0) {
      high = low;
      highShortfall = lowShortfall;
      low = low > 1e-3 ? low / 2.0 : 0.0;
      lowShortfall = s.Shortfall(low);
    }
    boost::uintmax_t iterations = 500;
    const auto bracket =
        boost::math::tools::toms748_solve([&](double k) { return s.Shortfall(k); }, low, high, lowShortfall,
                                          highShortfall, boost::math::tools::eps_tolerance<double>(42), iterations);
    const double k = bracket.first + (bracket.second - bracket.first) / 2.0;
    const double a = s.A(k), b = s.B(k);
    *result = QuorbelExactBeta{a, b, a / (a + b), boost::math::ibeta_inv(a, b, 0.5)};
    return QuorbelResult{QUORBEL_OK};
  });
}
