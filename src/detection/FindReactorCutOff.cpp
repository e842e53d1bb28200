// FindReactorCutOff: the cut-off search over false-positive reactors. See
// numeric.h.
//
//   binomial (m <= 170):  T(k) = m! / ((m - k)! k!) * (1 - Sp)^k * Sp^(m - k)
//   Poisson (lambda <= 30): T(k) = lambda^k e^(-lambda) / k!
//   normal:               T(k) = exp(-(k - lambda)^2 / (2 Sp (1 - Sp) m))
//                                / sqrt(2 pi Sp (1 - Sp) m)
//
// with lambda = m (1 - Sp). The running sum S is held as a float after each
// term. In the Poisson and normal models, which can run to large m, the
// search ends early once S is NaN or the terms past lambda have fallen to 0:
// no later term can lift S to the bound, so the answer is the one k = m
// would give. Likewise the normal search starts where its terms stop
// underflowing: a float exp of an argument below about -104 is exactly 0, so
// every earlier term adds nothing to S; the search starts where the argument
// is -kSilentExponent, a margin beyond that, and a search over billions of
// animals costs a few tens of thousands of terms.
#include <algorithm>
#include <cmath>

#include "detection/numeric.h"
#include "library/rules.h"

namespace quorbel {
namespace {

constexpr int kLargestBinomial = 170;
constexpr double kLargestPoissonMean = 30.0;
constexpr double kTwoPi = 6.283185308;  // 2 pi, to the ten digits the method states
constexpr double kSilentExponent = 110.0;

struct Search {
  int m;
  double sp;
  double lambda;

  double Binomial(int k, SpecificityPower power) const {
    const double a = IntPower(Hold(1.0 - sp), k);
    const double b = power == SpecificityPower::kWhole ? IntPower(static_cast<float>(sp), m - k)
                                                       : Hold(std::pow(sp, m - k));
    return Factorial(m) / (Factorial(m - k) * Factorial(k)) * a * b;
  }

  double Poisson(int k, double e) const { return PowerBySquaring(lambda, static_cast<unsigned>(k)) * e / Factorial(k); }

  double Normal(int k) const {
    const float x = Hold(k - lambda);
    const float x2 = IntPower(x, 2);
    const float g = Hold(std::exp(static_cast<double>(Hold(-x2 / (2.0 * sp * (1.0 - sp) * m)))));
    return g / std::sqrt(kTwoPi * sp * (1.0 - sp) * m);
  }
};

}  // namespace

std::optional<int> FindReactorCutOff(int m, float sp, float falsePositiveRisk, SpecificityPower power) {
  const double bound = 1.0 - static_cast<double>(falsePositiveRisk);
  const Search search{m, sp, m * (1.0 - static_cast<double>(sp))};
  const enum { kBinomial, kPoisson, kNormal } model =
      m <= kLargestBinomial ? kBinomial : search.lambda <= kLargestPoissonMean ? kPoisson : kNormal;
  const double e = Hold(std::exp(static_cast<double>(Hold(-m * (1.0 - static_cast<double>(sp))))));

  float sum = 0.0f;
  int first = 0;
  if (model == kNormal && bound > 0.0) {
    const double silent = std::sqrt(2.0 * kSilentExponent * search.sp * (1.0 - search.sp) * m);
    first = static_cast<int>(std::max(0.0, std::floor(search.lambda - silent)));
  }
  for (int k = first; k < m; ++k) {
    const double term = model == kBinomial ? search.Binomial(k, power)
                        : model == kPoisson ? search.Poisson(k, e)
                                            : search.Normal(k);
    sum = Hold(sum + term);
    if (sum >= bound) return k;
    if (model != kBinomial && (std::isnan(sum) || (term == 0.0 && k > search.lambda))) return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace quorbel
