// QuorbelExact_BayesPrevalence: the true prevalence, sensitivity and
// specificity after a test of n animals, with Beta priors, as exact finite
// mixtures of Beta distributions. See quorbel_exact.h.
//
// The weight of term (i, j) is exp(f[i] + g[j] + h[i + j]): every factor of
// C(x, i) C(n - x, j) B(a_s + i, b_s + j) B(a_c + n - x - j, b_c + x - i)
// B(a_p + i + j, b_p + n - i - j) is a gamma function of i, of j or of
// i + j alone. The prevalence's component depends on d = i + j alone; the
// sensitivity's and the specificity's components of one diagonal d share
// their total shape, and raising each diagonal's into the next gathers
// the diagonals' into a few runs of components Beta(a + m, b - m), each
// of whose CDFs costs one incomplete beta.
//
// The loops over a diagonal's cells and a band's components run on vector
// lanes (mixture_kernels.h), each element computed as the plain loop would.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <utility>
#include <vector>

#include "exact/boost_config.h"
#include <boost/math/distributions/normal.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "exact/checks.h"
#include "exact/mixture_kernels.h"
#include "exact/side_by_side.h"

using namespace quorbel::exact;

namespace {

// Terms below exp(-kNegligibleLog) of the largest are left out.
constexpr double kNegligibleLog = 37.0;  // e^-37 is about 1e-16

// Shapes from here on have their gamma functions summed from a's (see
// LogGammas).
constexpr double kLargeShape = 1e5;

// Below this many cells a sweep takes less than a thread costs to start.
constexpr double kCellsWorthAThread = 1e6;

bool WorthAThread(int64_t x, int64_t n) {
  return static_cast<double>(x + 1) * static_cast<double>(n - x + 1) >= kCellsWorthAThread;
}

// e^log carried as mantissa x 2^exponent, |log mantissa| <= ln 2 / 2 when
// made: D = t^a (1 - t)^b / B(a, b) far from t lies below the smallest
// double, and the recurrences must still see it grow back; and a product
// of a few such is e^(u + v + ...) with one exp each, where e^u or e^v
// alone would pass a double's range. ln 2 is split so that
// exponent x kLn2Hi is exact for every |exponent| < 2^21. The value is
// mantissa x 2^exponent, by one multiplication while 2^exponent is a
// normal double (the product is then ldexp's, rounded once), by ldexp
// beyond.
struct Scaled {
  double mantissa = 1.0;
  int exponent = 0;
  double power = 1.0;  // 2^exponent when that is a normal double, else 0

  static Scaled FromLog(double log) {
    const double k = std::clamp(std::floor(log * kInvLn2 + 0.5), -kMostExponent, kMostExponent);
    Scaled d{std::exp((log - k * kLn2Hi) - k * kLn2Lo), static_cast<int>(k), 0.0};
    d.SetPower();
    return d;
  }
  void SetPower() { power = IsNormalPower(exponent) ? PowerOfTwo(exponent) : 0.0; }
  void Times(double factor) {
    mantissa *= factor;
    if (mantissa < 1e-150 || mantissa > 1e150) {
      int shift = 0;
      mantissa = std::frexp(mantissa, &shift);
      exponent += shift;
      SetPower();
    }
  }
  double Value() const {
    if (power != 0.0) return mantissa * power;
    return exponent < -1100 ? 0.0 : std::ldexp(mantissa, exponent);
  }
  // The value of a b c.
  static double Product(const Scaled& a, const Scaled& b, const Scaled& c) {
    const double mantissa = a.mantissa * b.mantissa * c.mantissa;
    const int exponent = a.exponent + b.exponent + c.exponent;
    return IsNormalPower(exponent) ? mantissa * PowerOfTwo(exponent) : std::ldexp(mantissa, exponent);
  }

