// The finite-population corrections, and the fixed ladder of population sizes
// beside which the sample-size tables answer (prevalence and mean sample sizes).
#ifndef QUORBEL_PREVALENCE_FINITE_POPULATION_H
#define QUORBEL_PREVALENCE_FINITE_POPULATION_H

#include "library/rules.h"

namespace quorbel {

constexpr int kPopulationLadder[QUORBEL_LADDER_SIZES] = {
    50, 100, 150, 200, 300, 400, 500, 750, 1000, 1500, 2000, 3500, 5000, 7500, 10000};

// The size n0 for an infinite population corrected for a population of M:
// n0 / (n0 / M + 1), in double precision.
inline double FinitePopulationSize(float n0, int population) {
  return n0 / (n0 / static_cast<double>(population) + 1.0);
}

// The sampling fraction's complement F = 1 - nf / N, held. A sample no larger
// than its population can still round (above 2^24) to a float beyond it; F is
// then taken as 0 rather than giving a square root of a negative number.
inline float UnsampledFraction(float nf, int population) {
  const float f = Hold(1.0 - static_cast<double>(nf) / population);
  return f < 0.0f ? 0.0f : f;
}

}  // namespace quorbel

#endif
