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
//
// Sterne's search starts where x + 1 times P(X >= x) reaches alpha, far
// below its answer when x is large. Blaker's end, found first, is a close
// guess: cells from the start up to a margin below it are shown to accept
// nothing (on [u, v], a is at most P(X >= x) at v plus P(X <= K(v)) at u),
// and the search begins there.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "exact/boost_config.h"
#include <boost/math/quadrature/gauss.hpp>
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
  Acceptability(int64_t x, int64_t n, double alpha, Method method) : x(x), n(n), alpha(alpha), method(method) {
    remembered.fill({-1, 0.0});  // no k is -1
    known.fill({std::numeric_limits<int64_t>::min(), 0.0, 0.0, 0.0});
    ofX = LogFactorialsOf(x);
    logFactorialN = boost::math::lgamma(static_cast<double>(n) + 1.0);
  }
  int64_t x, n;
  double alpha;
  Method method;
  double ofX;            // LogFactorialsOf(x)
  double logFactorialN;  // log n!

  // P(X >= x) and P(X <= k) (0 <= k < n) at p.
  double AtLeastX(double p) const { return Tail(x - 1, p, true); }
  double AtMostK(int64_t k, double p) const { return Tail(k, p, false); }

  // The searches come back to nearby p again and again. A tail taken at p0
  // gives the same tail at a p near it as its value at p0 plus the integral
  // of its slope, +-n f(j; n - 1, t) (j = x - 1 for P(X >= x), k for
  // P(X <= k)), by Gauss-Legendre: seven exps cost less than one of
  // Boost's tails. Near means within a quarter of the binomial's spread
  // and where log f moves by at most 1. A tail of a k near one kept follows
  // from it and the masses between. The last few tails are kept, each with
  // its j and direction.
  struct Known {
    int64_t key;  // k for P(X <= k), -2 - j for P(X >= j + 1)
    double p, value, logChoose;
  };
  mutable std::array<Known, 8> known;
  mutable size_t nextKnown = 0;

  double Tail(int64_t j, double p, bool upper) const {
    if (!Integrable(j)) return upper ? BinomialUpperTail(n, p, j + 1) : BinomialCdf(n, p, j);
    const int64_t key = upper ? -2 - j : j;
    for (Known& k : known)
      if (k.key == key)
        if (LogMove(j, k.p, p) <= 1.0) return Remember(key, p, Moved(k, p), k.logChoose);
    if (!upper)
      for (Known& k : known)
        if (k.key >= 0 && k.key != j && std::llabs(k.key - j) <= kLongestStep && Integrable(k.key))
          if (LogMove(k.key, k.p, p) <= 1.0)
            if (const double value = WalkedTo(j, k.key, Moved(k, p), p); value >= 0.0)
              return Remember(key, p, value, std::numeric_limits<double>::quiet_NaN());
    return Remember(key, p, upper ? BinomialUpperTail(n, p, j + 1) : BinomialCdf(n, p, j),
                    std::numeric_limits<double>::quiet_NaN());
  }
  // Known's tail at p.
  double Moved(Known& known, double p) const {
    const int64_t j = known.key >= 0 ? known.key : -2 - known.key;
    if (std::isnan(known.logChoose)) known.logChoose = LogChooseBelow(j);
    const double slope = SlopeIntegral(known.logChoose, j, known.p, p);
    return known.value + (known.key >= 0 ? -slope : slope);
  }
  // P(X <= k) at p from P(X <= from) = atFrom, by the masses between,
  // walked by exact ratios; -1 where taking them away would leave less
  // than they are (too few digits).
  double WalkedTo(int64_t k, int64_t from, double atFrom, double p) const {
    const int64_t lo = std::min(from, k) + 1, hi = std::max(from, k);
    const double mass = std::exp(logFactorialN + LogFactorialsOf(lo) + static_cast<double>(lo) * std::log(p) +
                                 static_cast<double>(n - lo) * std::log1p(-p));
    const double masses = MassesFrom(lo, hi, mass, p);
    if (k > from) return atFrom + masses;
    return atFrom - masses >= masses ? atFrom - masses : -1.0;
  }
  static constexpr int64_t kLongestStep = 64;
  // Boost's tail is a short series while j + 1 or n - j is small, and
  // cheaper than the integral.
  bool Integrable(int64_t j) const { return std::min(j + 1, n - j) >= kFewestForIntegral; }
  static constexpr int64_t kFewestForIntegral = 100;
  double Remember(int64_t key, double p, double value, double logChoose) const {
    known[nextKnown++ % known.size()] = {key, p, value, logChoose};
    return value;
  }
  // How far log f(j; n - 1, t) moves from p0 to p, by its slope and its
  // curvature at p0; infinite beyond a quarter of the binomial's spread.
  double LogMove(int64_t j, double p0, double p) const {
    const double width = std::fabs(p - p0), m = static_cast<double>(n - 1), J = static_cast<double>(j);
    if (!(width * width * static_cast<double>(n) <= p0 * (1.0 - p0) / 16.0)) return HUGE_VAL;
    const double slope = J / p0 - (m - J) / (1.0 - p0), bend = J / (p0 * p0) + (m - J) / ((1.0 - p0) * (1.0 - p0));
    return width * (std::fabs(slope) + std::sqrt(bend));
  }
  // The integral of n f(j; n - 1, t) over t from a to b, by Boost's
  // 7-point Gauss-Legendre rule: where log f moves by at most 1 over [a, b]
  // it is exact to about 1e-23 of the integral.
  double SlopeIntegral(double logChoose, int64_t j, double a, double b) const {
    auto slope = [&](double t) { return TailSlope(logChoose, j, t); };
    return boost::math::quadrature::gauss<double, 7>::integrate(slope, a, b);
  }

  // Sterne's test of k at p, as logarithms: log P(X = k) - log P(X = x),
  // positive when k's mass is the larger. One expression serves the walk of
  // OtherSide and the root of Step, so that the two agree to the bit.
  static double LogOddsAgainst(double p) { return std::log((1.0 - p) / p); }
  // -log k! - log (n - k)!: log C(n, k) less log n!. The walks come back to
  // the same few k, so the last values are kept by k's low bits.
  double LogFactorialsOf(int64_t k) const {
    Remembered& slot = remembered[static_cast<size_t>(k) % remembered.size()];
    if (slot.k != k) slot = {k, -boost::math::lgamma(static_cast<double>(k) + 1.0) -
                                    boost::math::lgamma(static_cast<double>(n - k) + 1.0)};
    return slot.value;
  }
  struct Remembered {
    int64_t k;
    double value;
  };
  mutable std::array<Remembered, 16> remembered;
  double SterneExcess(int64_t k, double against) const { return ExcessAt(LogFactorialsOf(k) - ofX, k, against); }
  // The same from LogFactorialsOf(k) - LogFactorialsOf(x), given.
  double ExcessAt(double factorials, int64_t k, double against) const {
    return factorials + static_cast<double>(x - k) * against;
  }

  // The other side at p: its index K(p), the largest k in -1 .. x - 1 whose
  // tail P(X <= k) is at most P(X >= x) (Blaker) or whose mass is at most
  // P(X = x) (Sterne), with P(X >= x) and P(X <= K) (0 when K is -1).
  struct Side {
    int64_t k;
    double atLeastX, atMostK;
  };

  // P(k < X < x), the masses k + 1 .. x - 1 walked down from P(X = x - 1)
  // by exact ratios (0 <= k < x), or -1 when the walk would be longer than
  // kLongestWalk. A few hundred ratios cost less than one of Boost's tails.
  double Between(int64_t k, double p) const {
    if (x - 1 - k > kLongestWalk) return -1.0;
    const double mass = boost::math::pdf(boost::math::binomial_distribution<double>(static_cast<double>(n), p),
                                         static_cast<double>(x - 1));
    return MassesFrom(x - 1, k + 1, mass, p);
  }
  // P(X = from) + ... + P(X = to), walked from P(X = from) = mass by exact
  // ratios, down or up.
  double MassesFrom(int64_t from, int64_t to, double mass, double p) const {
    double masses = 0.0;
    if (to < from) {
      const double odds = (1.0 - p) / p;
      for (int64_t j = from; j >= to; --j) {
        masses += mass;
        mass *= static_cast<double>(j) / static_cast<double>(n - j + 1) * odds;
      }
    } else {
      const double odds = p / (1.0 - p);
      for (int64_t i = from; i <= to; ++i) {
        masses += mass;
        mass *= static_cast<double>(n - i) / static_cast<double>(i + 1) * odds;
      }
    }
    return masses;
  }
  // P(X <= k) for k < x, given P(X >= x) at p: one less that tail and the
  // masses between; Boost's tail where the walk is long or the difference
  // small.
  double AtMost(int64_t k, double p, double atLeastX) const {
    if (k < 0) return 0.0;
    const double between = Between(k, p);
    const double below = 1.0 - atLeastX - between;
    return between >= 0.0 && below >= kSmallestDifference ? below : AtMostK(k, p);
  }
  static constexpr int64_t kLongestWalk = 1000;
  static constexpr double kSmallestDifference = 1e-3;
  static constexpr double kSmallestComplement = 0.02;

  // K(p) is found by stepping from a guess, the mirror of x about the mean,
  // 2 n p - x, kept within lo .. hi where K is known to lie (K never falls
  // as p grows): Sterne's by its test, Blaker's by Boost's tails at K and
  // K + 1, as Step sees them. With a good guess Blaker's costs three of
  // Boost's tails and Sterne's one.
  int64_t Guess(double p, int64_t lo, int64_t hi) const {
    const double mirror = std::floor(2.0 * static_cast<double>(n) * p - static_cast<double>(x));
    return static_cast<int64_t>(std::min(std::max(mirror, static_cast<double>(lo)), static_cast<double>(hi)));
  }
  int64_t SterneIndex(double p, int64_t lo, int64_t hi) const {
    const double against = LogOddsAgainst(p);
    int64_t k = Guess(p, lo, hi);
    if (k < 0 || SterneExcess(k, against) <= 0.0) {
      while (k + 1 < x && SterneExcess(k + 1, against) <= 0.0) ++k;
    } else {
      while (k >= 0 && SterneExcess(k, against) > 0.0) --k;
    }
    return k;
  }
  Side OtherSide(double p, int64_t lo = -1, int64_t hi = -1) const {
    const double tail = AtLeastX(p);
    if (hi < 0) hi = x - 1;
    if (method == Method::kSterne) {
      const int64_t k = SterneIndex(p, lo, hi);
      return {k, tail, AtMost(k, p, tail)};
    }
    int64_t k = Guess(p, lo, hi);
    double below = k < 0 ? 0.0 : AtMostK(k, p);
    if (below <= tail) {
      for (double next; k + 1 < x && (next = AtMostK(k + 1, p)) <= tail; ++k) below = next;
    } else {
      while (k >= 0 && below > tail) below = --k < 0 ? 0.0 : AtMostK(k, p);
    }
    return {k, tail, below};
  }

  // a_k(p): the acceptability with the other side's tail ending at k; a(p)
  // below x / n is a_K(p)(p), where P(X >= x) is the smaller tail for Blaker.
  // It is one less the masses between k and x, where that is not small
  // (near 0.01 and below the difference keeps too few digits).
  double With(int64_t k, double p) const {
    const double between = k < 0 ? -1.0 : Between(k, p);
    if (between >= 0.0 && 1.0 - between >= kSmallestComplement) return 1.0 - between;
    return AtLeastX(p) + (k < 0 ? 0.0 : AtMostK(k, p));
  }
  static double Value(const Side& side) { return side.atLeastX + side.atMostK; }

  // The first p in [u, v] with a_k(p) > alpha, K being k all through,
  // a_k(u) = au not above alpha and a_k(v) = av; v + 1 when there is none.
  double FirstWith(int64_t k, double u, double v, double au, double av) const {
    if (av <= alpha) return v + 1.0;
    auto excess = [&](double p) { return With(k, p) - alpha; };
    std::uintmax_t iterations = 200;
    const auto bracket = boost::math::tools::toms748_solve(excess, u, v, au - alpha, av - alpha,
                                                           boost::math::tools::eps_tolerance<double>(46), iterations);
    return bracket.second;
  }

  // Where K steps from k to k + 1 in [u, v]: the root of P(X <= k + 1) -
  // P(X >= x) (Blaker), or of log P(X = k + 1) - log P(X = x) (Sterne), both
  // falling in p, bracketed as [before, after] with K(before) = k and
  // K(after) = k + 1 as OtherSide finds them; nothing when its walk and the
  // root disagree by more than a few last bits.
  struct Stepped {
    double before, after;
    Side atBefore, atAfter;
  };
  std::pair<double, double> SterneStep(int64_t k, double u, double v) const {
    std::uintmax_t iterations = 200;
    // The walk takes k + 1 where its excess is not above 0, and the excess
    // rounds to exactly 0 over several last bits of p: counted as below 0,
    // the root is where the walk's answer changes.
    const double factorials = LogFactorialsOf(k + 1) - ofX;  // as SterneExcess has them
    auto excess = [&](double p) {
      const double e = ExcessAt(factorials, k + 1, LogOddsAgainst(p));
      return e > 0.0 ? e : e - std::numeric_limits<double>::min();
    };
    return boost::math::tools::toms748_solve(excess, u, v, boost::math::tools::eps_tolerance<double>(46), iterations);
  }
  // n f(k; n - 1, p): the derivative in p of P(X >= k + 1), from
  // log C(n - 1, k), which a root finder takes once.
  double LogChooseBelow(int64_t k) const {
    const double m = static_cast<double>(n - 1), j = static_cast<double>(k);
    return boost::math::lgamma(m + 1.0) - boost::math::lgamma(j + 1.0) - boost::math::lgamma(m - j + 1.0);
  }
  double TailSlope(double logChoose, int64_t k, double p) const {
    const double m = static_cast<double>(n - 1), j = static_cast<double>(k);
    return static_cast<double>(n) * std::exp(logChoose + j * std::log(p) + (m - j) * std::log1p(-p));
  }
  // Blaker's step: the root of log P(X <= k + 1) - log P(X >= x), nearly
  // straight in p, by Newton's steps kept within [u, v], bracketed a few
  // times Newton's tolerance either side.
  std::pair<double, double> BlakerStep(int64_t k, double u, double v) const {
    const double belowChoose = LogChooseBelow(k + 1), aboveChoose = LogChooseBelow(x - 1);
    auto gap = [&](double p) {
      const double below = AtMostK(k + 1, p), above = AtLeastX(p);
      return std::make_pair(std::log(below) - std::log(above), -TailSlope(belowChoose, k + 1, p) / below -
                                                                   TailSlope(aboveChoose, x - 1, p) / above);
    };
    std::uintmax_t iterations = 100;
    const double root = boost::math::tools::newton_raphson_iterate(gap, u + (v - u) / 2.0, u, v, 46, iterations);
    const double spread = root * 0x1p-44;  // a few times Newton's own tolerance, 2^-46
    return {std::max(u, root - spread), std::min(v, root + spread)};
  }
  std::optional<Stepped> Step(int64_t k, double u, double v) const {
    const std::pair<double, double> bracket = method == Method::kBlaker ? BlakerStep(k, u, v) : SterneStep(k, u, v);
    Stepped step{bracket.first, bracket.second, OtherSide(bracket.first, k, k + 1),
                 OtherSide(bracket.second, k, k + 1)};
    for (int tries = 0; tries < 4 && step.before > u && step.atBefore.k != k; ++tries)
      step.atBefore = OtherSide(step.before = std::nextafter(step.before, u));
    for (int tries = 0; tries < 4 && step.after < v && step.atAfter.k != k + 1; ++tries)
      step.atAfter = OtherSide(step.after = std::nextafter(step.after, v));
    if (step.atBefore.k != k || step.atAfter.k != k + 1) return std::nullopt;
    return step;
  }

  // The first p in [u, v] with a(p) > alpha, or v + 1 when there is none;
  // atU and atV are the other sides at u and v.
  double First(double u, double v, const Side& atU, const Side& atV) const {
    // On [u, v] a <= a_K(v), which falls then rises: it is at most the
    // larger of its values at the ends.
    const double av = Value(atV);
    const double boundAtU = atV.k == atU.k ? Value(atU) : atU.atLeastX + (atV.k < 0 ? 0.0 : AtMostK(atV.k, u));
    if (std::max(boundAtU, av) <= alpha) return v + 1.0;
    const double au = Value(atU);
    if (au > alpha) return u;
    if (atU.k == atV.k) return FirstWith(atV.k, u, v, au, av);
    // One step of K inside: before it, at it (a jumps up by a mass), after it.
    if (atV.k == atU.k + 1 && u < v) {
      if (const std::optional<Stepped> step = Step(atU.k, u, v)) {
        const double before = FirstWith(atU.k, u, step->before, au, Value(step->atBefore));
        if (before <= step->before) return before;
        const double atStep = Value(step->atAfter);
        return atStep > alpha ? step->after : FirstWith(atV.k, step->after, v, atStep, av);
      }
    }
    if (v - u <= kResolution) return av > alpha ? v : v + 1.0;
    const double middle = u + (v - u) / 2.0;
    const Side atMiddle = OtherSide(middle, atU.k, atV.k);
    const double left = First(u, middle, atU, atMiddle);
    return left <= middle ? left : First(middle, v, atMiddle, atV);
  }
  double First(double u, double v) const { return First(u, v, OtherSide(u), OtherSide(v)); }

  // Whether Sterne's test accepts nothing in [from, to], shown cell by cell
  // leftward from `to`, the cells (`width` at first) doubling while they
  // pass and halving when they do not; false when a cell of `finest` width
  // does not pass. On [u, v] a is at most P(X >= x) at v plus P(X <= K(v))
  // at u: the first tail rises with p, K never falls, and the second tail
  // falls with p.
  bool NoneAcceptedIn(double from, double to, double width, double finest) const {
    int64_t k = SterneIndex(to, -1, x - 1);
    double atLeastX = AtLeastX(to);
    for (double v = to; v > from;) {
      const double u = std::max(from, v - width);
      if (atLeastX + (k < 0 ? 0.0 : AtMostK(k, u)) <= alpha) {
        if (u > from) {
          k = SterneIndex(u, -1, k);
          atLeastX = AtLeastX(u);
        }
        v = u;
        width *= 2.0;
      } else if (width <= finest) {
        return false;
      } else {
        width /= 2.0;
      }
    }
    return true;
  }

  // The first p in [start, top] with a(p) > alpha, or top + 1, where it is
  // likely near `near`: once nothing is shown accepted from start to a
  // margin below it, it is sought within the margin either side of it, then
  // above; otherwise over the whole range.
  double FirstNear(double start, double top, double near) const {
    const double margin = 1.0 / static_cast<double>(n);
    const double from = std::max(start, near - margin), to = std::min(top, near + margin);
    if (!(from < to) || (from > start && !NoneAcceptedIn(start, from, margin, margin / 16.0))) return First(start, top);
    const double first = First(from, to);
    return first <= to || to >= top ? first : First(to, top);
  }

  // Blaker's first p in [u, v] with a(p) > alpha, u being where 2 P(X >= x)
  // reaches alpha. Where K steps from k to k + 1, P(X <= k + 1) equals
  // P(X >= x), so a is twice that tail there, above alpha at the first step
  // after u; before it K is K(u) all through. So the answer is in that one
  // segment, or the step itself.
  // K steps about every 1 / (2 n) in p, so the first step is sought within
  // 2 / n of u, where the root finder starts from a narrow bracket.
  double FirstBlaker(double u, double v) const {
    const Side atU = OtherSide(u);
    const double w = std::min(v, u + 2.0 / static_cast<double>(n));
    const Side atW = OtherSide(w, atU.k);
    if (atU.k == atW.k || Value(atU) > alpha) return First(u, v, atU, OtherSide(v, atU.k));
    const std::optional<Stepped> step = Step(atU.k, u, w);
    if (!step || Value(step->atAfter) <= alpha) return First(u, v, atU, OtherSide(v, atU.k));
    const double before = FirstWith(atU.k, u, step->before, Value(atU), Value(step->atBefore));
    return before <= step->before ? before : step->after;
  }
};

