// The population sensitivity summed over the population's reactors
// (internal), against R and against the sum over the sample's diseased
// units (QuorbelExact_Evaluate's).
#include <cstdint>
#include <random>

#include "exact/population_reactors.h"
#include "quorbel_exact.h"
#include "support.h"

namespace quorbel::test {
namespace {

// The exact layer's exports, called by name in the library under test.
#define EXACT(name) NATIVE_EXPORT(name)

using exact::PopulationReactors;

// A sweep grown until its bounds settle a comparison says that the value
// reaches a level just under it and not one just over it, and leaves a
// level at the value itself unsettled when asked for 1e-9 to spare.
void ExpectSettlesAround(const PopulationReactors& reactors, int64_t sample, int64_t positiveAt, double value) {
  bool reaches = false;
  EXPECT_TRUE(reactors.Settles(sample, positiveAt, value - 1e-8, 1e-9, &reaches) && reaches) << sample;
  EXPECT_TRUE(reactors.Settles(sample, positiveAt, value + 1e-8, 1e-9, &reaches) && !reaches) << sample;
  if (value > 1e-8 && value < 1 - 1e-8) {
    EXPECT_FALSE(reactors.Settles(sample, positiveAt, value, 1e-9, &reaches)) << sample;
  }
}

// R, from the same decomposition with exact hypergeometric tails:
//   pi <- convolve(dbinom(a, D, se), rev(dbinom(m, N - D, q)), type = "open")
//   sum(pi * phyper(c - 1, r, N - r, n, lower.tail = FALSE))
// with a and m spanning 14 standard deviations (tests/reference notes the
// same sums). The first two are designs of 10^7 animals that detect exact
// answers; the third is one animal short of the second.
TEST(PopulationReactors, AgreesWithR) {
  struct Case {
    int64_t population, diseased;
    double se, q;
    int64_t sample, positiveAt;
    double sensitivity;
  };
  const Case cases[] = {
      {10000000, 10000, 0.9, 0.01, 141075, 1473, 0.950002517842502},
      {10000000, 100000, 0.5, 0.1, 61964, 6320, 0.950001415341063},
      {10000000, 100000, 0.5, 0.1, 61963, 6320, 0.949860657668431},
  };
  for (const Case& c : cases) {
    const PopulationReactors reactors(c.population, c.diseased, c.se, c.q);
    EXPECT_NEAR(reactors.Sensitivity(c.sample, c.positiveAt), c.sensitivity, 1e-10) << c.sample;
    ExpectSettlesAround(reactors, c.sample, c.positiveAt, c.sensitivity);
  }
}

// Against the sum over the sample's diseased units (QuorbelExact_Evaluate)
// on 60 designs of up to 20,000 animals, every prevalence, test and cut-off
// drawn with a fixed seed; and the edges by definition: at least 0 reactors
// always, more than n never.
TEST(PopulationReactors, AgreesWithTheSumOverDiseasedUnits) {
  std::mt19937_64 draw(3);
  for (int k = 0; k < 60; ++k) {
    const int64_t population = 10 + static_cast<int64_t>(draw() % 20000);
    const double prevalence = static_cast<double>(1 + draw() % 500) / 1000.0;
    const double se = static_cast<double>(1 + draw() % 1000) / 1000.0;
    const double sp = static_cast<double>(500 + draw() % 501) / 1000.0;
    const int32_t sample = 1 + static_cast<int32_t>(draw() % static_cast<uint64_t>(population));
    const int32_t positiveAt = 1 + static_cast<int32_t>(draw() % static_cast<uint64_t>(sample / 4 + 1));
    QuorbelExactEvaluation e{};
    ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Evaluate)(static_cast<double>(population), sample, prevalence, se, sp,
                                                       positiveAt, &e));
    const PopulationReactors reactors(population, static_cast<int64_t>(e.diseasedUnits), se, 1.0 - sp);
    EXPECT_NEAR(reactors.Sensitivity(sample, positiveAt), e.populationSensitivity, 1e-10)
        << population << " " << sample << " " << positiveAt;
    ExpectSettlesAround(reactors, sample, positiveAt, e.populationSensitivity);
    EXPECT_EQ(reactors.Sensitivity(sample, 0), 1.0);
    EXPECT_EQ(reactors.Sensitivity(sample, sample + 1), 0.0);
  }
  // A sample of the whole population holds every reactor, and one short of
  // it all but one at most: the sweep must start where the point masses it
  // carries are not 0.
  const struct {
    int64_t population;
    double prevalence, se, sp;
  } edges[] = {{1000, 0.01, 0.95, 0.98}, {200, 0.1, 0.8, 0.9}, {50, 0.5, 0.6, 0.7}};
  for (const auto& edge : edges) {
    for (int64_t sample = edge.population - 1; sample <= edge.population; ++sample) {
      for (int32_t positiveAt : {1, 5, 20, 29}) {
        QuorbelExactEvaluation whole{};
        ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Evaluate)(static_cast<double>(edge.population), static_cast<int32_t>(sample),
                                                           edge.prevalence, edge.se, edge.sp, positiveAt, &whole));
        const PopulationReactors reactors(edge.population, static_cast<int64_t>(whole.diseasedUnits), edge.se,
                                          1.0 - edge.sp);
        EXPECT_NEAR(reactors.Sensitivity(sample, positiveAt), whole.populationSensitivity, 1e-12)
            << edge.population << " " << sample << " " << positiveAt;
        ExpectSettlesAround(reactors, sample, positiveAt, whole.populationSensitivity);
      }
    }
  }
  const PopulationReactors perfect(100, 10, 1.0, 0.0);
  QuorbelExactEvaluation e{};
  ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Evaluate)(100, 30, 0.1, 1.0, 1.0, 1, &e));
  EXPECT_NEAR(perfect.Sensitivity(30, 1), e.populationSensitivity, 1e-14);
}

