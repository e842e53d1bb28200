// The population sensitivity of a finite population, summed over the
// population's reactors rather than the sample's diseased units.
//
// Every unit of the population reacts or not, independently of the
// sampling: r reactors, R = Bin(D, Se) + Bin(N - D, 1 - Sp). A simple random
// sample of n then holds Hyp(N, r, n) of them, so
//   S(n, c) = sum over r of P(R = r) P(Hyp(N, r, n) >= c).
// R's distribution does not depend on the design: it is taken once, and each
// sensitivity is one sweep over r, the tail following r by
//   P(Hyp(N, r + 1, n) >= c) - P(Hyp(N, r, n) >= c) = n / N P(Hyp(N - 1, r, n - 1) = c - 1)
// (the extra reactor is in the sample, and the others hold c - 1), and that
// mass by exact ratios. Where the sample is a large part of a large
// population this takes far fewer terms than the sum over the sample's
// diseased units (sums.h), whose value it equals to about 1e-11.
#ifndef QUORBEL_EXACT_POPULATION_REACTORS_H
#define QUORBEL_EXACT_POPULATION_REACTORS_H

#include <cstdint>
#include <vector>

namespace quorbel::exact {

class PopulationReactors {
 public:
  // 0 < diseased <= population; q = 1 - Sp.
  PopulationReactors(int64_t population, int64_t diseased, double se, double q);

  // P(at least positiveAt reactors in a sample of `sample`).
  double Sensitivity(int64_t sample, int64_t positiveAt) const;

  // Bounds on the same from a sweep over the middle of R's distribution
  // only (all but kCoarseTail of its mass on either side), about half the
  // terms: the masses left out count as their tails allow, at least the
  // tail at the top of the middle above it and at most the tail at its
  // bottom below it (the tail grows with r).
  static constexpr double kCoarseTail = 1e-7;
  void Bounds(int64_t sample, int64_t positiveAt, double* lower, double* upper) const;

  // Roughly the terms one sensitivity takes at this sample: the sweep, and
  // the hypergeometric tail it starts from.
  double Cost(int64_t sample) const;

 private:
  int64_t population_;
  // The sweep over r = lo .. hi: the sum of P(R = r) P(Hyp(N, r, n) >= c)
  // and the tails at lo and hi.
  double Sweep(int64_t sample, int64_t positiveAt, int64_t lo, int64_t hi, double* tailLo, double* tailHi) const;

  int64_t first_;              // mass_[k] = P(R = first_ + k)
  std::vector<double> mass_;
  int64_t middleLo_, middleHi_;  // all but kCoarseTail of the mass on either side
  double belowMiddle_, aboveMiddle_;  // the masses left out
};

// Roughly the terms PopulationSensitivity (sums.h) takes for a finite
// population: the sample's diseased units times the reactors among them.
double DiseasedUnitsCost(int64_t population, int64_t diseased, int64_t sample, double se);

// Roughly the terms of building PopulationReactors: the diseased units'
// reactor counts times the healthy units'.
double ReactorsBuildCost(int64_t population, int64_t diseased, double se, double q);

}  // namespace quorbel::exact

#endif
