// QuorbelExact_Design: the smallest sample that reaches the level, with the
// cut-off the specificity target asks for. See quorbel_exact.h.
//
// c(n), the smallest cut-off that keeps the specificity target, never falls
// as n grows and rises by at most one at a time, so the samples fall into
// runs of equal c. Each run ends at last(c), the largest n whose
// specificity at c still meets the target; the sensitivity at c never falls
// as n grows (a larger sample holds a smaller one). The answer lies in the
// first run whose last n reaches the level, bisected within that run.
//
// Runs are not taken one by one: for the cut-offs a .. b the sensitivity at
// any run end is at most the sensitivity of last(b) animals at cut-off a
// (more animals, a lower cut-off), so a block of runs whose bound falls
// short of the level is passed over whole. Block widths follow the widest
// that passes, so the sums are taken near the answer rather than at the
// largest samples.
//
// Where the search sums many sensitivities of a large sample of a large
// population, it takes them over the population's reactors instead
// (population_reactors.h), once what it has spent passes what building that
// sum costs. The two sums agree to about 3e-10 at 10^7 animals (Boost's
// binomial masses there are good to about 2e-10); a value within kAgreement of
// the level is taken again from the sum over the sample's diseased units, so
// every decision is the one that sum gives, and so is every reported value.
// Most decisions are settled before that by a sweep grown outward from
// where its tail turns only until its bounds clear the level by
// kAgreement.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <map>
#include <memory>

#include "exact/checks.h"
#include "exact/nearby_binomial.h"
#include "exact/population_reactors.h"
#include "exact/sums.h"

using namespace quorbel::exact;

namespace {

// Bounds are compared with this margin so that rounding in the sums never
// passes over a run that qualifies; it can only cost a narrower block.
constexpr double kBoundMargin = 1e-12;
constexpr double kAgreement = 1e-9;
// How a block's width follows the widest that passes (FirstQualifying).
constexpr double kShrink = 0.85, kCreep = 1.0 / 1024.0, kCreepPasses = 32.0;
// A term of the sum over diseased units (a binomial tail kept up to date)
// costs about as much as 3 terms of the sweep over reactors and 20 of the
// steps that build their distribution (ReactorsBuildCost's terms).
constexpr double kSweepTermsPerTerm = 3.0, kBuildTermsPerTerm = 20.0;

struct Search {
  int64_t population, largest;  // population 0: infinite
  double prevalence, se, sp, level, target;
  int64_t diseased;  // of a finite population
  mutable std::unique_ptr<PopulationReactors> reactors = nullptr;
  mutable double spent = 0.0;  // the terms of the sums over diseased units so far
  mutable std::map<int64_t, int64_t> ends = {};  // last(c) by c, as found

  double Reported(int64_t n, int64_t c) const { return PopulationSensitivity(population, n, prevalence, se, sp, c); }
  mutable NearbyBinomialCdf specificities{1.0 - sp};  // P(Bin(n, 1 - Sp) <= c - 1)

  // Whether n animals at cut-off c keep the specificity target: from a value
  // carried from the last one asked for, or within kAgreement of the
  // target from PopulationSpecificity's own.
  bool Specific(int64_t n, int64_t c) const {
    bool fresh = false;
    const double value = specificities.At(n, c - 1, &fresh);
    if (fresh || std::fabs(value - target) > kAgreement) return value >= target;
    return PopulationSpecificity(n, sp, c) >= target;
  }

  // The sum over the population's reactors where it is the cheaper sum at
  // n, else null; it is built once what the sums over diseased units have
  // cost passes what building it costs.
  const PopulationReactors* ReactorsFor(int64_t n) const {
    if (population == 0) return nullptr;
    if (reactors == nullptr && spent * kBuildTermsPerTerm > ReactorsBuildCost(population, diseased, se, 1.0 - sp))
      reactors = std::make_unique<PopulationReactors>(population, diseased, se, 1.0 - sp);
    if (reactors == nullptr || reactors->Cost(n) >= DiseasedUnitsCost(population, diseased, n, se) * kSweepTermsPerTerm)
      return nullptr;
    return reactors.get();
  }