// Where a(p) can first exceed alpha: Blaker's a is at most twice the tail
// P(X >= x), Sterne's at most x + 1 times it (each added mass is at most
// P(X = x)); below the p where that falls to alpha nothing is accepted.
double SearchStart(int64_t x, int64_t n, double alpha, Method method) {
  const double share = method == Method::kBlaker ? alpha / 2.0 : alpha / static_cast<double>(x + 1);
  return boost::math::ibeta_inv(static_cast<double>(x), static_cast<double>(n - x + 1), share);
}

// The lower end of the hull of {p : a(p) > alpha}; `near` (Sterne's
// search only) is where it likely lies, or negative.
double LowerEnd(int64_t x, int64_t n, double alpha, Method method, double near = -1.0) {
  if (x == 0) return 0.0;
  const Acceptability a(x, n, alpha, method);
  const double top = static_cast<double>(x) / static_cast<double>(n);
  const double start = std::min(SearchStart(x, n, alpha, method), top);
  const double first = method == Method::kBlaker ? a.FirstBlaker(start, top)
                       : near >= 0.0             ? a.FirstNear(start, top, near)
                                                 : a.First(start, top);
  return first <= top ? first : top;
}

// The Blaker and Sterne intervals. Sterne's ends are sought near Blaker's,
// which lie close (Sterne's start, from x + 1 times the tail, is far off).
// The upper end of x of n is one minus the lower end of n - x.
void Hulls(int64_t x, int64_t n, double alpha, QuorbelExactInterval* blaker, QuorbelExactInterval* sterne) {
  const double blakerLower = LowerEnd(x, n, alpha, Method::kBlaker);
  const double blakerAbove = n - x == x ? blakerLower : LowerEnd(n - x, n, alpha, Method::kBlaker);
  const double sterneLower = LowerEnd(x, n, alpha, Method::kSterne, blakerLower);
  const double sterneAbove = n - x == x ? sterneLower : LowerEnd(n - x, n, alpha, Method::kSterne, blakerAbove);
  *blaker = {blakerLower, 1.0 - blakerAbove};
  *sterne = {sterneLower, 1.0 - sterneAbove};
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
    Hulls(positives, sample, alpha, blaker, sterne);
    return QuorbelResult{QUORBEL_OK};
  });
}