  static bool IsNormalPower(int exponent) { return exponent >= -1022 && exponent <= 1023; }
  // 2^exponent, a normal double, from its bits.
  static double PowerOfTwo(int exponent) {
    const uint64_t bits = static_cast<uint64_t>(exponent + 1023) << 52;
    double power;
    std::memcpy(&power, &bits, sizeof power);
    return power;
  }

  static constexpr double kInvLn2 = 1.44269504088896338700e+00;
  static constexpr double kLn2Hi = 6.93147180369123816490e-01;  // 32 bits
  static constexpr double kLn2Lo = 1.90821492927058770002e-10;
  static constexpr double kMostExponent = 1e8;  // far beyond any log here, within int's range
};

double LogBeta(double a, double b) {
  return boost::math::lgamma(a) + boost::math::lgamma(b) - boost::math::lgamma(a + b);
}

// A run of the Beta distributions Beta(a + m, b - m), m = 0, 1, ..., with
// weights weight[m].
struct Run {
  double a = 0.0, b = 0.0;
  std::vector<double> weight;

  // Adds the run's share of the mean and of E[t^2].
  void AddMoments(double* mean, double* square) const {
    for (size_t m = 0; m < weight.size(); ++m) {
      const double shift = static_cast<double>(m), am = a + shift, bm = b - shift;
      const double componentMean = am / (am + bm);
      *mean += weight[m] * componentMean;
      *square += weight[m] * componentMean * (am + 1.0) / (am + bm + 1.0);  // E[t^2] of Beta(am, bm)
    }
  }
  // Adds the run's share of the CDF at t and of t (1 - t) times the density,
  // 0 < t < 1, with one incomplete beta: with D = t^a (1 - t)^b / B(a, b),
  //   I(a + 1, b - 1) = I(a, b) - D / (a (1 - t)),  D(a + 1, b - 1) = D t (b - 1) / ((1 - t) a).
  void AddCdfAndDensity(double t, double* cdfSum, double* densitySum) const {
    double am = a, bm = b;
    double cdf = boost::math::ibeta(am, bm, t);
    Scaled d = Scaled::FromLog(am * std::log(t) + bm * std::log1p(-t) - LogBeta(am, bm));
    double value = d.Value();  // D of the component at hand, taken once
    for (size_t m = 0; m < weight.size(); ++m) {
      if (m > 0) {
        cdf -= value / (am * (1.0 - t));
        d.Times(t * (bm - 1.0) / ((1.0 - t) * am));
        am += 1.0;
        bm -= 1.0;
        value = d.Value();
      }
      *cdfSum += weight[m] * std::clamp(cdf, 0.0, 1.0);
      *densitySum += weight[m] * value;
    }
  }
};

// A mixture of Beta distributions in runs, its weights summing to 1.
struct Mixture {
  std::vector<Run> runs;