  // Whether the sensitivity of n at c reaches `threshold`: from a sweep
  // over the reactors grown only until its bounds settle it with
  // kAgreement to spare, or from the whole sweep; within kAgreement of the
  // level, and where the reactors' sum is not the cheaper, from the sum
  // over diseased units.
  bool Reaches(int64_t n, int64_t c, double threshold) const {
    if (const PopulationReactors* sweep = ReactorsFor(n)) {
      bool reaches = false;
      if (sweep->Settles(n, c, threshold, kAgreement, &reaches)) return reaches;
      const double s = sweep->Sensitivity(n, c);
      if (std::fabs(s - level) > kAgreement) return s >= threshold;
    }
    if (population != 0) spent += DiseasedUnitsCost(population, diseased, n, se);
    return Reported(n, c) >= threshold;
  }

  // c(n): the smallest cut-off that meets the specificity target
  // (n + 1 always does: no sample of n shows n + 1 reactors).
  int64_t CutOff(int64_t n) const {
    int64_t bad = 0, good = n + 1;
    while (good - bad > 1) {
      const int64_t middle = bad + (good - bad) / 2;
      (Specific(n, middle) ? good : bad) = middle;
    }
    return good;
  }

  // last(c): the largest n (at most `largest`) whose specificity at c meets
  // the target, for c >= c(1); 0 when none does. last never falls as c
  // grows, so the ends found already bracket the search: last(c) lies
  // between those of the nearest cut-offs below and above.
  //
  // The ends found also predict last(c): it follows a line between the
  // nearest ones (or beyond the two nearest below), so the search probes
  // the prediction first and then steps away from it in doubling steps;
  // a close prediction costs two specificities rather than a bisection's
  // twenty or so.
  int64_t RunEnd(int64_t c) const {
    if (const auto known = ends.find(c); known != ends.end()) return known->second;
    int64_t good = 0, bad = largest + 1;
    const auto above = ends.upper_bound(c), below = ends.lower_bound(c);
    if (above != ends.end()) bad = above->second + 1;
    if (below != ends.begin()) good = std::prev(below)->second;
    const int64_t guess = PredictedEnd(c, below, above);
    if (guess > good && guess < bad) Narrow(c, guess, &good, &bad);
    while (bad - good > 1) {
      const int64_t middle = good + (bad - good) / 2;
      (Specific(middle, c) ? good : bad) = middle;
    }
    ends.emplace(c, good);
    return good;
  }

  // last(c) on the line through the nearest ends found on either side, or
  // through the two nearest below; -1 without two.
  using Ends = std::map<int64_t, int64_t>::const_iterator;
  int64_t PredictedEnd(int64_t c, Ends below, Ends above) const {
    if (below == ends.begin()) return -1;
    const Ends left = std::prev(below);
    Ends right = above;
    if (right == ends.end()) {
      if (left == ends.begin()) return -1;
      right = std::prev(left);
    }
    const double slope = static_cast<double>(right->second - left->second) / static_cast<double>(right->first - left->first);
    const double guess = static_cast<double>(left->second) + slope * static_cast<double>(c - left->first);
    return guess >= 0.0 && guess < static_cast<double>(largest) ? static_cast<int64_t>(std::llround(guess)) : -1;
  }

  // Narrows good .. bad (specific at good, not at bad) around a guess of
  // last(c): the guess, then its neighbours in doubling steps on the side
  // the guess points to.
  void Narrow(int64_t c, int64_t guess, int64_t* good, int64_t* bad) const {
    if (Specific(guess, c)) {
      *good = guess;
      for (int64_t step = 1; *good + step < *bad; step *= 2) {
        if (!Specific(*good + step, c)) {
          *bad = *good + step;
          return;
        }
        *good += step;
      }
    } else {
      *bad = guess;
      for (int64_t step = 1; *bad - step > *good; step *= 2) {
        if (Specific(*bad - step, c)) {
          *good = *bad - step;
          return;
        }
        *bad -= step;
      }
    }
  }

