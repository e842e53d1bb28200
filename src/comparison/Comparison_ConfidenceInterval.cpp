// Comparison_ConfidenceInterval: the difference of two observed proportions
// with its Wald intervals at 90, 95 and 99 %. See quorbel.h.
//
//   SE = sqrt(p1 (1 - p1) / n1 + p2 (1 - p2) / n2),   limits d -+ z SE
//
// Unlike the confidence-level rule, the three quantiles here are doubles.
#include <cmath>

#include "library/rules.h"

using namespace quorbel;

namespace {

struct Level {
  float* lower;
  float* upper;
  uint8_t* significant;
  double z;
};

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL Comparison_ConfidenceInterval(
    float p1, int size1, float p2, int size2, ComparisonIntervalResult* result) {
  // The order of these checks is part of the contract.
  if (!IsProportionInclusive(p1)) return QUORBEL_E_FIRST_PROPORTION;
  if (!IsProportionInclusive(p2)) return QUORBEL_E_SECOND_PROPORTION;
  if (size1 < 1) return QUORBEL_E_FIRST_SAMPLE;
  if (size2 < 1) return QUORBEL_E_SECOND_SAMPLE;
  if (p2 < p1) return QUORBEL_E_PROPORTION_ORDER;

  const double a1 = p1, a2 = p2;
  const float d = Hold(a2 - a1);
  result->difference = d;
  const float n1 = Hold(size1), n2 = Hold(size2);
  const float v = Hold(a1 * (1.0 - a1) / n1 + a2 * (1.0 - a2) / n2);
  const double se = Hold(std::sqrt(static_cast<double>(v)));

  const Level levels[] = {{&result->lower90, &result->upper90, &result->significant90, 1.645},
                          {&result->lower95, &result->upper95, &result->significant95, 1.96},
                          {&result->lower99, &result->upper99, &result->significant99, 2.576}};
  for (const Level& level : levels) {
    const double h = level.z * se;
    const float lower = Hold(d - h);
    *level.lower = lower;
    *level.upper = Hold(d + h);
    *level.significant = lower > 0.0f ? 1 : 0;
  }
  return QUORBEL_OK;
}
