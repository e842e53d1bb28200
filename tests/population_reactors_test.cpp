// The population sensitivity summed over the population's reactors
// (internal), against R and against the sum over the sample's diseased units.
#include <cstdint>
#include <random>

#include "exact/population_reactors.h"
#include "exact/sums.h"
#include "support.h"

namespace quorbel::test {
namespace {

using exact::PopulationReactors;

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
  }
}

// Against the sum over the sample's diseased units on 60 designs of up to
// 20,000 animals (every prevalence, test and cut-off drawn with a fixed
// seed), with the edges: a perfect test, a cut-off of 0, one above n.
TEST(PopulationReactors, AgreesWithTheSumOverDiseasedUnits) {
  std::mt19937_64 draw(3);
  for (int k = 0; k < 60; ++k) {
    const int64_t population = 10 + static_cast<int64_t>(draw() % 20000);
    const double prevalence = static_cast<double>(1 + draw() % 500) / 1000.0;
    const double se = static_cast<double>(1 + draw() % 1000) / 1000.0;
    const double sp = static_cast<double>(500 + draw() % 501) / 1000.0;
    const int64_t sample = 1 + static_cast<int64_t>(draw() % static_cast<uint64_t>(population));
    const int64_t positiveAt = static_cast<int64_t>(draw() % static_cast<uint64_t>(sample / 4 + 2));
    const int64_t diseased = exact::DiseasedUnits(prevalence, population);
    const PopulationReactors reactors(population, diseased, se, 1.0 - sp);
    for (const int64_t c : {positiveAt, int64_t{0}, sample + 1})
      EXPECT_NEAR(reactors.Sensitivity(sample, c),
                  exact::PopulationSensitivity(population, sample, prevalence, se, sp, c), 1e-10)
          << population << " " << sample << " " << c;
  }
  const PopulationReactors perfect(100, 10, 1.0, 0.0);
  EXPECT_NEAR(perfect.Sensitivity(30, 1), exact::PopulationSensitivity(100, 30, 0.1, 1.0, 1.0, 1), 1e-15);
}

}  // namespace
}  // namespace quorbel::test
