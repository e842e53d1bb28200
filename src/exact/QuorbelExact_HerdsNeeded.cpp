// QuorbelExact_HerdsNeeded: the fewest herds of a two-stage design whose
// survey sensitivity reaches the confidence. See quorbel_exact.h.
#include "exact/checks.h"
#include "exact/sums.h"

using namespace quorbel::exact;

extern "C" QuorbelResult QuorbelExact_HerdsNeeded(int32_t herds, double herdPrevalence, int32_t herdSize,
                                                  int32_t animalsPerHerd, double withinHerdPrevalence,
                                                  double sensitivity, double specificity, int32_t positiveAt,
                                                  double confidenceLevel, int32_t* herdsNeeded) {
  QuorbelExactHerdSurvey every;
  const QuorbelResult code = QuorbelExact_HerdSurvey(herds, herds, herdPrevalence, herdSize, animalsPerHerd,
                                                     withinHerdPrevalence, sensitivity, specificity, positiveAt, &every);
  if (code != QUORBEL_OK) return code;
  if (!IsLevel(confidenceLevel)) return QUORBEL_EXACT_E_CONFIDENCE;
  return RunGuarded([&] {
    const double target = confidenceLevel / 100.0;
    const int64_t diseasedHerds = DiseasedUnits(herdPrevalence, herds);
    auto reaches = [&](int32_t sampled) { return AnyFound(herds, diseasedHerds, sampled, every.herdSensitivity) >= target; };
    if (every.surveySensitivity < target) {
      *herdsNeeded = 0;
      return QUORBEL_OK;
    }
    int32_t low = 1, high = herds;
    while (low < high) {
      const int32_t middle = low + (high - low) / 2;
      if (reaches(middle)) high = middle;
      else low = middle + 1;
    }
    *herdsNeeded = low;
    return QUORBEL_OK;
  });
}
