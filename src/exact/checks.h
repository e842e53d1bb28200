// Argument checks of the exact layer's exports, and the guard they run under.
#ifndef QUORBEL_EXACT_CHECKS_H
#define QUORBEL_EXACT_CHECKS_H

#include <cmath>
#include <cstdint>

#include "library/exception_guard.h"
#include "quorbel_exact.h"

namespace quorbel::exact {

// 0 < v <= 1 (NaN fails).
inline bool IsProbability(double v) { return v > 0.0 && v <= 1.0; }

// A level in percent, 50 .. 99.99.
inline bool IsLevel(double level) { return level >= 50.0 && level <= 99.99; }

// A finite population: a whole number 1 .. INT32_MAX; an infinite one: any
// infinity, given back as 0. Returns false for anything else.
inline bool ReadPopulation(double population, int64_t* units) {
  if (std::isinf(population) && population > 0) {
    *units = 0;
    return true;
  }
  if (!(population >= 1.0 && population <= INT32_MAX) || population != std::floor(population)) return false;
  *units = static_cast<int64_t>(population);
  return true;
}

// The exports run their work under the library's guard, which turns any
// exception from the distributions into QUORBEL_E_GENERAL.
using quorbel::RunGuarded;

}  // namespace quorbel::exact

#endif
