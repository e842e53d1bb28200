// QuorbelExact_AcceptabilityIntervals: the Blaker and Sterne intervals of a
// binomial proportion. See quorbel_exact.h.
//
// Only the lower end is searched: the upper end of x of n is one minus the
// lower end of n - x. Below x / n both acceptabilities are the tail
// P(X >= x) plus a tail on the other side, P(X <= K(p)), whose index K
// never falls as p grows. So on [u, v] a(p) is at most P(X >= x; v) plus
// P(X <= K(v); u), a bound that tightens as [u, v] narrows.
#include <algorithm>
#include <cstdint>

#include "exact/boost_config.h"
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/special_functions/beta.hpp>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

namespace {

constexpr double kResolution = 1e-12;

enum class Method { kBlaker, kSterne };

struct Acceptability {
  int64_t x, n;
  double alpha;
  Method method;

  double Mass(int64_t k, double p) const {
    return boost::math::pdf(boost::math::binomial_distribution<double>(static_cast<double>(n), p),
                            static_cast<double>(k));
  }
  double AtLeastX(double p) const { return BinomialUpperTail(n, p, x); }

  // The largest k in -1 .. x - 1 with below(k) true, below holding on a
  // lower run of k.
  template <class Below>
  int64_t LastBelow(Below below) const {
    int64_t good = -1, bad = x;
    while (bad - good > 1) {
      const int64_t middle = good + (bad - good) / 2;
      (below(middle) ? good : bad) = middle;
    }
    return good;
  }

  // K(p): the other side's tail P(X <= K) that the acceptability adds.
  int64_t OtherSide(double p) const {
    if (method == Method::kSterne) {
      const double atX = Mass(x, p);
      return LastBelow([&](int64_t k) { return Mass(k, p) <= atX; });
    }
    const double tail = AtLeastX(p);
    return LastBelow([&](int64_t k) { return BinomialCdf(n, p, k) <= tail; });
  }

  // a(p) below x / n, where P(X >= x) is the smaller tail for Blaker.
  double At(double p) const {
    const int64_t k = OtherSide(p);
    return AtLeastX(p) + (k < 0 ? 0.0 : BinomialCdf(n, p, k));
  }
  double Bound(double u, double v) const {
    const int64_t k = OtherSide(v);
    return AtLeastX(v) + (k < 0 ? 0.0 : BinomialCdf(n, u, k));
  }

  // The first p in [u, v] with a(p) > alpha, or v + 1 when there is none.
  double First(double u, double v) const {
    if (Bound(u, v) <= alpha) return v + 1.0;
    if (At(u) > alpha) return u;
    if (v - u <= kResolution) return At(v) > alpha ? v : v + 1.0;
    const double middle = u + (v - u) / 2.0;
    const double left = First(u, middle);
    return left <= middle ? left : First(middle, v);
  }
};

// Where a(p) can first exceed alpha: Blaker's a is at most twice the tail
// P(X >= x), Sterne's at most x + 1 times it (each added mass is at most
// P(X = x)); below the p where that falls to alpha nothing is accepted.
double SearchStart(int64_t x, int64_t n, double alpha, Method method) {
  const double share = method == Method::kBlaker ? alpha / 2.0 : alpha / static_cast<double>(x + 1);
  return boost::math::ibeta_inv(static_cast<double>(x), static_cast<double>(n - x + 1), share);
}

// The lower end of the hull of {p : a(p) > alpha}.
double LowerEnd(int64_t x, int64_t n, double alpha, Method method) {
  if (x == 0) return 0.0;
  const Acceptability a{x, n, alpha, method};
  const double top = static_cast<double>(x) / static_cast<double>(n);
  const double first = a.First(std::min(SearchStart(x, n, alpha, method), top), top);
  return first <= top ? first : top;
}

QuorbelExactInterval Hull(int64_t x, int64_t n, double alpha, Method method) {
  return {LowerEnd(x, n, alpha, method), 1.0 - LowerEnd(n - x, n, alpha, method)};
}

}  // namespace

extern "C" QuorbelResult QuorbelExact_AcceptabilityIntervals(int32_t positives, int32_t sample,
                                                             double confidenceLevel, QuorbelExactInterval* blaker,
                                                             QuorbelExactInterval* sterne) {
  if (sample < 1) return QUORBEL_EXACT_E_SAMPLE;
  if (positives < 0 || positives > sample) return QUORBEL_EXACT_E_POSITIVES;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double alpha = 1.0 - confidenceLevel / 100.0;
    *blaker = Hull(positives, sample, alpha, Method::kBlaker);
    *sterne = Hull(positives, sample, alpha, Method::kSterne);
    return QuorbelResult{QUORBEL_OK};
  });
}
