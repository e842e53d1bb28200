// QuorbelExact_BayesPrevalence: the true prevalence, sensitivity and
// specificity after a test of n animals, with Beta priors, as exact finite
// mixtures of Beta distributions. See quorbel_exact.h.
//
// The weight of term (i, j) is exp(F[i] + G[j] + H[i + j]): every factor of
// C(x, i) C(n - x, j) B(a_s + i, b_s + j) B(a_c + n - x - j, b_c + x - i)
// B(a_p + i + j, b_p + n - i - j) is a gamma function of i, of j or of
// i + j alone, so three arrays of log-gammas give every weight by two
// additions.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "exact/boost_config.h"
#include <boost/math/distributions/normal.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>
#include <boost/math/special_functions/beta.hpp>
#include <boost/math/special_functions/gamma.hpp>

#include "exact/checks.h"

using namespace quorbel::exact;

namespace {

// Terms below exp(-kNegligibleLog) of the largest are left out.
constexpr double kNegligibleLog = 37.0;  // e^-37 is about 1e-16

// A run of Beta components whose shapes step by one from (a, b): along the
// run b rises by 1 (kRisingB), a falls by 1 (kFallingA), or a rises and b
// falls by 1 (kShiftingA). Along a run the incomplete beta follows by exact
// recurrences, so a run costs one incomplete beta however long it is.
enum class Step { kRisingB, kFallingA, kShiftingA };

struct Run {
  double a, b;
  Step step;
  std::vector<double> weight;
};

// D = t^a (1 - t)^b / B(a, b), carried as mantissa x 2^exponent: far from
// t it lies below the smallest double, and the recurrences must still see
// it grow back.
// The value is mantissa x 2^exponent, by one multiplication while 2^exponent
// is a normal double (the product is then ldexp's, rounded once), by ldexp
// beyond.
struct Scaled {
  double mantissa;
  int exponent;
  double power;  // 2^exponent when that is a normal double, else 0

  static Scaled FromLog(double log) {
    const int exponent = static_cast<int>(std::floor(log / kLn2));
    Scaled d{std::exp(log - exponent * kLn2), exponent, 0.0};
    d.SetPower();
    return d;
  }
  void SetPower() { power = exponent >= -1022 && exponent <= 1023 ? std::ldexp(1.0, exponent) : 0.0; }
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

  static constexpr double kLn2 = 0.69314718055994530942;
};

double LogBeta(double a, double b) {
  return boost::math::lgamma(a) + boost::math::lgamma(b) - boost::math::lgamma(a + b);
}

// Sums of w_m I_t(a_m, b_m) and of w_m D_m over a run, D = t^a (1 - t)^b /
// B(a, b) being t (1 - t) times the Beta density, by
//   I(a, b + 1) = I(a, b) + D / b,                D(a, b + 1) = D (1 - t)(a + b) / b;
//   I(a - 1, b) = I(a, b) + D / (t (a + b - 1)),  D(a - 1, b) = D (a - 1) / (t (a + b - 1));
//   I(a + 1, b - 1) = I(a, b) - D / (a (1 - t)),  D(a + 1, b - 1) = D t (b - 1) / ((1 - t) a).
struct CdfSums {
  double cdf = 0.0, density = 0.0;  // density: times t (1 - t)
};

CdfSums RunCdf(const Run& run, double t) {
  double a = run.a, b = run.b;
  CdfSums total;
  double cdf = boost::math::ibeta(a, b, t);
  Scaled d = Scaled::FromLog(a * std::log(t) + b * std::log1p(-t) - LogBeta(a, b));
  double value = d.Value();  // D of the component at hand, taken once
  for (size_t m = 0; m < run.weight.size(); ++m) {
    if (m > 0) {
      if (run.step == Step::kRisingB) {
        cdf += value / b;
        d.Times((1.0 - t) * (a + b) / b);
        b += 1.0;
      } else if (run.step == Step::kFallingA) {
        const double ratio = 1.0 / (t * (a + b - 1.0));
        cdf += value * ratio;
        d.Times((a - 1.0) * ratio);
        a -= 1.0;
      } else {
        cdf -= value / (a * (1.0 - t));
        d.Times(t * (b - 1.0) / ((1.0 - t) * a));
        a += 1.0;
        b -= 1.0;
      }
      value = d.Value();
    }
    total.cdf += run.weight[m] * std::clamp(cdf, 0.0, 1.0);
    total.density += run.weight[m] * value;
  }
  return total;
}

// A mixture of Beta distributions in runs, its weights summing to 1.
struct Mixture {
  std::vector<Run> runs;

