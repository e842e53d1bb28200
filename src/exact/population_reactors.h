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
// diseased units (sums.h), whose value it equals to about 3e-10 at 10^7
// animals (and far closer in smaller populations).
#ifndef QUORBEL_EXACT_POPULATION_REACTORS_H
#define QUORBEL_EXACT_POPULATION_REACTORS_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quorbel::exact {

class PopulationReactors {
 public:
  // 0 < diseased <= population; q = 1 - Sp.
  PopulationReactors(int64_t population, int64_t diseased, double se, double q);

  // P(at least positiveAt reactors in a sample of `sample`).
  double Sensitivity(int64_t sample, int64_t positiveAt) const;

  // Whether that chance reaches `threshold`, as far as a sweep grown
  // outward from where the tail turns settles it with `margin` to spare:
  // the masses not yet swept count as their tails allow, at least the tail
  // at the top of the sweep above it and at most the tail at its bottom
  // below it (the tail grows with r). False, with *reaches untouched, when
  // the whole window leaves it unsettled.
  bool Settles(int64_t sample, int64_t positiveAt, double threshold, double margin, bool* reaches) const;

  // Roughly the terms one sensitivity takes at this sample: the sweep, and
  // the hypergeometric tail it starts from.
  double Cost(int64_t sample) const;

 private:
  // A sweep's constants (N, n, c - 1 and n / N as doubles), and one side of
  // it: r, the tail P(Hyp(N, r, n) >= c) and the point mass
  // P(Hyp(N - 1, r, n - 1) = c - 1) there.
  struct Sweep {
    double N, n, k, share;
  };
  struct Side {
    int64_t r;
    double tail, point;
  };
  // Terms each side of a sweep takes between two looks at its bounds.
  static constexpr int64_t kStride = 128;

  // The last sweep's start, kept so that the next one, usually a few
  // animals and cut-offs away, can be carried there by exact ratios rather
  // than walked afresh: at r, n and k = c - 1, the tail P(Hyp(N, r, n) > k)
  // and the mass P(Hyp(N, r, n) = k), and the steps it has been carried
  // since it was last walked (-1: none kept).
  struct Anchor {
    int64_t r = 0, n = 0, k = 0;
    double tail = 0.0, mass = 0.0;
    int64_t carried = -1;
  };

  Sweep Start(int64_t sample, int64_t positiveAt, Side* side, double* total) const;
  bool Carry(int64_t r, int64_t n, int64_t k) const;
  void StepUp(const Sweep& s, Side* up, int64_t until, double* total) const;
  void StepDown(const Sweep& s, Side* down, int64_t until, double* total) const;
  double MassAt(int64_t r) const { return mass_[static_cast<size_t>(r - first_)]; }
  int64_t Last() const { return first_ + static_cast<int64_t>(mass_.size()) - 1; }

  int64_t population_;
  int64_t first_;              // mass_[k] = P(R = first_ + k)
  std::vector<double> mass_;
  std::vector<double> below_, above_;  // the masses below and above each r, summed
  mutable Anchor anchor_;
};

// Roughly the terms PopulationSensitivity (sums.h) takes for a finite
// population: the sample's diseased units times the reactors among them,
// and a binomial tail started for each count of diseased units.
double DiseasedUnitsCost(int64_t population, int64_t diseased, int64_t sample, double se);

// Roughly the terms of building PopulationReactors: the recurrence of the
// reactor counts where both binomials are spread, else their convolution.
double ReactorsBuildCost(int64_t population, int64_t diseased, double se, double q);

}  // namespace quorbel::exact

#endif
