// The argument checks of the freedom exports, shared by them.
#ifndef QUORBEL_FREEDOM_CHECKS_H
#define QUORBEL_FREEDOM_CHECKS_H

#include <cmath>
#include <cstdint>

#include "quorbel_freedom.h"

namespace quorbel::freedom {

// A probability strictly between 0 and 1 (NaN fails).
inline bool IsOpen(double v) { return v > 0.0 && v < 1.0; }

// 0 < v <= 1 (NaN fails).
inline bool IsProbability(double v) { return v > 0.0 && v <= 1.0; }

// A whole number from `least` to INT32_MAX.
inline bool IsWhole(double v, double least) { return v >= least && v <= INT32_MAX && v == std::floor(v); }

// A finite population as a count, an infinite one as 0; false for anything else.
inline bool ReadPopulation(double population, int64_t* units) {
  if (std::isinf(population) && population > 0) return *units = 0, true;
  if (!IsWhole(population, 1)) return false;
  *units = static_cast<int64_t>(population);
  return true;
}

}  // namespace quorbel::freedom

#endif
