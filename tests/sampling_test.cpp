// Sampling with known inclusion probabilities. The probabilities against R's
// sampling::inclusionprobabilities (sampling 2.9-2, Debian's
// r-cran-sampling); Sampford's draws against those probabilities over
// 100,000 seeded repetitions, each unit's frequency within 4 standard
// errors (the seeds are fixed, so the test is deterministic); the weighted
// estimate against R's survey package. Natively
// through the library's exported names; in the Windows builds through the
// linked objects.
#include <cmath>
#include <vector>

#include "quorbel_sampling.h"
#include "support.h"

namespace quorbel::test {
namespace {

#define SAMPLING(name) NATIVE_EXPORT(name)

// 30 herds, two of them large enough to be certainty units for n = 8.
const std::vector<double> kSizes = {900, 400, 120, 80, 75, 70, 66, 60, 55, 50, 48, 45, 40, 38, 35,
                                    30,  28,  25,  22, 20, 18, 15, 12, 10, 9,  8,  6,  5,  3,  1};

TEST(Sampling, InclusionProbabilitiesAgreeWithTheSamplingPackage) {
  struct Case {
    std::vector<double> sizes;
    int32_t n, certainty;
    std::vector<double> pi;  // sampling::inclusionprobabilities(sizes, n)
  };
  const Case cases[] = {
      {kSizes, 8, 2, {1, 1, 0.72434607645875237, 0.48289738430583501, 0.45271629778672029, 0.42253521126760563,
                      0.39839034205231394, 0.36217303822937619, 0.33199195171026152, 0.30181086519114686,
                      0.28973843058350102, 0.2716297786720322, 0.2414486921529175, 0.22937625754527163,
                      0.21126760563380281, 0.18108651911468809, 0.16901408450704225, 0.15090543259557343,
                      0.13279678068410464, 0.12072434607645875, 0.10865191146881288, 0.090543259557344047,
                      0.072434607645875254, 0.060362173038229376, 0.054325955734406441, 0.048289738430583505,
                      0.036217303822937627, 0.030181086519114688, 0.018108651911468814, 0.0060362173038229381}},
      // A unit of size 0 is never drawn; 40 of 100 makes a certainty unit
      // (3 x 0.4 = 1.2), and the other 2 are spread over the other 60.
      {{5, 0, 10, 20, 40, 25}, 3, 1, {0.16666666666666666, 0, 0.33333333333333331, 0.66666666666666663, 1,
                                      0.83333333333333326}},
  };
  for (const Case& c : cases) {
    std::vector<double> pi(c.sizes.size(), -1);
    int32_t certainty = -1;
    ASSERT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(static_cast<int32_t>(c.sizes.size()), c.sizes.data(),
                                                                c.n, pi.data(), &certainty),
              QUORBEL_OK);
    EXPECT_EQ(certainty, c.certainty);
    for (size_t i = 0; i < pi.size(); ++i) EXPECT_NEAR(pi[i], c.pi[i], 1e-12) << i;
  }
}

TEST(Sampling, SampfordFrequenciesMatchTheInclusionProbabilities) {
  const int32_t count = static_cast<int32_t>(kSizes.size()), n = 8;
  std::vector<double> pi(kSizes.size());
  int32_t certainty = 0;
  ASSERT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(count, kSizes.data(), n, pi.data(), &certainty),
            QUORBEL_OK);
  constexpr int kRepetitions = 100000;
  std::vector<int> times(kSizes.size(), 0);
  std::vector<int32_t> chosen(kSizes.size());
  for (uint64_t seed = 1; seed <= kRepetitions; ++seed) {
    int32_t pareto = -1;
    ASSERT_EQ(SAMPLING(QuorbelSampling_Sampford)(count, pi.data(), n, seed, chosen.data(), &pareto), QUORBEL_OK);
    ASSERT_EQ(pareto, 0);
    int32_t taken = 0;
    for (size_t i = 0; i < chosen.size(); ++i) {
      taken += chosen[i];
      times[i] += chosen[i];
    }
    ASSERT_EQ(taken, n) << "seed " << seed;  // n distinct units, every time
  }
  for (size_t i = 0; i < pi.size(); ++i) {
    const double frequency = static_cast<double>(times[i]) / kRepetitions;
    const double standardError = std::sqrt(pi[i] * (1 - pi[i]) / kRepetitions);
    EXPECT_LE(std::fabs(frequency - pi[i]), 4 * standardError + 1e-15) << "unit " << i;
  }
}

