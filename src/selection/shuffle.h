// The random shuffle of simple random selection, in the form that fixes how
// random numbers are consumed: for i = 1 .. m - 1, j is drawn uniformly-ish
// from 0 .. i out of 15-bit rand() values (two of them once i + 1 exceeds
// 32767) and a[i] is exchanged with a[j]. A list of one makes no draw.
#ifndef QUORBEL_SELECTION_SHUFFLE_H
#define QUORBEL_SELECTION_SHUFFLE_H

#include <cstdint>
#include <utility>

#include "platform/platform.h"

namespace quorbel {

inline void ShuffleIndices(int32_t* a, uint32_t m) {
  for (uint32_t i = 1; i < m; ++i) {
    const uint32_t bound = i + 1;
    constexpr uint32_t kMax = platform::kRandomMax;
    uint32_t r = static_cast<uint32_t>(platform::Current().random()) & kMax;
    uint32_t range = kMax;
    while (range < bound && range != UINT32_MAX) {
      r = (r << 15) | (static_cast<uint32_t>(platform::Current().random()) & kMax);
      range = (range << 15) | kMax;
    }
    std::swap(a[i], a[r % bound]);
  }
}

}  // namespace quorbel

#endif
