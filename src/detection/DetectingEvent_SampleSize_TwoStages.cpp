// DetectingEvent_SampleSize_TwoStages: herds, and animals per herd, to test to
// show that a disease is absent from a population of herds. See quorbel.h.
//
//   within a herd:  D1 = herdSize Pw Se,  confidence h (the herd sensitivity)
//   among herds:    D2 = (h Ph) herds,    confidence CL
//
// each stage by the approximation (1 - q^(1/D))(N - (D - 1) / 2). Fields are
// written in the order sensitivity, specificity, animals per herd, herds,
// total, herd-size table, herd cut-off, total cut-off.
#include <cstdint>

#include "detection/detection.h"
#include "detection/numeric.h"
#include "library/exception_guard.h"

using namespace quorbel;

namespace {

constexpr double kHerdSizes[QUORBEL_HERD_SIZES] = {50, 100, 250, 500, 750, 1000, 5000};

bool IsHerdSize(float size) { return std::isfinite(size) && size >= 1.0f; }

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL DetectingEvent_SampleSize_TwoStages(
    int confidenceLevel, float herdPrevalence, int herdCount, float withinHerdPrevalence, float herdSize,
    int herdSensitivity, float sensitivity1, float specificity1, float sensitivity2, float specificity2,
    TwoStageDetectionResult* result, float falsePositiveRisk, int testCombination) {
  // The order of these checks is part of the contract.
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (!IsGiven(falsePositiveRisk)) return QUORBEL_E_FALSE_POSITIVE_RISK;
  if (!IsGiven(herdPrevalence)) return QUORBEL_E_TEST_PREVALENCE;
  if (herdCount < 1) return QUORBEL_E_POPULATION;
  if (!IsGiven(withinHerdPrevalence)) return QUORBEL_E_WITHIN_HERD_PREVALENCE;
  if (!IsHerdSize(herdSize)) return QUORBEL_E_HERD_SIZE;
  if (static_cast<unsigned>(herdSensitivity) > 100u) return QUORBEL_E_HERD_SENSITIVITY;
  if (const ResultCode code = CheckTests(sensitivity1, specificity1, sensitivity2, specificity2, testCombination))
    return code;

  return RunGuarded([&] {
    const TestScheme scheme = CombineTests(sensitivity1, specificity1, sensitivity2, specificity2, testCombination);
    result->sensitivity = scheme.sensitivity;
    result->specificity = scheme.specificity;

    const float q = MissProbability(confidenceLevel);
    const float h = Hold(herdSensitivity / 100.0);
    const float qh = Hold(1.0 - h);
    const double withinHerd = withinHerdPrevalence;

    const double d1 = static_cast<double>(herdSize) * withinHerd * scheme.sensitivity;
    const float animals = Hold(DetectionSize(qh, d1, herdSize));
    const float herds = Hold(herdCount);
    const double d2 = static_cast<double>(Hold(static_cast<double>(h) * herdPrevalence)) * herds;
    const float herdsNeeded = Hold(DetectionSize(q, d2, herds));

    result->animalsPerHerd = TruncatedSize(animals);
    result->herdsToSample = TruncatedSize(herdsNeeded);
    result->totalAnimals = SaturatingProduct(result->herdsToSample, result->animalsPerHerd);
    for (int i = 0; i < QUORBEL_HERD_SIZES; ++i)
      result->herdSizeTable[i] = TruncatedSize(DetectionSize(qh, withinHerd * kHerdSizes[i] * scheme.sensitivity,
                                                             kHerdSizes[i]));

    const int32_t herdDiseaseFree = FloorSize((1.0 - withinHerd) * animals + 0.5);
    if (const auto k = FindReactorCutOff(herdDiseaseFree, scheme.specificity, falsePositiveRisk,
                                         SpecificityPower::kWhole))
      result->herdReactorCutOff = CutOffFor(*k);
    const double animalPrevalence = withinHerd * herdPrevalence;
    const int32_t totalDiseaseFree = FloorSize((1.0 - animalPrevalence) * result->totalAnimals + 0.5);
    if (const auto k = FindReactorCutOff(totalDiseaseFree, scheme.specificity, falsePositiveRisk,
                                         SpecificityPower::kWhole))
      result->totalReactorCutOff = CutOffFor(*k);
    return QUORBEL_OK;
  });
}
