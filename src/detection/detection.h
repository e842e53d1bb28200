// What the detection sample sizes share: the test checks, the test scheme,
// and the finite-population approximation for finding at least one positive.
#ifndef QUORBEL_DETECTION_DETECTION_H
#define QUORBEL_DETECTION_DETECTION_H

#include <cmath>

#include "library/rules.h"

namespace quorbel {

// A proportion is given when it passes the inclusive proportion check.
inline bool IsGiven(float value) { return IsProportionInclusive(value); }

constexpr int kParallel = 2;

// The checks of the one or two tests, in their order (part of the contract).
inline ResultCode CheckTests(float se1, float sp1, float se2, float sp2, int combination) {
  if (!IsGiven(se1)) return QUORBEL_E_SENSITIVITY;
  if (!IsGiven(sp1)) return QUORBEL_E_SPECIFICITY;
  if (!IsGiven(se2) && IsGiven(sp2)) return QUORBEL_E_SENSITIVITY;
  if (IsGiven(se2) && !IsGiven(sp2)) return QUORBEL_E_SPECIFICITY;
  if (IsGiven(se2) && combination == 0) return QUORBEL_E_TEST_COMBINATION;
  return QUORBEL_OK;
}

struct TestScheme {
  float sensitivity;
  float specificity;
};

// Two tests combined: in parallel (positive when either is) or in series
// (positive when both are), in double precision.
struct CombinedTest {
  double sensitivity, specificity;
};

inline CombinedTest Combine(double se1, double sp1, double se2, double sp2, int combination) {
  if (combination == kParallel) return {1.0 - (1.0 - se1) * (1.0 - se2), sp1 * sp2};
  return {se1 * se2, 1.0 - (1.0 - sp1) * (1.0 - sp2)};
}

// One test, or two combined; both values held.
inline TestScheme CombineTests(float se1, float sp1, float se2, float sp2, int combination) {
  if (!IsGiven(se2)) return {se1, sp1};
  const CombinedTest test = Combine(se1, sp1, se2, sp2, combination);
  return {Hold(test.sensitivity), Hold(test.specificity)};
}

// The confidence as a held fraction, CL = level / 100, and q = 1 - CL held.
inline float MissProbability(int confidencePercent) {
  const float confidence = Hold(confidencePercent / 100.0);
  return Hold(1.0 - confidence);
}

// Animals to sample from `population` to find at least one of `d` expected
// positives with probability 1 - q: (1 - r)(population - (d - 1) / 2) with
// r = q^(1 / d held) held; r is 0 when d is 0.
inline double DetectionSize(float q, double d, double population) {
  const float r = d == 0.0 ? 0.0f : Hold(std::pow(static_cast<double>(q), static_cast<double>(Hold(1.0 / d))));
  return (1.0 - r) * (population - (d - 1.0) * 0.5);
}

// The cut-off written for a search that stopped at k: k - 1, or 0 for k = 0.
inline int32_t CutOffFor(int k) { return k > 0 ? k - 1 : 0; }

}  // namespace quorbel

#endif