  Mixture& Normalised() {
    double sum = 0.0;
    for (const Run& run : runs)
      for (double w : run.weight) sum += w;
    for (Run& run : runs)
      for (double& w : run.weight) w /= sum;
    return *this;
  }
  // The mean and the standard deviation of the mixture; the mean kept
  // within 0 .. 1, which rounding in the weights' sum can pass by an ulp.
  std::pair<double, double> Moments() const {
    double mean = 0.0, square = 0.0;
    for (const Run& run : runs) run.AddMoments(&mean, &square);
    return {std::clamp(mean, 0.0, 1.0), std::sqrt(std::max(square - mean * mean, 0.0))};
  }
  // The CDF at t and the density, in one pass over the components.
  std::pair<double, double> CdfAndDensity(double t) const {
    if (t <= 0.0) return {0.0, 0.0};
    if (t >= 1.0) return {1.0, 0.0};
    double cdf = 0.0, density = 0.0;
    for (const Run& run : runs) run.AddCdfAndDensity(t, &cdf, &density);
    return {std::clamp(cdf, 0.0, 1.0), density / (t * (1.0 - t))};
  }
  double Cdf(double t) const { return CdfAndDensity(t).first; }
  // Each CDF is a pass over every component, and the same pass gives the
  // density, so the quantile is found by Newton's steps from the normal
  // approximation's, kept within a bracket that every pass narrows (a
  // step that would leave it halves it instead).
  double Quantile(double q, double mean, double sd) const {
    double low = 0.0, high = 1.0;
    double t = std::clamp(mean + boost::math::quantile(boost::math::normal_distribution<double>(), q) * sd,
                          kSmallestStart, 1.0 - kSmallestStart);
    for (int pass = 0; pass < kMostPasses; ++pass) {
      const auto [cdf, density] = CdfAndDensity(t);
      if (cdf == q) return t;
      (cdf < q ? low : high) = t;
      const double step = density > 0.0 ? (cdf - q) / density : HUGE_VAL;
      if (std::fabs(step) <= kQuantileTolerance * t) return t - step;
      double next = t - step;
      if (!(next > low && next < high)) next = low + (high - low) / 2.0;
      if (high - low <= kQuantileTolerance * high) return next;
      t = next;
    }
    return t;
  }
  static constexpr double kSmallestStart = 1e-12;
  static constexpr double kQuantileTolerance = 1e-13;
  static constexpr int kMostPasses = 200;
  QuorbelExactPosterior Summary(double level, double threshold) const {
    const double tail = (1.0 - level) / 2.0;
    const auto [mean, sd] = Moments();
    return QuorbelExactPosterior{mean, Quantile(0.5, mean, sd), Quantile(tail, mean, sd),
                                 Quantile(1.0 - tail, mean, sd), 1.0 - Cdf(threshold)};
  }
};

// The log weight of cell (i, j) is f[i] + g[j] + h[i + j]; cells are
// visited by diagonal d = i + j, in blocks of kBlock values of i, and a
// block is skipped when a bound on its cells' log weights,
// max f over the block + max g over its j's + h[d], shows them negligible.
struct Cells {
  int64_t x = 0, n = 0;
  std::vector<double> f, g, h;
  std::vector<double> fBlock;     // max of f over each block of i
  std::vector<double> gWindow;    // gWindow[j] = max of g[j .. j + kBlock - 1]
  std::vector<double> gBlock;     // max of g over each block of j
  std::vector<double> fScaled;    // exp(f[i] - fBlock[i / kBlock])
  std::vector<double> gScaled;    // exp(g[j] - gBlock[j / kBlock]), from the last j to the first
  std::vector<Scaled> fBlockPower, gBlockPower;  // e^fBlock, e^gBlock
  double largest = -HUGE_VAL;

  static constexpr int64_t kBlock = 128;

  // The largest of v[from .. from + kBlock - 1], as far as v goes.
  static double LargestOfBlock(const std::vector<double>& v, int64_t from) {
    const auto first = v.begin() + from;
    return *std::max_element(first, first + std::min<int64_t>(kBlock, static_cast<int64_t>(v.size()) - from));
  }

