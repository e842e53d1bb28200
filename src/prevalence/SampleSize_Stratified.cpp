// SampleSize_Stratified: sample size of a stratified survey of a prevalence,
// shared among the strata by Neyman allocation. See quorbel.h.
//
//   n   = sum(N_h^2 p_h q_h / a_h) / (N^2 (d P / z)^2 + sum(N_h p_h q_h))
//   a_h = N_h sqrt(p_h q_h) / sum(N_k sqrt(p_k q_k)),   q_h = 1 - p_h
//   stratum h gets trunc(n a_h) + 1
//
// Every named intermediate is held as a float, and the running sums T, A and
// B are held after each addition; the sums T and SW start from stratum 2.
#include <cmath>
#include <cstdint>

#include "library/rules.h"
#include "prevalence/strata.h"

using namespace quorbel;

namespace {

struct PlannedStratum {
  int size;
  float prevalence;
};

// Number of present slots: 1 and 2 always, then 3 to 5 while their size is
// at least 1.
int CountPlannedStrata(const PlannedStratum (&strata)[QUORBEL_STRATA]) {
  int present = 2;
  while (present < QUORBEL_STRATA && strata[present].size >= 1) ++present;
  return present;
}

// A prevalence for which p (1 - p) has a real, non-zero root.
bool IsInsideUnitInterval(float p) { return p > 0.0f && p < 1.0f; }

ResultCode CheckPlannedStrata(int confidenceLevel, float precision, const PlannedStratum (&strata)[QUORBEL_STRATA],
                       int present) {
  // The order of these checks is part of the contract.
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (!IsProportionExclusive(precision)) return QUORBEL_E_PRECISION;
  if (strata[0].size < 1 || strata[1].size < 1) return QUORBEL_E_STRATUM;
  if (!IsProportionExclusive(strata[0].prevalence)) return QUORBEL_E_STRATUM;
  if (!IsProportionExclusive(strata[1].prevalence)) return QUORBEL_E_STRATUM;
  for (int h = 2; h < present; ++h)
    if (!IsInsideUnitInterval(strata[h].prevalence)) return QUORBEL_E_STRATUM;
  return QUORBEL_OK;
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL SampleSize_Stratified(
    int confidenceLevel, float precision, int stratum1Size, float prevalence1, int stratum2Size,
    float prevalence2, int stratum3Size, float prevalence3, int stratum4Size, float prevalence4,
    int stratum5Size, float prevalence5, StratifiedSampleSizeResult* result) {
  const PlannedStratum strata[QUORBEL_STRATA] = {{stratum1Size, prevalence1}, {stratum2Size, prevalence2},
                                          {stratum3Size, prevalence3}, {stratum4Size, prevalence4},
                                          {stratum5Size, prevalence5}};
  const int present = CountPlannedStrata(strata);
  if (const ResultCode code = CheckPlannedStrata(confidenceLevel, precision, strata, present)) return code;

  const float z2 = ConfidenceQuantileSquared(confidenceLevel);
  int64_t totalSize = 0;
  for (int h = 0; h < present; ++h) totalSize += strata[h].size;
  const float population = Hold(static_cast<double>(totalSize));

  auto weighted = [&](int h) { return static_cast<double>(strata[h].size) * strata[h].prevalence; };
  float t = Hold(weighted(1) + weighted(0));
  for (int h = 2; h < present; ++h) t = Hold(t + weighted(h));
  const float p = Hold(static_cast<double>(t) / population);
  result->prevalence = p;

  const float e = Hold(static_cast<double>(precision) * p);
  const float e2 = Hold(static_cast<double>(e) * e);
  const float v = Hold(static_cast<double>(e2) / z2);

  float w[QUORBEL_STRATA] = {};
  for (int h = 0; h < present; ++h) {
    const double ph = strata[h].prevalence;
    const float s = Hold(std::sqrt(static_cast<double>(Hold(ph * (1.0 - ph)))));
    w[h] = Hold(static_cast<double>(s) * strata[h].size);
  }
  double swSum = 0.0;
  for (int h : kStrataSecondFirst) swSum += w[h];
  const float sw = Hold(swSum);

  float a[QUORBEL_STRATA] = {};
  float sumA = 0.0f, sumB = 0.0f;
  for (int h = 0; h < present; ++h) {
    const double ph = strata[h].prevalence;
    const double size = strata[h].size;
    a[h] = Hold(static_cast<double>(w[h]) / sw);
    const float sizeSquared = Hold(size * size);
    sumA = Hold(sumA + static_cast<double>(sizeSquared) * ph * (1.0 - ph) / a[h]);
    sumB = Hold(sumB + (1.0 - ph) * size * ph);
  }
  const float population2 = Hold(static_cast<double>(population) * population);
  const float n = Hold(static_cast<double>(sumA) / (static_cast<double>(population2) * v + sumB));

  int64_t total = 0;
  for (int h = 0; h < QUORBEL_STRATA; ++h) {
    result->stratumSizes[h] = h < present ? WholeNumberSize(static_cast<double>(n) * a[h]) : 0;
    total += result->stratumSizes[h];
  }
  result->total = total > INT32_MAX ? QUORBEL_SIZE_UNBOUNDED : static_cast<int32_t>(total);
  return QUORBEL_OK;
}
