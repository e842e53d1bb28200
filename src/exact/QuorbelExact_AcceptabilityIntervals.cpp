// QuorbelExact_AcceptabilityIntervals: the Blaker and Sterne intervals of a
// binomial proportion. See quorbel_exact.h.
//
// Only the lower end is searched: the upper end of x of n is one minus the
// lower end of n - x. Below x / n both acceptabilities are the tail
// P(X >= x) plus a tail on the other side, P(X <= K(p)), whose index K
// never falls as p grows.
//
// For a fixed k, a_k(p) = P(X >= x) + P(X <= k) has the derivative
// n (f(x - 1) - f(k)), f the Bin(n - 1, p) masses, whose ratio
// f(x - 1) / f(k) rises with p: a_k falls, then rises. On [u, v], a is at
// most a_K(v), so at most the larger of a_K(v)(u) and a(v): where that is
// not above alpha, nothing in [u, v] is accepted. Where K is the same k at
// both ends, the first value above alpha is u itself, or none when a(v) is
// not above alpha, or else the one crossing, found by a bracketing root
// finder. Where K steps once, the step is a root too (Step), and a jumps
// up there by a mass; elsewhere [u, v] is halved.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

#include "exact/boost_config.h"
#include <boost/math/distributions/binomial.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>
#include <boost/math/tools/roots.hpp>

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

  // Sterne's test of k at p, as logarithms: log P(X = k) - log P(X = x),
  // positive when k's mass is the larger. One expression serves the walk of
  // OtherSide and the root of Step, so that the two agree to the bit.
  static double LogOddsAgainst(double p) { return std::log((1.0 - p) / p); }
  double LogFactorialsOf(int64_t k) const {  // -log k! - log (n - k)!: log C(n, k) less log n!
    return -boost::math::lgamma(static_cast<double>(k) + 1.0) -
           boost::math::lgamma(static_cast<double>(n - k) + 1.0);
  }
  double SterneExcess(int64_t k, double against) const {
    return LogFactorialsOf(k) - LogFactorialsOf(x) + static_cast<double>(x - k) * against;
  }

  // The other side at p: its index K(p), the largest k in -1 .. x - 1 whose
  // tail P(X <= k) is at most P(X >= x) (Blaker) or whose mass is at most
  // P(X = x) (Sterne), with P(X >= x) and P(X <= K) (0 when K is -1).
  struct Side {
    int64_t k;
    double atLeastX, atMostK;
  };

  // K(p) is found by walking from the mirror of x about the mean, 2 n p - x:
  // Sterne's by its test at each step, Blaker's by the exact ratios of
  // neighbouring masses (one tail and one mass from Boost, then a few
  // steps) and then settled by Boost's own tails at K and K + 1, as Step
  // sees them; not by a tail at every step of a bisection.
  int64_t Mirror(double p) const {
    const double mirror = std::floor(2.0 * static_cast<double>(n) * p - static_cast<double>(x));
    return static_cast<int64_t>(std::min(std::max(mirror, 0.0), static_cast<double>(x - 1)));
  }

  Side OtherSide(double p) const {
    const double tail = AtLeastX(p);
    int64_t k = Mirror(p);
    if (method == Method::kSterne) {
      const double against = LogOddsAgainst(p);
      if (SterneExcess(k, against) <= 0.0) {
        while (k + 1 < x && SterneExcess(k + 1, against) <= 0.0) ++k;
      } else {
        while (k >= 0 && SterneExcess(k, against) > 0.0) --k;
      }
      return {k, tail, k < 0 ? 0.0 : BinomialCdf(n, p, k)};
    }
    const double odds = p / (1.0 - p);
    auto up = [&](int64_t at) { return static_cast<double>(n - at) / static_cast<double>(at + 1) * odds; };
    double mass = Mass(k, p), below = BinomialCdf(n, p, k);
    if (below <= tail) {
      for (double next; k + 1 < x && below + (next = mass * up(k)) <= tail; ++k) {
        mass = next;
        below += next;
      }
    } else {
      while (k >= 0 && below > tail) {
        below -= mass;
        mass = k == 0 ? 0.0 : mass / up(k - 1);
        --k;
      }
    }
    while (k + 1 < x && BinomialCdf(n, p, k + 1) <= tail) ++k;
    while (k >= 0 && (below = BinomialCdf(n, p, k)) > tail) --k;
    return {k, tail, k < 0 ? 0.0 : below};
  }

  // a_k(p): the acceptability with the other side's tail ending at k; a(p)
  // below x / n is a_K(p)(p), where P(X >= x) is the smaller tail for Blaker.
  double With(int64_t k, double p) const { return AtLeastX(p) + (k < 0 ? 0.0 : BinomialCdf(n, p, k)); }

  // The first p in [u, v] with a_k(p) > alpha, K being k all through and
  // a_k(u) = atU not above alpha; v + 1 when there is none.
  double FirstWith(int64_t k, double u, double v, double atU) const {
    const double atV = With(k, v);
    if (atV <= alpha) return v + 1.0;
    auto excess = [&](double p) { return With(k, p) - alpha; };
    std::uintmax_t iterations = 200;
    const auto bracket = boost::math::tools::toms748_solve(excess, u, v, atU - alpha, atV - alpha,
                                                           boost::math::tools::eps_tolerance<double>(50), iterations);
    return bracket.second;
  }

  // Where K steps from k to k + 1 in [u, v]: the root of P(X <= k + 1) -
  // P(X >= x) (Blaker), or of log P(X = k + 1) - log P(X = x) (Sterne), both
  // falling in p. Returns the root's bracket [a, b] with K(a) = k and
  // K(b) = k + 1 as OtherSide finds them, or nothing when its walk and the
  // root disagree by more than a few last bits.
  std::optional<std::pair<double, double>> Step(int64_t k, double u, double v) const {
    auto gap = [&](double p) {
      return method == Method::kBlaker ? BinomialCdf(n, p, k + 1) - AtLeastX(p)
                                       : SterneExcess(k + 1, LogOddsAgainst(p));
    };
    std::uintmax_t iterations = 200;
    const auto bracket =
        boost::math::tools::toms748_solve(gap, u, v, boost::math::tools::eps_tolerance<double>(52), iterations);
    // The ends as the walk sees them: the root itself may be found exactly.
    double before = bracket.first, after = bracket.second;
    for (int tries = 0; tries < 4 && before > u && OtherSide(before).k != k; ++tries) before = std::nextafter(before, u);
    for (int tries = 0; tries < 4 && after < v && OtherSide(after).k != k + 1; ++tries) after = std::nextafter(after, v);
    if (OtherSide(before).k != k || OtherSide(after).k != k + 1) return std::nullopt;
    return std::make_pair(before, after);
  }

  // The first p in [u, v] with a(p) > alpha, or v + 1 when there is none;
  // atU and atV are the other sides at u and v.
  double First(double u, double v, const Side& atU, const Side& atV) const {
    // On [u, v] a <= a_K(v), which falls then rises: it is at most the
    // larger of its values at the ends.
    const double av = atV.atLeastX + atV.atMostK;
    if (std::max(atU.atLeastX + (atV.k < 0 ? 0.0 : BinomialCdf(n, u, atV.k)), av) <= alpha) return v + 1.0;
    const double au = atU.atLeastX + atU.atMostK;
    if (au > alpha) return u;
    if (atU.k == atV.k) return FirstWith(atV.k, u, v, au);
    // One step of K inside: before it, at it (a jumps up by a mass), after it.
    if (atV.k == atU.k + 1 && u < v) {
      if (const auto step = Step(atU.k, u, v)) {
        const double before = FirstWith(atU.k, u, step->first, au);
        if (before <= step->first) return before;
        const Side atStep = OtherSide(step->second);
        const double aStep = atStep.atLeastX + atStep.atMostK;
        return aStep > alpha ? step->second : FirstWith(atV.k, step->second, v, aStep);
      }
    }
    if (v - u <= kResolution) return av > alpha ? v : v + 1.0;
    const double middle = u + (v - u) / 2.0;
    const Side atMiddle = OtherSide(middle);
    const double left = First(u, middle, atU, atMiddle);
    return left <= middle ? left : First(middle, v, atMiddle, atV);
  }
  double First(double u, double v) const { return First(u, v, OtherSide(u), OtherSide(v)); }
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