  int64_t FirstI(int64_t d) const { return std::max<int64_t>(0, d - (n - x)); }
  int64_t LastI(int64_t d) const { return std::min(x, d); }
  double Bound(int64_t d, int64_t block) const {
    const int64_t lastI = std::min(LastI(d), block * kBlock + kBlock - 1);
    return fBlock[static_cast<size_t>(block)] + gWindow[static_cast<size_t>(d - lastI)] + h[static_cast<size_t>(d)];
  }
  double Log(int64_t i, int64_t d) const {
    return f[static_cast<size_t>(i)] + g[static_cast<size_t>(d - i)] + h[static_cast<size_t>(d)];
  }
  // Writes the weights of diagonal d's cells, relative to the largest, to
  // w[from .. to]: the cells of the blocks whose bound comes within
  // e^-kNegligibleLog of the largest, 0 for the cells of a block between
  // two such. A weight is the product of the cell's own factors of f and g
  // and one factor of the blocks', so exp is taken once or twice a block.
  // Returns false when no block is within reach.
  bool Diagonal(int64_t d, double* w, int64_t* from, int64_t* to) const {
    const int64_t firstI = FirstI(d), lastI = LastI(d);
    const Scaled hPower = Scaled::FromLog(h[static_cast<size_t>(d)] - largest);
    *from = lastI + 1;
    *to = firstI - 1;
    for (int64_t block = firstI / kBlock; block <= lastI / kBlock; ++block) {
      if (Bound(d, block) - largest < -kNegligibleLog) continue;
      const int64_t start = std::max(firstI, block * kBlock), end = std::min(lastI, block * kBlock + kBlock - 1);
      for (int64_t i = *to + 1; i < start; ++i) w[i] = 0.0;  // a skipped block
      *from = std::min(*from, start);
      *to = end;
      // The block's j = d - i fall in one or two blocks of j, each of one scale.
      for (int64_t i = start; i <= end;) {
        const int64_t gBlockOfI = (d - i) / kBlock, until = std::min(end, d - gBlockOfI * kBlock);
        Scale(d, block, gBlockOfI, hPower, i, until, w);
        i = until + 1;
      }
    }
    return *from <= *to;
  }
  // w[i] for i = first .. last, whose f lie in block fb and g in block gb:
  // fScaled[i] gScaled[d - i] times the blocks' common factor,
  // e^(fBlock + gBlock + h[d] - largest) from its three parts' powers, or
  // by exp cell by cell where that factor is beyond kReach. Within reach,
  // a cell factor that underflows (below e^-708) leaves a weight below
  // e^-108, far below the e^-37 that is kept.
  void Scale(int64_t d, int64_t fb, int64_t gb, const Scaled& hPower, int64_t first, int64_t last, double* w) const {
    const double common =
        fBlock[static_cast<size_t>(fb)] + gBlock[static_cast<size_t>(gb)] + h[static_cast<size_t>(d)] - largest;
    if (common < -kNegligibleLog) {
      for (int64_t i = first; i <= last; ++i) w[i] = 0.0;
    } else if (common > kReach) {
      for (int64_t i = first; i <= last; ++i) {
        const double v = Log(i, d) - largest;
        w[i] = v < -kNegligibleLog ? 0.0 : std::exp(v);
      }
    } else {
      const double factor =
          Scaled::Product(fBlockPower[static_cast<size_t>(fb)], gBlockPower[static_cast<size_t>(gb)], hPower);
      // gScaled from n - x - d on holds g's of j = d - i at i.
      Kernels().scale(fScaled.data(), gScaled.data() + (n - x - d), factor, first, last, w);
    }
  }
  static constexpr double kReach = 600.0;
  double LargestInBlock(int64_t d, int64_t block) const {
    double most = -HUGE_VAL;
    const int64_t to = std::min(LastI(d), block * kBlock + kBlock - 1);
    for (int64_t i = std::max(FirstI(d), block * kBlock); i <= to; ++i) most = std::max(most, Log(i, d));
    return most;
  }
  // The largest log weight: the block of the highest bound gives a first
  // value, and only blocks whose bound exceeds it are searched.
  void FindLargest() {
    double highest = -HUGE_VAL;
    int64_t bestD = 0, bestBlock = 0;
    for (int64_t d = 0; d <= n; ++d)
      for (int64_t block = FirstI(d) / kBlock; block <= LastI(d) / kBlock; ++block)
        if (const double bound = Bound(d, block); bound > highest) highest = bound, bestD = d, bestBlock = block;
    largest = LargestInBlock(bestD, bestBlock);
    for (int64_t d = 0; d <= n; ++d)
      for (int64_t block = FirstI(d) / kBlock; block <= LastI(d) / kBlock; ++block)
        if (Bound(d, block) > largest) largest = std::max(largest, LargestInBlock(d, block));
  }
  // The blocks' largest and the cells' own factors, from f and g.
  void Derive() {
    fBlock.clear();
    gBlock.clear();
    for (int64_t i = 0; i <= x; i += kBlock) fBlock.push_back(LargestOfBlock(f, i));
    gWindow.resize(g.size());
    for (int64_t j = 0; j <= n - x; ++j) gWindow[static_cast<size_t>(j)] = LargestOfBlock(g, j);
    for (int64_t j = 0; j <= n - x; j += kBlock) gBlock.push_back(LargestOfBlock(g, j));
    fScaled.resize(f.size());
    for (size_t i = 0; i < f.size(); ++i) fScaled[i] = std::exp(f[i] - fBlock[i / kBlock]);
    gScaled.resize(g.size());
    for (size_t j = 0; j < g.size(); ++j) gScaled[g.size() - 1 - j] = std::exp(g[j] - gBlock[j / kBlock]);
    fBlockPower.clear();
    gBlockPower.clear();
    for (double v : fBlock) fBlockPower.push_back(Scaled::FromLog(v));
    for (double v : gBlock) gBlockPower.push_back(Scaled::FromLog(v));
  }
  // The same cells seen from the other corner: cell (i, j) as
  // (x - i, n - x - j), on diagonal n - d. Their weights are the same sums
  // of the same numbers, so the largest is the same.
  Cells Mirrored() const {
    Cells m;
    m.x = x;
    m.n = n;
    m.f.assign(f.rbegin(), f.rend());
    m.g.assign(g.rbegin(), g.rend());
    m.h.assign(h.rbegin(), h.rend());
    m.Derive();
    m.largest = largest;
    return m;
  }
  bool HasCells(int64_t d) const {
    for (int64_t block = FirstI(d) / kBlock; block <= LastI(d) / kBlock; ++block)
      if (Bound(d, block) - largest >= -kNegligibleLog) return true;
    return false;
  }
};

// lgamma(a + k), k = 0 .. m, less a constant that the cells' weights do
// not see. Beyond kLargeShape lgamma(a + k) is too large to keep the units
// that tell one k from the next (near 3e16 at a = 1e15, whose ulp is 4),
// so there it is k log a + log1p(0 / a) + ... + log1p((k - 1) / a), whose
// terms stay small.
std::vector<double> LogGammas(double a, int64_t m) {
  std::vector<double> v(static_cast<size_t>(m + 1));
  if (a < kLargeShape) {
    for (int64_t k = 0; k <= m; ++k) v[static_cast<size_t>(k)] = boost::math::lgamma(a + static_cast<double>(k));
    return v;
  }
  const double logA = std::log(a);
  double rise = 0.0;  // log1p(0 / a) + ... + log1p((k - 1) / a)
  for (int64_t k = 0; k <= m; ++k) {
    const double K = static_cast<double>(k);
    v[static_cast<size_t>(k)] = K * logA + rise;
    rise += std::log1p(K / a);
  }
  return v;
}

Cells MakeCells(int64_t x, int64_t n, const double* pr) {
  const double ap = pr[0], bp = pr[1], as = pr[2], bs = pr[3], ac = pr[4], bc = pr[5];
  Cells cells;
  cells.x = x;
  cells.n = n;
  cells.f.resize(static_cast<size_t>(x + 1));
  cells.g.resize(static_cast<size_t>(n - x + 1));
  cells.h.resize(static_cast<size_t>(n + 1));
  auto at = [](const std::vector<double>& v, int64_t k) { return v[static_cast<size_t>(k)]; };
  // f and g take about as many gamma functions as h.
  SideBySide(
      WorthAThread(x, n),
      [&] {
        const std::vector<double> logFactorial = LogGammas(1.0, n);
        auto logChoose = [&](int64_t m, int64_t k) {
          return at(logFactorial, m) - at(logFactorial, k) - at(logFactorial, m - k);
        };
        const std::vector<double> sI = LogGammas(as, x), cI = LogGammas(bc, x);
        const std::vector<double> sJ = LogGammas(bs, n - x), cJ = LogGammas(ac, n - x);
        for (int64_t i = 0; i <= x; ++i)
          cells.f[static_cast<size_t>(i)] = logChoose(x, i) + at(sI, i) + at(cI, x - i);
        for (int64_t j = 0; j <= n - x; ++j)
          cells.g[static_cast<size_t>(j)] = logChoose(n - x, j) + at(sJ, j) + at(cJ, n - x - j);
      },
      [&] {
        const std::vector<double> pD = LogGammas(ap, n), pE = LogGammas(bp, n);
        const std::vector<double> sD = LogGammas(as + bs, n), cE = LogGammas(ac + bc, n);
        for (int64_t k = 0; k <= n; ++k)
          cells.h[static_cast<size_t>(k)] = at(pD, k) + at(pE, n - k) - at(sD, k) - at(cE, n - k);
      });
  cells.Derive();
  cells.FindLargest();
  // Weights beyond a double's range leave nothing to scale by; the guard
  // around the export answers QUORBEL_E_GENERAL (the shapes taken stay
  // far from it).
  if (!std::isfinite(cells.largest)) throw std::overflow_error("the mixture's weights are out of range");
  return cells;
}

// A band of Beta components Beta(first + k, total - first - k), k = lo .. hi,
// all of one total shape, with weights w[k]. The arrays hold one element
// more at each end, kept 0 where the band does not reach, so that every
// component is raised by the same expression.
struct Band {
  std::vector<double> memory;  // the weights and the spare they are raised into
  double* store;               // component k at [k + 1]; beyond lo .. hi, anything but the guards
  double* spare;
  std::vector<double> shapes;  // [k + 1] = first + k, component k's first shape
  int64_t lo = 0, hi = -1;

