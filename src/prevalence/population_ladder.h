// The fixed ladder of population sizes beside which the sample-size tables
// answer (prevalence and mean sample sizes), and the finite-population
// correction both apply to it.
#ifndef QUORBEL_PREVALENCE_POPULATION_LADDER_H
#define QUORBEL_PREVALENCE_POPULATION_LADDER_H

#include "quorbel.h"

namespace quorbel {

constexpr int kPopulationLadder[QUORBEL_LADDER_SIZES] = {
    50, 100, 150, 200, 300, 400, 500, 750, 1000, 1500, 2000, 3500, 5000, 7500, 10000};

// The size n0 for an infinite population corrected for a population of M:
// n0 / (n0 / M + 1), in double precision.
inline double FinitePopulationSize(float n0, int population) {
  return n0 / (n0 / static_cast<double>(population) + 1.0);
}

}  // namespace quorbel

#endif
