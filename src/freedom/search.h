// The searches of the freedom sample sizes: the smallest whole number at
// which a monotone measure reaches its target.
#ifndef QUORBEL_FREEDOM_SEARCH_H
#define QUORBEL_FREEDOM_SEARCH_H

#include <cstdint>

namespace quorbel::freedom {

// The smallest n in lo .. hi with reaches(n), reaches growing with n; hi + 1
// when none does. Doubles up from lo, then bisects.
template <class Reaches>
int64_t SmallestReaching(int64_t lo, int64_t hi, Reaches reaches) {
  int64_t below = lo - 1, at = lo;
  while (!reaches(at)) {
    if (at == hi) return hi + 1;
    below = at;
    const int64_t span = at - lo + 1;  // 1, 2, 4, ...
    at = hi - at <= span ? hi : at + span;
  }
  while (at - below > 1) {
    const int64_t middle = below + (at - below) / 2;
    if (reaches(middle)) at = middle;
    else below = middle;
  }
  return at;
}

// SeP of n units of a simple component (units 0: infinite).
double SimpleSensitivity(int64_t units, int64_t diseased, int64_t sample, double prevalence, double sensitivity);

}  // namespace quorbel::freedom

#endif
