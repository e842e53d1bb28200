// The distribution of a population's reactors (internal): the recurrence
// against the convolution of the two binomials' masses, and both against R.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "exact/reactor_counts.h"
#include "support.h"

namespace quorbel::test {
namespace {

using exact::ConvolveReactors;
using exact::CountReactors;

// Populations where the recurrence turns below, inside and above the
// window of counts (r_s = b0 / a1 against the mean D Se + (N - D) q), from
// 1,000 to 10^7 units, and binomials too narrow to recur. Every mass must be
// the convolution's within 1e-14, the window the same, and the masses must
// sum to 1 within 1e-9 (the binomials' own masses are good to about 1e-11
// each: see AgreeWithR).
TEST(ReactorCounts, TheRecurrenceKeepsToTheConvolution) {
  const struct {
    int64_t population, diseased;
    double se, q;
    bool recurs;
  } cases[] = {
      {1000, 10, 0.9, 0.05, false},          // 10 diseased: too few masses to recur
      {1000, 100, 0.9, 0.05, true},          // turns inside the window
      {1000000, 100000, 0.2, 0.4, true},     // above it
      {10000000, 30000, 0.3, 0.15, true},    // above it
      {10000000, 10000, 0.5, 0.1, true},     // inside, 4 sd above the mean
      {10000000, 9000000, 0.999, 0.3, true}, // below it
      {100000, 50000, 0.5, 0.5, true},       // at the mean
      {10000000, 5000, 0.9, 0.0001, true},
      {2000, 100, 1.0, 0.1, false},          // a perfect sensitivity: one count of diseased reactors
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.population) + " " + std::to_string(c.diseased));
    const auto counts = CountReactors(c.population, c.diseased, c.se, c.q);
    const auto convolved = ConvolveReactors(c.population, c.diseased, c.se, c.q);
    EXPECT_EQ(counts.recurred, c.recurs);
    ASSERT_EQ(counts.first, convolved.first);
    ASSERT_EQ(counts.mass.size(), convolved.mass.size());
    double largestGap = 0.0, total = 0.0;
    for (size_t k = 0; k < counts.mass.size(); ++k) {
      largestGap = std::max(largestGap, std::fabs(counts.mass[k] - convolved.mass[k]));
      total += counts.mass[k];
    }
    EXPECT_LT(largestGap, 1e-14);
    EXPECT_NEAR(total, 1.0, 1e-9);
  }
}

// R: sum(dbinom(r - 0:D, N - D, q) * dbinom(0:D, D, se)) for N = 10^6,
// D = 10^5, Se 0.2, q 0.4 (mean 380,000, sd 481.7), at the mean, 2 and 6
// sd above it and 4 below, within 1e-10 of each (the binomials' masses,
// Boost's density at the mode carried outward by exact ratios, are good to
// about 3e-11).
TEST(ReactorCounts, AgreeWithR) {
  const auto counts = CountReactors(1000000, 100000, 0.2, 0.4);
  ASSERT_TRUE(counts.recurred);
  const struct {
    int64_t r;
    double mass;
  } expected[] = {
      {380000, 8.2825860764161e-04},
      {380963, 1.1226284487461e-04},
      {382890, 1.2808417305010e-11},
      {378073, 2.7591748261152e-07},
  };
  for (const auto& e : expected) {
    const double mass = counts.mass[static_cast<size_t>(e.r - counts.first)];
    EXPECT_NEAR(mass, e.mass, 1e-10 * e.mass) << e.r;
  }
}

}  // namespace
}  // namespace quorbel::test