// One set of reactors asked for a run of nearby samples and cut-offs, as a
// search asks, carries each sweep's start from the last by exact ratios:
// more and fewer animals, higher and lower cut-offs, both together, a
// cut-off alone (which moves where the tail turns, so the reactors too),
// and jumps too far to carry. Each value must be the sum over the sample's
// diseased units (QuorbelExact_Evaluate's) all the same.
TEST(PopulationReactors, StartsCarriedFromTheLastSweepKeepTheirValues) {
  constexpr int64_t kPopulation = 20000;
  constexpr double kPrevalence = 0.05, kSe = 0.7, kSp = 0.9;
  const struct {
    int32_t animals, cutOffs;
    int repeats;
  } moves[] = {{10, 1, 20}, {-7, 0, 3}, {0, 1, 4}, {0, -1, 6}, {25, 3, 5}, {-10, -1, 10},
               {300, 30, 1}, {-4000, -400, 1}, {1, 0, 2}, {9000, 900, 1}};
  QuorbelExactEvaluation e{};
  ASSERT_EQ(QUORBEL_OK, EXACT(QuorbelExact_Evaluate)(kPopulation, 1, kPrevalence, kSe, kSp, 1, &e));
  const PopulationReactors reactors(kPopulation, static_cast<int64_t>(e.diseasedUnits), kSe, 1.0 - kSp);
  int32_t sample = 5000, positiveAt = 560;
  for (const auto& move : moves) {
    for (int i = 0; i < move.repeats; ++i) {
      sample += move.animals;
      positiveAt += move.cutOffs;
      ASSERT_EQ(QUORBEL_OK,
                EXACT(QuorbelExact_Evaluate)(kPopulation, sample, kPrevalence, kSe, kSp, positiveAt, &e));
      EXPECT_NEAR(reactors.Sensitivity(sample, positiveAt), e.populationSensitivity, 1e-11)
          << sample << " " << positiveAt;
    }
  }
}

}  // namespace
}  // namespace quorbel::test