  void Normalise() {
    double sum = 0.0;
    for (const Run& run : runs)
      for (double w : run.weight) sum += w;
    for (Run& run : runs)
      for (double& w : run.weight) w /= sum;
  }
  // The mean and the standard deviation of the mixture.
  std::pair<double, double> Moments() const {
    double mean = 0.0, square = 0.0;
    for (const Run& run : runs)
      for (size_t m = 0; m < run.weight.size(); ++m) {
        const double shift = static_cast<double>(m);
        const double a = run.step == Step::kFallingA ? run.a - shift
                         : run.step == Step::kShiftingA ? run.a + shift : run.a;
        const double b = run.step == Step::kRisingB ? run.b + shift
                         : run.step == Step::kShiftingA ? run.b - shift : run.b;
        const double componentMean = a / (a + b);
        mean += run.weight[m] * componentMean;
        square += run.weight[m] * componentMean * (a + 1.0) / (a + b + 1.0);  // E[t^2] of Beta(a, b)
      }
    return {mean, std::sqrt(std::max(square - mean * mean, 0.0))};
  }
  // The CDF at t and the density, in one pass over the components.
  std::pair<double, double> CdfAndDensity(double t) const {
    if (t <= 0.0) return {0.0, 0.0};
    if (t >= 1.0) return {1.0, 0.0};
    CdfSums sums;
    for (const Run& run : runs) {
      const CdfSums part = RunCdf(run, t);
      sums.cdf += part.cdf;
      sums.density += part.density;
    }
    return {std::clamp(sums.cdf, 0.0, 1.0), sums.density / (t * (1.0 - t))};
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

double LogChoose(double n, double k) {
  return boost::math::lgamma(n + 1.0) - boost::math::lgamma(k + 1.0) - boost::math::lgamma(n - k + 1.0);
}

struct Posterior {
  Mixture prevalence, sensitivity, specificity;
};

Posterior Build(int64_t x, int64_t n, const double* pr) {
  const double ap = pr[0], bp = pr[1], as = pr[2], bs = pr[3], ac = pr[4], bc = pr[5];
  const double X = static_cast<double>(x), N = static_cast<double>(n);
  using boost::math::lgamma;
  std::vector<double> f(static_cast<size_t>(x + 1)), g(static_cast<size_t>(n - x + 1)), h(static_cast<size_t>(n + 1));
  for (int64_t i = 0; i <= x; ++i) {
    const double I = static_cast<double>(i);
    f[static_cast<size_t>(i)] = LogChoose(X, I) + lgamma(as + I) + lgamma(bc + X - I);
  }
  for (int64_t j = 0; j <= n - x; ++j) {
    const double J = static_cast<double>(j);
    g[static_cast<size_t>(j)] = LogChoose(N - X, J) + lgamma(bs + J) + lgamma(ac + N - X - J);
  }
  for (int64_t k = 0; k <= n; ++k) {
    const double K = static_cast<double>(k);
    h[static_cast<size_t>(k)] = lgamma(ap + K) + lgamma(bp + N - K) - lgamma(as + bs + K) - lgamma(ac + bc + N - K);
  }
  double largest = -HUGE_VAL;
  for (int64_t i = 0; i <= x; ++i)
    for (int64_t j = 0; j <= n - x; ++j)
      largest = std::max(largest, f[static_cast<size_t>(i)] + g[static_cast<size_t>(j)] + h[static_cast<size_t>(i + j)]);
  const double gMax = *std::max_element(g.begin(), g.end()), hMax = *std::max_element(h.begin(), h.end());
  Posterior post;
  std::vector<double> byK(static_cast<size_t>(n + 1), 0.0);
  for (int64_t i = 0; i <= x; ++i) {
    const double fi = f[static_cast<size_t>(i)] - largest;
    if (fi + gMax + hMax < -kNegligibleLog) continue;
    const double I = static_cast<double>(i);
    Run* sensitivity = nullptr;
    Run* specificity = nullptr;
    for (int64_t j = 0; j <= n - x; ++j) {
      const double v = fi + g[static_cast<size_t>(j)] + h[static_cast<size_t>(i + j)];
      if (v < -kNegligibleLog) {
        sensitivity = specificity = nullptr;  // a gap ends the runs
        continue;
      }
      const double w = std::exp(v), J = static_cast<double>(j);
      byK[static_cast<size_t>(i + j)] += w;
      if (sensitivity == nullptr) {
        sensitivity = &post.sensitivity.runs.emplace_back(Run{as + I, bs + J, Step::kRisingB, {}});
        specificity = &post.specificity.runs.emplace_back(Run{ac + N - X - J, bc + X - I, Step::kFallingA, {}});
      }
      sensitivity->weight.push_back(w);
      specificity->weight.push_back(w);
    }
  }
  // The prevalence's components, Beta(a_p + k, b_p + n - k), in one run
  // from the first k that carries weight to the last.
  int64_t first = 0, last = n;
  while (byK[static_cast<size_t>(first)] == 0.0) ++first;
  while (byK[static_cast<size_t>(last)] == 0.0) --last;
  post.prevalence.runs.push_back(Run{ap + static_cast<double>(first), bp + N - static_cast<double>(first),
                                     Step::kShiftingA,
                                     std::vector<double>(byK.begin() + first, byK.begin() + last + 1)});
  post.prevalence.Normalise();
  post.sensitivity.Normalise();
  post.specificity.Normalise();
  return post;
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

bool IsShape(double v) { return v > 0.0 && std::isfinite(v); }

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
    const Posterior post = Build(positives, sample, priors);
    const double level = confidenceLevel / 100.0;
    *result = QuorbelExactBayes{post.prevalence.Summary(level, threshold), post.sensitivity.Summary(level, threshold),
                                post.specificity.Summary(level, threshold), UselessTestPrior(priors)};
    return QuorbelResult{QUORBEL_OK};
  });
}
