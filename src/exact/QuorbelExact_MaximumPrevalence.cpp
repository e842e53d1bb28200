// QuorbelExact_MaximumPrevalence: the most diseased units a negative sample
// could have missed, and the chance of finding a stated prevalence. See
// quorbel_exact.h. P0(D) falls as D grows, so the largest D with
// P0(D) > 1 - level is found by bisection.
#include <cstdint>

#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

extern "C" QuorbelResult QuorbelExact_MaximumPrevalence(int32_t population, int32_t sample, double sensitivity,
                                                        double confidenceLevel, double prevalence,
                                                        QuorbelExactMaximum* result) {
  if (population < 1) return QUORBEL_EXACT_E_POPULATION;
  if (sample < 1 || sample > population) return QUORBEL_EXACT_E_SAMPLE;
  if (!IsProbability(sensitivity)) return QUORBEL_EXACT_E_SENSITIVITY;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  if (!IsProbability(prevalence)) return QUORBEL_EXACT_E_PREVALENCE;
  return RunGuarded([&] {
    const double missedAtMost = 1.0 - confidenceLevel / 100.0;
    auto missed = [&](int64_t diseased) {
      return diseased == 0 ? 1.0 : 1.0 - AnyFound(population, diseased, sample, sensitivity);
    };
    int64_t escapes = 0, found = static_cast<int64_t>(population) + 1;  // P0 > bound at 0; treat N + 1 as found
    while (found - escapes > 1) {
      const int64_t middle = escapes + (found - escapes) / 2;
      (missed(middle) > missedAtMost ? escapes : found) = middle;
    }
    QuorbelExactMaximum out;
    out.maximumDiseased = static_cast<int32_t>(escapes);
    out.maximumPrevalence = static_cast<double>(escapes) / population;
    out.detectionProbability = AnyFound(population, DiseasedUnits(prevalence, population), sample, sensitivity);
    *result = out;
    return QUORBEL_OK;
  });
}
