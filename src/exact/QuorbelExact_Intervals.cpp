// QuorbelExact_ProportionIntervals and QuorbelExact_TruePrevalence: intervals
// of a binomial proportion at the exact normal quantile of the level, and the
// true prevalence behind an imperfect test. See quorbel_exact.h.
#include <algorithm>
#include "exact/boost_config.h"
#include <boost/math/distributions/beta.hpp>
#include <cmath>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

namespace {

double Clamp(double v) { return std::clamp(v, 0.0, 1.0); }

QuorbelExactInterval Around(double centre, double half) { return {Clamp(centre - half), Clamp(centre + half)}; }

QuorbelExactInterval Wilson(double x, double n, double z) {
  const double z2 = z * z;
  const double centre = (x + z2 / 2) / (n + z2);
  const double half = z * std::sqrt(x * (n - x) / n + z2 / 4) / (n + z2);
  return {Clamp(centre - half), Clamp(centre + half)};
}

// Beta quantiles at alpha / 2 and 1 - alpha / 2, with the ends fixed at
// x = 0 and x = n. Clopper-Pearson takes Beta(x, n - x + 1) below and
// Beta(x + 1, n - x) above; Jeffreys Beta(x + 1/2, n - x + 1/2) for both.
QuorbelExactInterval BetaInterval(double x, double n, double alpha, bool jeffreys) {
  using boost::math::beta_distribution;
  const double lower = x == 0 ? 0.0
                              : boost::math::quantile(jeffreys ? beta_distribution<double>(x + 0.5, n - x + 0.5)
                                                               : beta_distribution<double>(x, n - x + 1),
                                                      alpha / 2);
  const double upper = x == n ? 1.0
                              : boost::math::quantile(jeffreys ? beta_distribution<double>(x + 0.5, n - x + 0.5)
                                                               : beta_distribution<double>(x + 1, n - x),
                                                      1 - alpha / 2);
  return {lower, upper};
}

QuorbelExactInterval AgrestiCoull(double x, double n, double z) {
  const double tilde = n + z * z, p = (x + z * z / 2) / tilde;
  return Around(p, z * std::sqrt(p * (1 - p) / tilde));
}

}  // namespace

extern "C" QuorbelResult QuorbelExact_ProportionIntervals(int32_t positives, int32_t sample, double confidenceLevel,
                                                          QuorbelExactProportion* result) {
  if (sample < 1) return QUORBEL_EXACT_E_SAMPLE;
  if (positives < 0 || positives > sample) return QUORBEL_EXACT_E_POSITIVES;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double x = positives, n = sample, z = NormalQuantile(confidenceLevel), p = x / n;
    const double alpha = 1 - confidenceLevel / 100.0;
    QuorbelExactProportion out;
    out.proportion = p;
    out.z = z;
    out.wald = Around(p, z * std::sqrt(p * (1 - p) / n));
    out.wilson = Wilson(x, n, z);
    out.clopperPearson = BetaInterval(x, n, alpha, false);
    out.jeffreys = BetaInterval(x, n, alpha, true);
    out.agrestiCoull = AgrestiCoull(x, n, z);
    *result = out;
    return QUORBEL_OK;
  });
}

extern "C" QuorbelResult QuorbelExact_TruePrevalence(int32_t positives, int32_t sample, double sensitivity,
                                                     double specificity, double confidenceLevel,
                                                     QuorbelExactTruePrevalence* result) {
  if (sample < 1) return QUORBEL_EXACT_E_SAMPLE;
  if (positives < 0 || positives > sample) return QUORBEL_EXACT_E_POSITIVES;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_EXACT_E_SPECIFICITY;
  if (!(sensitivity + specificity > 1.0)) return QUORBEL_EXACT_E_USELESS_TEST;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double x = positives, n = sample, ap = x / n, z = NormalQuantile(confidenceLevel);
    auto rogan = [&](double a) { return Clamp((a + specificity - 1) / (sensitivity + specificity - 1)); };
    auto carried = [&](QuorbelExactInterval i) { return QuorbelExactInterval{rogan(i.lower), rogan(i.upper)}; };
    QuorbelExactTruePrevalence out;
    out.apparent = ap;
    out.estimate = rogan(ap);
    out.wilson = carried(Wilson(x, n, z));
    out.clopperPearson = carried(BetaInterval(x, n, 1 - confidenceLevel / 100.0, false));
    out.valid = !(ap < 1 - specificity || ap > sensitivity);
    *result = out;
    return QUORBEL_OK;
  });
}