  // The spare starts half a page after a page's multiple from the store:
  // a store to one and a load from the other at the same offset in their
  // pages would make the processor wait.
  Band(size_t size, double first)
      : memory(Apart(size + 2) + size + 2, 0.0), store(memory.data()), spare(memory.data() + Apart(size + 2)),
        shapes(size + 2) {
    for (size_t k = 0; k < shapes.size(); ++k) shapes[k] = first + static_cast<double>(k) - 1.0;
  }
  Band(const Band&) = delete;
  Band& operator=(const Band&) = delete;
  static size_t Apart(size_t length) { return (length + kPage - 1) / kPage * kPage + kPage / 2; }
  static constexpr size_t kPage = 4096 / sizeof(double);
  double* W() { return store + 1; }
  const double* W() const { return store + 1; }
  bool Empty() const { return hi < lo; }

  // Adds weights[from .. to] at k = from .. to.
  void Add(const double* weights, int64_t from, int64_t to) {
    Cover(from, to);
    double* w = W();
    for (int64_t k = from; k <= to; ++k) w[k] += weights[k];
  }
  // Adds weights[from .. to] at k = from .. to and raises the total shape
  // by one, exactly: Beta(P, Q) is
  // P / (P + Q) Beta(P + 1, Q) + Q / (P + Q) Beta(P, Q + 1). Component k
  // keeps Q / (P + Q) of itself and takes P / (P + Q) of k - 1; the sums
  // are those of adding first and raising after, done in one pass, which
  // also gives Sum(weights, from, to + 1) to *sum when sum is given.
  // weights[to + 1] must be 0. Components too light to matter are dropped
  // from the ends.
  void AddAndRaise(const double* weights, int64_t from, int64_t to, double total, double* sum) {
    Cover(from, to);
    const double r = 1.0 / total;
    double carry = RaiseRange(nullptr, lo, from - 1, r, 0.0);
    carry = RaiseRange(weights, from, to + 1, r, carry, sum);
    RaiseRange(nullptr, to + 2, hi + 1, r, carry);
    Swap();
  }
  // Raises the total shape by one, as above, adding nothing.
  void Raise(double total) {
    if (Empty()) return;
    RaiseRange(nullptr, lo, hi + 1, 1.0 / total);
    Swap();
  }
  // The band as a run at total shape `total`, and the band emptied. The
  // index stands for the first shape, Beta(first + k, total - first - k),
  // or with `second` for the second, Beta(total - first - k, first + k),
  // the run then going down the index so that its first shape rises.
  Run Take(double first, double total, bool second) {
    const double from = static_cast<double>(second ? hi : lo);
    const double* w = W();
    Run run = second ? Run{total - first - from, first + from, {std::reverse_iterator<const double*>(w + hi + 1),
                                                                std::reverse_iterator<const double*>(w + lo)}}
                     : Run{first + from, total - first - from, {w + lo, w + hi + 1}};
    lo = 0;
    hi = -1;
    return run;
  }
  // Raising a band costs its width a diagonal: once the raised components
  // spread much wider than the diagonal's own, the band is closed as a run
  // of its own and a new one begun.
  bool SpreadBeyond(int64_t from, int64_t to) const {
    const int64_t width = Empty() ? to - from + 1 : std::max(hi, to) - std::min(lo, from) + 1;
    return width > kSpread * (to - from + 1) + kSlack;
  }

