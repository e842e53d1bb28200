// Comparison_SampleSize: animals per group to detect a difference between two
// proportions, normal approximation with the Fleiss continuity correction.
// See quorbel.h.
//
//   k = [z sqrt(2 m (1 - m)) + zp sqrt(p1 q1 + p2 q2)]^2 / (p2 - p1)^2
//   n = (k / 4) [1 + sqrt(1 + 4 / (k (p2 - p1)))]^2,   size = trunc(n) + 1
//
// Every named step is held as a float; sqrt(e) zp and p2 - p1 (for c) stay in
// double.
#include <cmath>

#include "library/rules.h"

using namespace quorbel;

namespace {

// One-sided quantile for a confidence level that passed the check.
float OneSidedQuantile(int level) {
  if (level == 90) return 1.282f;
  if (level == 99) return 2.326f;
  return 1.645f;
}

// Quantile of a power of 80, 85, 90 or 95 %; 0 for any other power.
float PowerQuantile(int power) {
  switch (power) {
    case 80: return 0.842f;
    case 85: return 1.0366f;
    case 90: return 1.282f;
    case 95: return 1.645f;
    default: return 0.0f;
  }
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL Comparison_SampleSize(
    float p1, float p2, int confidenceLevel, int power, ComparisonSampleSizeResult* result) {
  // The order of these checks is part of the contract.
  if (!IsProportionInclusive(p1)) return QUORBEL_E_FIRST_PROPORTION;
  if (!IsProportionInclusive(p2)) return QUORBEL_E_SECOND_PROPORTION;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  const float zp = PowerQuantile(power);
  if (zp == 0.0f) return QUORBEL_E_POWER;
  if (p2 < p1) return QUORBEL_E_PROPORTION_ORDER;

  if (p2 == p1) {  // no sample reveals a difference of zero
    result->twoSided = QUORBEL_SIZE_UNBOUNDED;
    result->oneSided = QUORBEL_SIZE_UNBOUNDED;
    return QUORBEL_OK;
  }
  const double a1 = p1, a2 = p2;
  const float m = Hold((a1 + a2) * 0.5);
  const float e = Hold(a1 * (1.0 - a1) + a2 * (1.0 - a2));
  const double b = static_cast<double>(Hold(std::sqrt(static_cast<double>(e)))) * zp;
  const float f = Hold((1.0 - m) * (static_cast<double>(m) + m));
  const float sf = Hold(std::sqrt(static_cast<double>(f)));
  const float d = Hold(a2 - a1);
  const double dx = a2 - a1;

  auto size = [&](float z) {
    const float a = Hold(static_cast<double>(sf) * z + b);
    const float aa = Hold(static_cast<double>(a) * a);
    const float dd = Hold(static_cast<double>(d) * d);
    const float k = Hold(static_cast<double>(aa) / dd);
    const float c = Hold(4.0 / (dx * k) + 1.0);
    const float q = Hold(static_cast<double>(Hold(std::sqrt(static_cast<double>(c)))) + 1.0);
    const float qq = Hold(static_cast<double>(q) * q);
    const float n = Hold(static_cast<double>(k) * 0.25 * qq);
    return WholeNumberSize(n);
  };
  result->twoSided = size(ConfidenceQuantile(confidenceLevel));
  result->oneSided = size(OneSidedQuantile(confidenceLevel));
  return QUORBEL_OK;
}
