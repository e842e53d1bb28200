// SampleSize_TwoStages: clusters to draw, and animals in all, for a two-stage
// survey of a prevalence. See quorbel.h.
//
//   D        = 1 + (m - 1) rho                    (held)
//   clusters = trunc(P (1 - P) D z^2 / (E^2 m)) + 1, at least 25
//
// A D of 0 or less (a negative rho) gives a count of at most 1, which the
// minimum raises to 25.
#include <cmath>
#include <cstdint>

#include "library/rules.h"

using namespace quorbel;

namespace {

constexpr int kMinimumClusters = 25;

// rho of a preset: k / (m - 1) for presets 1 to 4, 1.0 for any other.
float PresetCorrelation(int preset, int animalsPerCluster) {
  static constexpr double kNumerators[] = {1.0, 3.0, 6.0, 6.5};
  if (preset < 1 || preset > 4) return 1.0f;
  return Hold(kNumerators[preset - 1] / (animalsPerCluster - 1.0));
}

// The rho argument is used when it lies at least 0.000001 away from zero.
bool IsGivenCorrelation(float rho) {
  const double r = rho;
  return r >= 0.000001 || r <= -0.000001;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL SampleSize_TwoStages(
    float prevalence, float precision, int confidenceLevel, int animalsPerCluster, int preset,
    float rho, TwoStageSampleSizeResult* result) {
  // The order of these checks is part of the contract.
  if (!IsProportionExclusive(prevalence)) return QUORBEL_E_CLUSTER_PREVALENCE;
  if (!IsProportionExclusive(precision)) return QUORBEL_E_PRECISION;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (animalsPerCluster < 2) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (preset == 0 && !(static_cast<double>(rho) >= 0.000001)) return QUORBEL_E_CORRELATION;

  const float correlation = IsGivenCorrelation(rho) ? rho : PresetCorrelation(preset, animalsPerCluster);
  const float designEffect = Hold((animalsPerCluster - 1.0) * correlation + 1.0);
  const double p = prevalence;
  const float e = Hold(static_cast<double>(precision) * p);
  const float e2 = Hold(static_cast<double>(e) * e);
  const float z2 = ConfidenceQuantileSquared(confidenceLevel);
  const double g = p * (1.0 - p) * designEffect * z2 / (static_cast<double>(e2) * animalsPerCluster);

  int32_t clusters = WholeNumberSize(g);
  const bool raised = clusters < kMinimumClusters;
  if (raised) clusters = kMinimumClusters;
  result->clusters = clusters;
  result->animals = SaturatingProduct(clusters, animalsPerCluster);
  result->minimumApplied = raised ? 1 : 0;
  return QUORBEL_OK;
}