  // Weights below this are dropped: the largest cell weighs 1.
  static constexpr double kLight = 1e-20;
  static constexpr int64_t kSpread = 2, kSlack = 256;

 private:
  // Widens the band to take k = from .. to, the new components at 0.
  void Cover(int64_t from, int64_t to) {
    double* w = W();
    if (Empty()) lo = from, hi = from - 1;
    for (int64_t k = from; k < lo; ++k) w[k] = 0.0;
    for (int64_t k = hi + 1; k <= to; ++k) w[k] = 0.0;
    lo = std::min(lo, from);
    hi = std::max(hi, to);
    Guard();
  }
  // The elements just outside the band read as 0.
  void Guard() {
    double* w = W();
    if (Empty()) return;
    w[lo - 1] = 0.0;
    w[hi + 1] = 0.0;
  }
  // The raised components k = first .. last into the spare (see
  // RaiseKernel), of the weights plus `add`'s when given. `carry` is the
  // part moved up from first - 1; returns the part moved up from last.
  double RaiseRange(const double* add, int64_t first, int64_t last, double r, double carry = 0.0,
                    double* sum = nullptr) {
    return Kernels().raise(W(), add, shapes.data() + 1, r, carry, first, last, spare + 1, sum);
  }
  // The raised band, one component longer, takes the place of the old.
  void Swap() {
    std::swap(store, spare);
    ++hi;
    Trim();
  }
  void Trim() {
    const double* w = W();
    while (hi >= lo && w[hi] < kLight) --hi;
    while (lo <= hi && w[lo] < kLight) ++lo;
    Guard();
  }
};

// One test's components gathered into a few runs by one sweep over the
// diagonals, from the first to the last, raising each diagonal's band into
// the next. The sensitivity's, Beta(a_s + i, b_s + j), lie on diagonals of
// total a_s + b_s + d. The specificity's, Beta(a_c + n - x - j, b_c + x - i),
// are those of the mirrored cells (i' = x - i, j' = n - x - j, d' = n - d):
// Beta(a_c + j', b_c + i') on diagonals of total a_c + b_c + d'. `indexed`
// is the shape that the band's index adds to (a_s, or b_c with `second`),
// `other` the other one. byD, when given, receives each diagonal's weight,
// the prevalence's component Beta(a_p + d, b_p + n - d).
Mixture Gather(const Cells& cells, int64_t firstD, int64_t lastD, double indexed, double other, bool second,
               std::vector<double>* byD) {
  Mixture mixture;
  Band band(static_cast<size_t>(cells.n + 2), indexed);
  // The diagonal's weights at [i + 1], with a 0 on either side of them.
  std::vector<double> store(static_cast<size_t>(cells.x + 3));
  double* weights = store.data() + 1;
  for (int64_t d = firstD;; ++d) {
    const double total = indexed + other + static_cast<double>(d);
    int64_t from, to;
    const bool some = cells.Diagonal(d, weights, &from, &to);
    if (some) weights[from - 1] = weights[to + 1] = 0.0;
    // The diagonal's weight, summed with the raising where there is one.
    double sum = 0.0;
    if (d == lastD || (some && band.SpreadBeyond(from, to))) {
      if (some) band.Add(weights, from, to), sum = Sum(weights, from, to + 1);
      if (!band.Empty()) mixture.runs.push_back(band.Take(indexed, total, second));
    } else if (some) {
      band.AddAndRaise(weights, from, to, total, byD != nullptr ? &sum : nullptr);
    } else {
      band.Raise(total);
    }
    if (byD != nullptr) byD->push_back(sum);
    if (d == lastD) return mixture;
  }
}

// P(Se + Sp <= 1) under the priors: the integral over s of
// P(Sp <= 1 - s) Beta(s; a_s, b_s).
double UselessTestPrior(const double* pr) {
  boost::math::quadrature::tanh_sinh<double> rule;
  auto integrand = [&](double s) {
    return boost::math::ibeta(pr[4], pr[5], 1.0 - s) * boost::math::ibeta_derivative(pr[2], pr[3], s);
  };
  return std::clamp(rule.integrate(integrand, 0.0, 1.0, 1e-10), 0.0, 1.0);
}

// The three posteriors summarised, and P(Se + Sp <= 1) under the priors.
// The two tests' sweeps share nothing but the cells they read, and each
// thread summarises what it gathered.
QuorbelExactBayes Posteriors(int64_t x, int64_t n, const double* pr, double level, double threshold) {
  const Cells cells = MakeCells(x, n, pr);
  int64_t firstD = 0, lastD = n;
  while (!cells.HasCells(firstD)) ++firstD;
  while (!cells.HasCells(lastD)) --lastD;
  QuorbelExactBayes out{};
  SideBySide(
      WorthAThread(x, n),
      [&] {
        std::vector<double> byD;
        Mixture sensitivity = Gather(cells, firstD, lastD, pr[2], pr[3], false, &byD);
        const double first = static_cast<double>(firstD), N = static_cast<double>(n);
        Mixture prevalence;
        prevalence.runs.push_back(Run{pr[0] + first, pr[1] + N - first, std::move(byD)});
        out.prevalence = prevalence.Normalised().Summary(level, threshold);
        out.sensitivity = sensitivity.Normalised().Summary(level, threshold);
      },
      [&] {
        Mixture specificity = Gather(cells.Mirrored(), n - lastD, n - firstD, pr[5], pr[4], true, nullptr);
        out.specificity = specificity.Normalised().Summary(level, threshold);
        out.uselessTestPrior = UselessTestPrior(pr);
      });
  return out;
}

bool IsShape(double v) { return v > 0.0 && v <= QUORBEL_EXACT_MAX_BAYES_SHAPE; }

}  // namespace

extern "C" QuorbelResult QuorbelExact_BayesPrevalence(int32_t positives, int32_t sample, const double* priors,
                                                      double confidenceLevel, double threshold,
                                                      QuorbelExactBayes* result) {
  if (sample < 1 || sample > QUORBEL_EXACT_MAX_BAYES_SAMPLE) return QUORBEL_EXACT_E_SAMPLE;
  if (positives < 0 || positives > sample) return QUORBEL_EXACT_E_POSITIVES;
  if (priors == nullptr || !std::all_of(priors, priors + 6, IsShape)) return QUORBEL_EXACT_E_PRIOR;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  if (!(threshold >= 0.0 && threshold <= 1.0)) return QUORBEL_EXACT_E_THRESHOLD;
  return RunGuarded([&] {
    *result = Posteriors(positives, sample, priors, confidenceLevel / 100.0, threshold);
    return QuorbelResult{QUORBEL_OK};
  });
}
