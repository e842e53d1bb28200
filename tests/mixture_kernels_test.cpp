// The Bayesian posteriors' and the reactor counts' vector loops (internal):
// every set this machine runs gives the plain loop's bits, at every
// alignment and length.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "exact/mixture_kernels.h"
#include "support.h"

namespace quorbel::test {
namespace {

using exact::EveryKernels;

// Beta(2, 1) of weight 0.75 raised to total 4: Beta(P, Q) is
// Q / (P + Q) Beta(P, Q + 1) + P / (P + Q) Beta(P + 1, Q), so
// 0.75 (1/3) = 0.25 stays as Beta(2, 2) and 0.75 (2/3) = 0.5 moves up to
// Beta(3, 1). Component 0 receives the carry, 0.125, from below it.
TEST(MixtureKernels, RaiseSplitsEachComponentByItsShape) {
  const double in[] = {0.0, 0.75, 0.0}, shape[] = {1.0, 2.0, 3.0};
  for (const auto& set : EveryKernels()) {
    SCOPED_TRACE(set.name);
    double out[3];
    const double moved = set.kernels.raise(in, nullptr, shape, 1.0 / 3.0, 0.125, 0, 2, out, nullptr);
    EXPECT_EQ(out[0], 0.125);
    EXPECT_DOUBLE_EQ(out[1], 0.25);
    EXPECT_DOUBLE_EQ(out[2], 0.5);
    EXPECT_EQ(moved, 0.0);
  }
}

// Random bands of weights from 1e-30 to 1 (and zeros), with and without a
// diagonal's weights added, from every start modulo 4 and of every length
// up to 39 (whole blocks of partial sums and a tail): each set's elements,
// carry and sum are the plain loop's, bit for bit, and the sum is Sum's.
TEST(MixtureKernels, EverySetGivesThePlainLoopsBits) {
  std::mt19937_64 random(20261207);
  std::uniform_real_distribution<double> exponent(-30.0, 0.0), first(0.25, 5000.0);
  auto weight = [&] { return random() % 7 == 0 ? 0.0 : std::pow(10.0, exponent(random)); };
  const auto& sets = EveryKernels();
  ASSERT_EQ(std::string(sets.front().name), "plain");
  constexpr size_t kLength = 44;
  for (int trial = 0; trial < 400; ++trial) {
    const int64_t start = trial % 4, last = start + static_cast<int64_t>(random() % 40) - 1;
    std::vector<double> in(kLength), add(kLength), shape(kLength), f(kLength), g(kLength);
    const double p = first(random);
    for (size_t k = 0; k < kLength; ++k) {
      in[k] = weight(), add[k] = weight(), f[k] = weight(), g[k] = weight();
      shape[k] = p + static_cast<double>(k);
    }
    const double r = 1.0 / (p + 30.0 + first(random)), carry = weight(), factor = std::pow(10.0, -exponent(random));
    const bool adding = trial % 2 == 0;
    double plainSum = -1.0, sum = -1.0;
    std::vector<double> plainOut(kLength, -1.0), plainW(kLength, -1.0);
    const auto& plain = sets.front().kernels;
    const double plainCarry = plain.raise(in.data(), adding ? add.data() : nullptr, shape.data(), r, carry, start,
                                          last, plainOut.data(), adding ? &plainSum : nullptr);
    plain.scale(f.data(), g.data(), factor, start, last, plainW.data());
    std::vector<double> plainRow(in);
    plain.addScaled(f.data(), factor, start, last, plainRow.data());
    if (adding) {
      const double summed = exact::Sum(add.data(), start, last);
      EXPECT_EQ(std::memcmp(&plainSum, &summed, sizeof sum), 0) << "trial " << trial;
      double oneByOne = 0.0;  // the same sum in another order: the last bits may differ
      for (int64_t k = start; k <= last; ++k) oneByOne += add[k];
      EXPECT_NEAR(plainSum, oneByOne, 1e-15 * oneByOne) << "trial " << trial;
    }
    for (const auto& set : sets) {
      SCOPED_TRACE(set.name);
      std::vector<double> out(kLength, -1.0), w(kLength, -1.0);
      const double moved = set.kernels.raise(in.data(), adding ? add.data() : nullptr, shape.data(), r, carry, start,
                                             last, out.data(), adding ? &sum : nullptr);
      set.kernels.scale(f.data(), g.data(), factor, start, last, w.data());
      std::vector<double> row(in);
      set.kernels.addScaled(f.data(), factor, start, last, row.data());
      EXPECT_EQ(std::memcmp(row.data(), plainRow.data(), kLength * sizeof(double)), 0) << "trial " << trial;
      EXPECT_EQ(std::memcmp(out.data(), plainOut.data(), kLength * sizeof(double)), 0) << "trial " << trial;
      EXPECT_EQ(std::memcmp(w.data(), plainW.data(), kLength * sizeof(double)), 0) << "trial " << trial;
      EXPECT_EQ(std::memcmp(&moved, &plainCarry, sizeof moved), 0) << "trial " << trial;
      if (adding) {
        EXPECT_EQ(std::memcmp(&sum, &plainSum, sizeof sum), 0) << "trial " << trial;
      }
    }
  }
}

}  // namespace
}  // namespace quorbel::test
