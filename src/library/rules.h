// The rules that many calculations share: single-precision holding points,
// the confidence-level quantiles, the proportion and positive-value checks,
// and the whole-number conversions of sample sizes. See quorbel.h.
#ifndef QUORBEL_LIBRARY_RULES_H
#define QUORBEL_LIBRARY_RULES_H

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "library/result_codes.h"

// Results are bit-exact only when float and double arithmetic are evaluated in
// their own precision (SSE), never in x87 extended precision.
static_assert(FLT_EVAL_METHOD == 0, "build with SSE arithmetic (-msse2 -mfpmath=sse)");

namespace quorbel {

// Rounds a double to single precision: every point where a value is "held as
// a float" goes through here, so they can all be found by name.
inline float Hold(double x) { return static_cast<float>(x); }

// Two-sided normal quantiles of the confidence-level rule, as floats.
constexpr float kZ90 = 1.645f;   // 0x3FD28F5C
constexpr float kZ95 = 1.96f;    // 0x3FFAE148, levels 91 to 98
constexpr float kZ99 = 2.576f;   // 0x4024DD2F

inline bool IsConfidenceLevel(int level) { return level >= 90 && level <= 99; }

// The quantile for a level that passed IsConfidenceLevel.
inline float ConfidenceQuantile(int level) {
  if (level == 90) return kZ90;
  if (level == 99) return kZ99;
  return kZ95;
}

// z squared as the single-precision product of z with itself.
inline float ConfidenceQuantileSquared(int level) {
  const float z = ConfidenceQuantile(level);
  return Hold(static_cast<double>(z) * z);
}

// The lower part of the proportion check, shared by its forms and by the
// positive-value check: (a) within 0.000001 of zero, (b) negative. A NaN is
// rejected as well, since no comparison would catch it.
inline bool FailsLowerBound(float v) {
  const double x = v;
  if (x > -0.000001 && x < 0.000001) return true;
  if (x < 0.0) return true;
  return std::isnan(x);
}

// Proportion check, exclusive form: accepted when 0.000001 <= v < 1.
inline bool IsProportionExclusive(float v) {
  return !FailsLowerBound(v) && !(static_cast<double>(v) >= 1.0);
}

// Proportion check, inclusive form: accepted when 0.000001 <= v <= 1.
inline bool IsProportionInclusive(float v) {
  return !FailsLowerBound(v) && !(static_cast<double>(v) > 1.0);
}

// Positive-value check: accepted when v >= 0.000001, no upper bound.
inline bool IsPositiveValue(float v) { return !FailsLowerBound(v); }

// The 32-bit bounds as doubles, for the saturating conversions below.
constexpr double kInt32Max = INT32_MAX;
constexpr double kInt32Min = INT32_MIN;

// Whole-number rule: trunc(x) + 1. A count beyond the 32-bit range (or from a
// NaN) saturates: at INT32_MAX above, INT32_MIN below.
inline int32_t WholeNumberSize(double x) {
  if (std::isnan(x) || x >= kInt32Max) return INT32_MAX;
  if (x <= kInt32Min - 1.0) return INT32_MIN;
  return static_cast<int32_t>(x) + 1;
}

// Round half up: floor(x + 0.5), where x already includes the 0.5. Saturates
// like WholeNumberSize.
inline int32_t FloorSize(double x) {
  if (std::isnan(x) || x >= kInt32Max + 1.0) return INT32_MAX;
  if (x < kInt32Min) return INT32_MIN;
  return static_cast<int32_t>(std::floor(x));
}

// Truncation toward zero, saturating like WholeNumberSize.
inline int32_t TruncatedSize(double x) {
  if (std::isnan(x) || x >= kInt32Max + 1.0) return INT32_MAX;
  if (x <= kInt32Min - 1.0) return INT32_MIN;
  return static_cast<int32_t>(x);
}

// a * b as a count, saturating like WholeNumberSize.
inline int32_t SaturatingProduct(int32_t a, int32_t b) {
  const int64_t product = static_cast<int64_t>(a) * b;
  if (product > INT32_MAX) return INT32_MAX;
  return product < INT32_MIN ? INT32_MIN : static_cast<int32_t>(product);
}

}  // namespace quorbel

#endif