// Madow's systematic draw over the same list, in list order and in an order
// by size: exactly n distinct units each time, and each unit's frequency
// within 4 standard errors of pi_i.
TEST(Sampling, SystematicFrequenciesMatchTheInclusionProbabilities) {
  const int32_t count = static_cast<int32_t>(kSizes.size()), n = 8;
  std::vector<double> pi(kSizes.size());
  int32_t certainty = 0;
  ASSERT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(count, kSizes.data(), n, pi.data(), &certainty),
            QUORBEL_OK);
  std::vector<double> reversed(pi.rbegin(), pi.rend());  // smallest first
  for (const std::vector<double>* order : {&pi, &reversed}) {
    constexpr int kRepetitions = 100000;
    std::vector<int> times(kSizes.size(), 0);
    std::vector<int32_t> chosen(kSizes.size());
    for (uint64_t seed = 1; seed <= kRepetitions; ++seed) {
      ASSERT_EQ(SAMPLING(QuorbelSampling_Systematic)(count, order->data(), n, seed, chosen.data()), QUORBEL_OK);
      int32_t taken = 0;
      for (size_t i = 0; i < chosen.size(); ++i) {
        taken += chosen[i];
        times[i] += chosen[i];
      }
      ASSERT_EQ(taken, n) << "seed " << seed;
    }
    for (size_t i = 0; i < pi.size(); ++i) {
      const double p = (*order)[i];
      const double frequency = static_cast<double>(times[i]) / kRepetitions;
      EXPECT_LE(std::fabs(frequency - p), 4 * std::sqrt(p * (1 - p) / kRepetitions) + 1e-15) << "unit " << i;
    }
  }
}

// Allocations by hand: sizes 5, 3, 2 and n 5 give 2.5, 1.5, 1 (floors 2, 1,
// 1, the one left to the earlier of the tied remainders: 3, 1, 1); Neyman's
// weights 5 x 0.5, 3 x 0.3, 2 x 0.14 give 3.397, 1.223, 0.380 (4, 1, 0); a
// stratum of 2 asked for 6 of 10 by weights 1, 9 keeps 2 and the rest goes
// to the other (2, 4).
TEST(Sampling, AllocationsByLargestRemainders) {
  struct Case {
    std::vector<double> sizes, weights;
    int32_t n;
    std::vector<int32_t> counts;
  };
  const Case cases[] = {
      {{5, 3, 2}, {5, 3, 2}, 5, {3, 1, 1}},
      {{5, 3, 2}, {2.5, 0.9, 0.28}, 5, {4, 1, 0}},
      {{8, 2}, {1, 9}, 6, {4, 2}},
      {{4, 4}, {1, 1}, 8, {4, 4}},
      // All the weight on a stratum of 3 asked for 5: it keeps 3, and the
      // stratum of zero weight takes the 2 no other stratum can hold.
      {{3, 5}, {1, 0}, 5, {3, 2}},
  };
  for (const Case& c : cases) {
    std::vector<int32_t> counts(c.sizes.size(), -1);
    ASSERT_EQ(SAMPLING(QuorbelSampling_Allocate)(static_cast<int32_t>(c.sizes.size()), c.sizes.data(),
                                                  c.weights.data(), c.n, counts.data()),
              QUORBEL_OK);
    EXPECT_EQ(counts, c.counts) << c.n;
  }
  int32_t counts[2];
  const double sizes[] = {8, 2}, weights[] = {1, 9}, zero[] = {0, 0};
  EXPECT_EQ(SAMPLING(QuorbelSampling_Allocate)(2, sizes, weights, 11, counts), QUORBEL_SAMPLING_E_COUNT);
  EXPECT_EQ(SAMPLING(QuorbelSampling_Allocate)(2, sizes, zero, 3, counts), QUORBEL_SAMPLING_E_UNITS);
}

