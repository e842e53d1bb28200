// DetectingEvent_SampleSize_SimpleRandom: animals to test to show that a
// disease is absent from one population, with a reactor cut-off and a
// reference table. See quorbel.h.
//
//   D  = Se N P,  r = (1 - CL)^(1 / D),  n* = (1 - r)(N - (D - 1) / 2)
//   m  = trunc((1 - P) n*) disease-free animals in the sample
//
// Fields are written in the order sensitivity, specificity, cut-off, sample
// size, table, so an exception part-way leaves exactly the earlier ones.
#include "detection/detection.h"
#include "detection/numeric.h"
#include "library/exception_guard.h"

using namespace quorbel;

namespace {

constexpr double kReferenceAnimals[QUORBEL_REFERENCE_ROWS] = {50, 100, 250, 500, 1000, 2000, 5000, 10000000};

// Expected diseased animals of each cell: the row's animals times the
// column's prevalence (10, 5, 2, 1, 0.5, 0.1 %), as exact constants.
constexpr double kReferenceDiseased[QUORBEL_REFERENCE_ROWS][QUORBEL_REFERENCE_COLUMNS] = {
    {5, 2.5, 1, 0.5, 0.25, 0.05},
    {10, 5, 2, 1, 0.5, 0.1},
    {25, 12.5, 5, 2.5, 1.25, 0.25},
    {50, 25, 10, 5, 2.5, 0.5},
    {100, 50, 20, 10, 5, 1},
    {200, 100, 40, 20, 10, 2},
    {500, 250, 100, 50, 25, 5},
    {1000000, 500000, 200000, 100000, 50000, 10000},
};

void FillReferenceTable(float sensitivity, float q, float* table) {
  for (int row = 0; row < QUORBEL_REFERENCE_ROWS; ++row)
    for (int column = 0; column < QUORBEL_REFERENCE_COLUMNS; ++column) {
      const double d = kReferenceDiseased[row][column] * sensitivity;
      table[row * QUORBEL_REFERENCE_COLUMNS + column] =
          static_cast<float>(TruncatedSize(DetectionSize(q, d, kReferenceAnimals[row])));
    }
}

}  // namespace

extern "C" QuorbelResult QUORBEL_CALL DetectingEvent_SampleSize_SimpleRandom(
    float prevalence, int populationSize, int confidenceLevel, float sensitivity1, float specificity1,
    float sensitivity2, float specificity2, DetectionSampleSizeResult* result, float falsePositiveRisk,
    int testCombination) {
  // The order of these checks is part of the contract.
  if (!IsGiven(prevalence)) return QUORBEL_E_TEST_PREVALENCE;
  if (populationSize < 1) return QUORBEL_E_POPULATION;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (!IsGiven(falsePositiveRisk)) return QUORBEL_E_FALSE_POSITIVE_RISK;
  if (const ResultCode code = CheckTests(sensitivity1, specificity1, sensitivity2, specificity2, testCombination))
    return code;

  return RunGuarded([&] {
    const TestScheme scheme = CombineTests(sensitivity1, specificity1, sensitivity2, specificity2, testCombination);
    result->sensitivity = scheme.sensitivity;
    result->specificity = scheme.specificity;

    const float q = MissProbability(confidenceLevel);
    const float population = Hold(populationSize);
    const double d = scheme.sensitivity * (static_cast<double>(population) * prevalence);
    const float n = Hold(DetectionSize(q, d, population));

    const int32_t diseaseFree = TruncatedSize((1.0 - prevalence) * n);
    if (const auto k = FindReactorCutOff(diseaseFree, scheme.specificity, falsePositiveRisk, SpecificityPower::kReal))
      result->reactorCutOff = CutOffFor(*k);
    result->sampleSize = TruncatedSize(n);
    FillReferenceTable(scheme.sensitivity, q, result->referenceTable);
    return QUORBEL_OK;
  });
}
