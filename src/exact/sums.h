// The sums of the exact layer: hypergeometric and binomial weights walked
// outward from the mode by exact ratios, and the tail of a binomial kept up
// to date as its argument moves by one. Terms below kNegligible of the mode
// are left out; the tails beyond them fall geometrically, so what is left
// out is far below 1e-12.
#ifndef QUORBEL_EXACT_SUMS_H
#define QUORBEL_EXACT_SUMS_H

#include <algorithm>
#include <cstdint>

namespace quorbel::exact {

constexpr double kNegligible = 1e-20;

// Diseased units of a finite population: max(1, ceil(P N)), P N taken to
// within 1e-9, at most N.
int64_t DiseasedUnits(double prevalence, int64_t population);

// Calls visit(k, weight) for the non-negligible k of a distribution whose
// weight at `mode` is `modeWeight` and whose neighbouring weights follow
// up(k) = w(k + 1) / w(k) and down(k) = w(k - 1) / w(k), within lo .. hi.
template <class Up, class Down, class Visit>
void WalkFromMode(int64_t lo, int64_t hi, int64_t mode, double modeWeight, Up up, Down down, Visit visit) {
  visit(mode, modeWeight);
  double w = modeWeight;
  for (int64_t k = mode; k < hi && w > kNegligible * modeWeight;) {
    w *= up(k);
    visit(++k, w);
  }
  w = modeWeight;
  for (int64_t k = mode; k > lo && w > kNegligible * modeWeight;) {
    w *= down(k);
    visit(--k, w);
  }
}

// Calls visit(y, hyper(y; N, D, n)) for the non-negligible y.
template <class Visit>
void ForHypergeometric(int64_t population, int64_t diseased, int64_t sample, Visit visit);

// Calls visit(x, dbinom(x, n, p)) for the non-negligible x (0 < p < 1).
template <class Visit>
void ForBinomial(int64_t n, double p, Visit visit);

// P(Bin(n, p) >= k), 1 for k <= 0 and 0 for k > n.
double BinomialUpperTail(int64_t n, double p, int64_t k);

// P(Bin(n, p) <= k), 0 for k < 0 and 1 for k >= n.
double BinomialCdf(int64_t n, double p, int64_t k);

// P(Bin(y, se) + Bin(m, q) >= c): the chance that a sample holding y
// diseased and m healthy units shows at least c reactors.
double ReactorsAtLeast(int64_t y, double se, int64_t m, double q, int64_t c);

// Population sensitivity and specificity (see quorbel_exact.h); a population
// of 0 stands for an infinite one.
double PopulationSensitivity(int64_t population, int64_t sample, double prevalence, double se, double sp,
                             int64_t positiveAt);
double PopulationSpecificity(int64_t sample, double sp, int64_t positiveAt);

// 1 - sum over y of hyper(y; N, D, n) (1 - p)^y: the chance that at least one
// of the sampled diseased units is found when each is found with chance p.
double AnyFound(int64_t population, int64_t diseased, int64_t sample, double p);

// Takes `first` steps of one kind and `second` of another, interleaved so
// that each kind keeps to its share of the way: moveFirst(count) takes
// `count` steps of the first kind at once, stepSecond() one of the second.
// False as soon as a move is.
template <class MoveFirst, class StepSecond>
bool StepInProportion(int64_t first, int64_t second, MoveFirst moveFirst, StepSecond stepSecond) {
  for (int64_t a = 0, b = 0; a < first || b < second; ++b) {
    // The first kind moves while it is no further than its share of b steps.
    const int64_t share = b == second ? first : std::min(first, b * first / second + 1);
    if (share > a && !moveFirst(share - a)) return false;
    a = std::max(a, share);
    if (b < second && !stepSecond()) return false;
  }
  return true;
}

// The two-sided normal quantile of a level in percent.
double NormalQuantile(double level);

}  // namespace quorbel::exact

#include "exact/sums_impl.h"

#endif
