// The generator of the sampling exports: xoshiro256** seeded with four
// outputs of SplitMix64 of the user's seed, the same draws on every
// platform (integer arithmetic only, then one exact scaling to a double).
#ifndef QUORBEL_SAMPLING_GENERATOR_H
#define QUORBEL_SAMPLING_GENERATOR_H

#include <cstdint>

namespace quorbel::sampling {

class Generator {
 public:
  explicit Generator(uint64_t seed) {
    for (uint64_t& word : state_) word = SplitMix64(&seed);
  }
  uint64_t Next() {
    const uint64_t result = Rotate(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotate(state_[3], 45);
    return result;
  }
  // Uniform on [0, 1): the top 53 bits times 2^-53.
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  static uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  static uint64_t SplitMix64(uint64_t* x) {
    uint64_t z = (*x += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  uint64_t state_[4];
};

}  // namespace quorbel::sampling

#endif
