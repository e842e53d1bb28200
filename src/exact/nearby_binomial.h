// P(Bin(n, p) <= k) for a run of nearby (n, k), as a search asks for it:
// each value is carried from the last one by exact ratios where that costs
// less than the incomplete beta function of a fresh value.
#ifndef QUORBEL_EXACT_NEARBY_BINOMIAL_H
#define QUORBEL_EXACT_NEARBY_BINOMIAL_H

#include <cstdint>

namespace quorbel::exact {

class NearbyBinomialCdf {
 public:
  explicit NearbyBinomialCdf(double p) : p_(p) {}

  // P(Bin(n, p) <= k): BinomialCdf's own value when *fresh is set, else one
  // carried to it, within about 1e-12 of that.
  double At(int64_t n, int64_t k, bool* fresh);

 private:
  bool Carry(int64_t n, int64_t k);

  double p_;
  int64_t n_ = 0, k_ = 0;
  double cdf_ = 0.0, mass_ = 0.0;  // P(Bin(n_, p) <= k_) and P(Bin(n_, p) = k_)
  int64_t carried_ = -1;           // steps since the last fresh value; -1: none kept
};

}  // namespace quorbel::exact

#endif