// Simple random selection: 3 of 10 units over 100,000 seeds, exactly 3
// each time and every unit within 4 standard errors of 3/10.
TEST(Sampling, SimpleRandomSelectionIsUniform) {
  constexpr int kRepetitions = 100000;
  std::vector<int> times(10, 0);
  int32_t chosen[10];
  for (uint64_t seed = 1; seed <= kRepetitions; ++seed) {
    ASSERT_EQ(SAMPLING(QuorbelSampling_SimpleRandom)(10, 3, seed, chosen), QUORBEL_OK);
    int32_t taken = 0;
    for (int i = 0; i < 10; ++i) taken += chosen[i], times[static_cast<size_t>(i)] += chosen[i];
    ASSERT_EQ(taken, 3);
  }
  const double se = std::sqrt(0.3 * 0.7 / kRepetitions);
  for (int i = 0; i < 10; ++i) EXPECT_LE(std::fabs(times[static_cast<size_t>(i)] / double{kRepetitions} - 0.3), 4 * se) << i;
  EXPECT_EQ(SAMPLING(QuorbelSampling_SimpleRandom)(10, 11, 1, chosen), QUORBEL_SAMPLING_E_COUNT);
}

// A unit of probability 0 is never drawn and a certainty unit always is,
// by both draws.
TEST(Sampling, ZeroAndCertainUnitsByBothDraws) {
  const double pi[] = {0, 0.5, 0.5, 1};
  int32_t chosen[4], pareto = 0;
  for (uint64_t seed = 1; seed <= 1000; ++seed) {
    ASSERT_EQ(SAMPLING(QuorbelSampling_Sampford)(4, pi, 2, seed, chosen, &pareto), QUORBEL_OK);
    EXPECT_EQ(chosen[0], 0);
    EXPECT_EQ(chosen[3], 1);
    EXPECT_EQ(chosen[1] + chosen[2], 1);
    ASSERT_EQ(SAMPLING(QuorbelSampling_Systematic)(4, pi, 2, seed, chosen), QUORBEL_OK);
    EXPECT_EQ(chosen[0], 0);
    EXPECT_EQ(chosen[3], 1);
    EXPECT_EQ(chosen[1] + chosen[2], 1);
  }
}

// 150 of 200 equal units: every Sampford draw repeats a unit long before
// 150 (the chance of none is about 1e-27), so the draw falls back to Pareto
// pi-ps sampling, says so, and still takes 150 distinct units.
TEST(Sampling, AnImpracticalSampfordFallsBackToPareto) {
  const std::vector<double> pi(200, 0.75);
  std::vector<int32_t> chosen(200);
  int32_t pareto = 0;
  ASSERT_EQ(SAMPLING(QuorbelSampling_Sampford)(200, pi.data(), 150, 7, chosen.data(), &pareto), QUORBEL_OK);
  EXPECT_EQ(pareto, 1);
  int32_t taken = 0;
  for (int32_t c : chosen) taken += c;
  EXPECT_EQ(taken, 150);
}

