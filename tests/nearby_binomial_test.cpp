// P(Bin(n, p) <= k) carried from one (n, k) to the next (internal), against
// Boost's incomplete beta function (BinomialCdf) at every point.
#include <cstdint>

#include "exact/nearby_binomial.h"
#include "support.h"

namespace quorbel::test {
namespace {

using exact::NearbyBinomialCdf;

// Boost's incomplete beta function's value, as BinomialCdf gives it: the
// first value a fresh NearbyBinomialCdf gives is always that.
double BinomialCdf(int64_t n, double p, int64_t k) {
  NearbyBinomialCdf fresh(p);
  bool isFresh = false;
  const double value = fresh.At(n, k, &isFresh);
  EXPECT_TRUE(isFresh);
  return value;
}

// A run of moves like a search's: trials and counts up and down, alone and
// together, jumps too long to carry, and counts below 0, where no value is
// carried. A carried value must stay within 1e-12 of Boost's; a fresh one
// must be Boost's own bits.
TEST(NearbyBinomial, CarriedValuesKeepToTheIncompleteBeta) {
  const struct {
    int64_t trials, counts;
    int repeats;
  } moves[] = {{10, 1, 50}, {1, 0, 8}, {-1, 0, 8}, {-3, 0, 5}, {0, 1, 12}, {0, -1, 20},
               {-10, -1, 30}, {400, 40, 1}, {5000, 500, 1}, {-60000, -6000, 1}, {0, -700, 1}, {700, 700, 1}};
  for (const double p : {0.1, 0.02, 0.5}) {
    NearbyBinomialCdf cdf(p);
    int64_t n = 60000, k = static_cast<int64_t>(p * 60000.0);
    int fresh = 0, carried = 0;
    for (const auto& move : moves) {
      for (int i = 0; i < move.repeats; ++i) {
        n += move.trials;
        k += move.counts;
        bool isFresh = false;
        const double value = cdf.At(n, k, &isFresh), boost = BinomialCdf(n, p, k);
        if (isFresh) {
          ++fresh;
          EXPECT_EQ(value, boost) << n << " " << k;
        } else {
          ++carried;
          EXPECT_NEAR(value, boost, 1e-12) << n << " " << k;
        }
      }
    }
    EXPECT_GT(carried, 100) << p;
    EXPECT_GE(fresh, 3) << p;  // the first, and the jumps of 5,500 and 66,000 steps
  }
}

}  // namespace
}  // namespace quorbel::test
