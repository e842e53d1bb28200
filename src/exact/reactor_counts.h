// The distribution of a population's reactors: R = Bin(D, Se) + Bin(N - D, q)
// when each of D diseased units reacts with chance Se and each healthy one
// with chance q = 1 - Sp.
#ifndef QUORBEL_EXACT_REACTOR_COUNTS_H
#define QUORBEL_EXACT_REACTOR_COUNTS_H

#include <cstdint>
#include <vector>

namespace quorbel::exact {

struct ReactorCounts {
  int64_t first = 0;          // mass[k] = P(R = first + k)
  std::vector<double> mass;   // the non-negligible masses
  bool recurred = false;      // taken by the recurrence
};

// By the three-term recurrence of R's masses where both binomials are
// spread and the recurrence keeps to the convolution (within 1e-12 of the
// mass at the mean, at one mass checked on each side of where the
// recurrence turns), else by the convolution.
ReactorCounts CountReactors(int64_t population, int64_t diseased, double se, double q);

// By the convolution of the two binomials' masses alone.
ReactorCounts ConvolveReactors(int64_t population, int64_t diseased, double se, double q);

}  // namespace quorbel::exact

#endif