// The weighted prevalence against R's survey 4.1-1 (Debian's r-cran-survey):
// svyratio(~positives, ~tested, svydesign(ids = ~1, probs =
// ~inclusionProbability, data = d)) for the animals, svymean(~I(positives >
// 0), design) for the herds; the design effect SE^2 / (R (1 - R) / m) and the
// limits R -+ qnorm(0.975) SE computed in R beside them (the upper limit of
// the fourth kept within 1).
TEST(Sampling, WeightedRatioAgreesWithTheSurveyPackage) {
  struct Case {
    std::vector<double> pi, tested, positives;
    bool herds;
    double estimate, standardError, designEffect, lower, upper;
  };
  const std::vector<double> pi1 = {0.466, 0.175, 1, 0.311, 0.233, 0.816}, tested1 = {20, 10, 30, 15, 12, 25},
                            positives1 = {3, 0, 6, 2, 1, 4};
  const std::vector<double> pi2 = {0.2, 0.32, 0.48, 0.12, 0.8, 0.36, 0.24, 0.6},
                            tested2 = {10, 12, 15, 8, 20, 12, 10, 18}, positives2 = {0, 1, 3, 0, 5, 0, 2, 4};
  const Case cases[] = {
      {pi1, tested1, positives1, false, 0.10775334264504217, 0.031059440263252275, 1.1238014582918316,
       0.046877958349094473, 0.16862872694098988},
      {pi2, tested2, positives2, false, 0.09709379128137384, 0.039181089050648835, 1.838688697435225,
       0.020300267867045488, 0.17388731469570218},
      {{0.1, 0.2, 0.3, 0.4, 0.5}, {5, 5, 5, 5, 5}, {1, 0, 2, 0, 5}, false, 0.23357664233576642, 0.10358195030677939,
       1.4983388261799471, 0.030559750286061255, 0.43659353438547155},
      {pi1, tested1, positives1, true, 0.67519508987159116, 0.26904353807110976, 1.9803617076628772,
       0.14787944497898531, 1},
      {pi2, tested2, positives2, true, 0.43276283618581907, 0.20839182700767181, 1.4152615771034103,
       0.024322360578281077, 0.84120331179335706},
  };
  for (const Case& c : cases) {
    std::vector<double> y = c.positives, x = c.tested;
    if (c.herds)
      for (size_t i = 0; i < y.size(); ++i) y[i] = c.positives[i] > 0 ? 1 : 0, x[i] = 1;
    QuorbelSamplingEstimate r{};
    ASSERT_EQ(SAMPLING(QuorbelSampling_WeightedRatio)(static_cast<int32_t>(y.size()), c.pi.data(), y.data(), x.data(),
                                                       95, &r),
              QUORBEL_OK);
    EXPECT_NEAR(r.estimate, c.estimate, 1e-12);
    EXPECT_NEAR(r.standardError, c.standardError, 1e-12);
    EXPECT_NEAR(r.designEffect, c.designEffect, 1e-9);
    EXPECT_NEAR(r.lower, c.lower, 1e-12);
    EXPECT_NEAR(r.upper, c.upper, 1e-12);
  }
}

TEST(Sampling, RefusesInItsOrder) {
  const double sizes[] = {1, 2, 0};
  const double negative[] = {1, -2, 3};
  const double pi[] = {0.5, 0.5, 1.5};
  double out[3];
  int32_t certainty = 0, chosen[3], pareto = 0;
  EXPECT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(0, sizes, 1, out, &certainty), QUORBEL_SAMPLING_E_UNITS);
  EXPECT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(3, negative, 1, out, &certainty),
            QUORBEL_SAMPLING_E_UNITS);
  // Two units of positive size cannot give three.
  EXPECT_EQ(SAMPLING(QuorbelSampling_InclusionProbabilities)(3, sizes, 3, out, &certainty), QUORBEL_SAMPLING_E_COUNT);
  EXPECT_EQ(SAMPLING(QuorbelSampling_Sampford)(3, pi, 2, 1, chosen, &pareto), QUORBEL_SAMPLING_E_UNITS);
  const double sum2[] = {0.5, 0.5, 1};
  EXPECT_EQ(SAMPLING(QuorbelSampling_Sampford)(3, sum2, 3, 1, chosen, &pareto), QUORBEL_SAMPLING_E_COUNT);
  QuorbelSamplingEstimate e{};
  const double probs[] = {0.5, 0.5}, y[] = {1, 3}, x[] = {2, 2}, none[] = {0, 0};
  EXPECT_EQ(SAMPLING(QuorbelSampling_WeightedRatio)(2, probs, y, x, 95, &e), QUORBEL_SAMPLING_E_UNITS);  // 3 of 2
  EXPECT_EQ(SAMPLING(QuorbelSampling_WeightedRatio)(1, probs, none, x, 95, &e), QUORBEL_SAMPLING_E_FEW);
  EXPECT_EQ(SAMPLING(QuorbelSampling_WeightedRatio)(2, probs, none, none, 95, &e), QUORBEL_SAMPLING_E_FEW);
  EXPECT_EQ(SAMPLING(QuorbelSampling_WeightedRatio)(2, probs, none, x, 100, &e), QUORBEL_SAMPLING_E_LEVEL);
}

}  // namespace
}  // namespace quorbel::test