  // The smallest cut-off in lowest .. highest whose run end reaches the
  // level, or 0. Blocks of cut-offs are passed over while their bound falls
  // short; single cut-offs are decided by their own run end.
  //
  // The widest block that passes narrows slowly as the blocks near the
  // answer (about in proportion to their distance from it), so blocks double
  // only until one does not pass. From then on the width rides just under
  // the widest: a block that does not pass takes kShrink of its width, and
  // each one that passes widens the next a little, the more the longer they
  // keep passing, in case the widest grows again.
  int64_t FirstQualifying(int64_t lowest, int64_t highest) const {
    double width = 1.0, passes = 0.0;
    bool doubling = true;
    for (int64_t a = lowest; a <= highest;) {
      const int64_t span = std::min(std::max<int64_t>(1, static_cast<int64_t>(width)), highest - a + 1);
      const int64_t b = a + span - 1;
      const int64_t end = RunEnd(b);
      if (a == b && Reaches(end, a, level)) return a;
      if (a == b || !Reaches(end, a, level - kBoundMargin)) {
        a = b + 1;
        passes += 1.0;
        width = doubling ? width * 2.0 : std::max(width, 1.0) * (1.0 + kCreep * (1.0 + passes / kCreepPasses));
      } else {
        doubling = false;
        passes = 0.0;
        width = static_cast<double>(span) * kShrink;
      }
    }
    return 0;
  }

  // The first n in first .. last that reaches the level at cut-off c.
  int64_t FirstReaching(int64_t first, int64_t last, int64_t c) const {
    while (first < last) {
      const int64_t middle = first + (last - first) / 2;
      if (Reaches(middle, c, level)) last = middle;
      else first = middle + 1;
    }
    return first;
  }
};

QuorbelExactDesign Design(const Search& s) {
  QuorbelExactDesign out{0, 0, 0, 0.0, 0.0, 0.0};
  const int64_t lowest = s.CutOff(1), highest = s.CutOff(s.largest);
  const int64_t c = s.FirstQualifying(lowest, highest);
  if (c == 0) {
    out.bestSensitivity = s.Reported(s.largest, highest);
    return out;
  }
  const int64_t first = c == lowest ? 1 : s.RunEnd(c - 1) + 1;
  const int64_t n = s.FirstReaching(first, s.RunEnd(c), c);
  out.reachable = 1;
  out.sampleSize = static_cast<int32_t>(n);
  out.positiveAt = static_cast<int32_t>(c);
  out.populationSensitivity = out.bestSensitivity = s.Reported(n, c);
  out.populationSpecificity = PopulationSpecificity(n, s.sp, c);
  return out;
}

}  // namespace

extern "C" QuorbelResult QuorbelExact_Design(double population, double prevalence, double sensitivity,
                                             double specificity, double confidenceLevel, double specificityTarget,
                                             QuorbelExactDesign* result) {
  int64_t units = 0;
  if (!ReadPopulation(population, &units)) return QUORBEL_EXACT_E_POPULATION;
  if (!IsProbability(prevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsProbability(specificity)) return QUORBEL_EXACT_E_SPECIFICITY;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  if (!IsProbability(specificityTarget)) return QUORBEL_EXACT_E_TARGET;
  return RunGuarded([&] {
    const Search s{units, units == 0 ? QUORBEL_EXACT_MAX_SEARCH : units, prevalence, sensitivity, specificity,
                   confidenceLevel / 100.0, specificityTarget, units == 0 ? 0 : DiseasedUnits(prevalence, units)};
    *result = Design(s);
    return QUORBEL_OK;
  });
}
