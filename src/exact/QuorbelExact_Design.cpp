// QuorbelExact_Design: the smallest sample that reaches the level, with the
// cut-off the specificity target asks for. See quorbel_exact.h.
//
// c(n) never falls as n grows, and for a fixed c the sensitivity never falls
// as n grows (a larger sample holds a smaller one). So the search takes the
// runs of n with equal c(n) in turn, tests the last n of each run, and
// bisects the first run whose last n qualifies.
#include <cstdint>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

namespace {

struct Search {
  int64_t population, largest;  // population 0: infinite
  double prevalence, se, sp, level, target;

  double Sensitivity(int64_t n, int64_t c) const { return PopulationSensitivity(population, n, prevalence, se, sp, c); }
  bool Specific(int64_t n, int64_t c) const { return PopulationSpecificity(n, sp, c) >= target; }

  // c(n): the smallest c >= `from` that meets the specificity target.
  int64_t CutOff(int64_t n, int64_t from) const {
    int64_t c = from;
    while (!Specific(n, c)) ++c;
    return c;
  }

  // The last n >= first (at most `largest`) for which c still meets the target.
  int64_t RunEnd(int64_t first, int64_t c) const {
    int64_t good = first, step = 1;
    while (good + step <= largest && Specific(good + step, c)) {
      good += step;
      step *= 2;
    }
    int64_t bad = good + step > largest ? largest + 1 : good + step;
    while (bad - good > 1) {
      const int64_t middle = good + (bad - good) / 2;
      (Specific(middle, c) ? good : bad) = middle;
    }
    return good;
  }

  // The first n in first .. last that reaches the level at cut-off c.
  int64_t FirstReaching(int64_t first, int64_t last, int64_t c) const {
    while (first < last) {
      const int64_t middle = first + (last - first) / 2;
      if (Sensitivity(middle, c) >= level) last = middle;
      else first = middle + 1;
    }
    return first;
  }
};

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
                   confidenceLevel / 100.0, specificityTarget};
    QuorbelExactDesign out{0, 0, 0, 0.0, 0.0, 0.0};
    int64_t c = s.CutOff(1, 1);
    for (int64_t first = 1; first <= s.largest; c = s.CutOff(first, c)) {
      const int64_t last = s.RunEnd(first, c);
      if (s.Sensitivity(last, c) >= s.level) {
        const int64_t n = s.FirstReaching(first, last, c);
        out.reachable = 1;
        out.sampleSize = static_cast<int32_t>(n);
        out.positiveAt = static_cast<int32_t>(c);
        out.populationSensitivity = out.bestSensitivity = s.Sensitivity(n, c);
        out.populationSpecificity = PopulationSpecificity(n, specificity, c);
        *result = out;
        return QUORBEL_OK;
      }
      first = last + 1;
    }
    out.bestSensitivity = s.Sensitivity(s.largest, s.CutOff(s.largest, 1));
    *result = out;
    return QUORBEL_OK;
  });
}
