// DetectingEvent_MaximumPrevalence: after a negative sample, the highest
// prevalence that could have been missed, and the probability of finding a
// reactor at a stated prevalence. See quorbel.h.
//
//   X = (1 - q^(1/n))(N - (n - 1) / 2) / Se        (diseased animals)
//   b = 1 - n / (N - (Dp - 1) / 2),  P(detect) = 1 - b^Dp,  Dp = Se P N
//
// The finite-population approximation of the detection sample size, with the
// roles of the sample and the diseased animals exchanged.
#include <cmath>

#include "detection/detection.h"

using namespace quorbel;

extern "C" QuorbelResult QUORBEL_CALL DetectingEvent_MaximumPrevalence(
    int sampleSize, int populationSize, float sensitivity, int confidenceLevel, float prevalence,
    MaximumPrevalenceResult* result) {
  // The order of these checks is part of the contract.
  if (sampleSize < 1) return QUORBEL_E_SAMPLE_TOO_SMALL;
  if (populationSize < 1) return QUORBEL_E_POPULATION;
  if (sampleSize > populationSize) return QUORBEL_E_POPULATION_TOO_SMALL;
  if (!IsGiven(sensitivity)) return QUORBEL_E_SENSITIVITY;
  if (!IsConfidenceLevel(confidenceLevel)) return QUORBEL_E_CONFIDENCE;
  if (!IsGiven(prevalence)) return QUORBEL_E_TEST_PREVALENCE;

  const float n = Hold(sampleSize);
  const float population = Hold(populationSize);
  const float dp = Hold(sensitivity * (static_cast<double>(prevalence) * population));
  const float q = MissProbability(confidenceLevel);
  const float r = Hold(std::pow(static_cast<double>(q), static_cast<double>(Hold(1.0 / n))));
  const float x = Hold((1.0 - r) * (population - (n - 1.0) * 0.5) / sensitivity);
  result->diseasedAnimals = WholeNumberSize(x);
  result->maximumPrevalence = Hold(static_cast<double>(x) / population);

  const float b = Hold(1.0 - n / (population - (dp - 1.0) * 0.5));
  // A negative b: the sample cannot miss every reactor.
  const float missed = b < 0.0f ? 0.0f : Hold(std::pow(static_cast<double>(b), static_cast<double>(dp)));
  result->detectionProbability = Hold(1.0 - missed);
  return QUORBEL_OK;
}
