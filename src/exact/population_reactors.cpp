// See population_reactors.h.
#include "exact/population_reactors.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "exact/reactor_counts.h"
#include "exact/sums.h"

namespace quorbel::exact {

namespace {

// Two doubles side by side, for the sweep's pairs of steps: SSE2's two lanes
// where there are any; elsewhere the compiler takes the lanes one by one, by
// the same operations, so every build gives the same bits.
using Two = double __attribute__((vector_size(16)));

Two LoadTwo(const double* p) {
  Two pair;
  std::memcpy(&pair, p, sizeof pair);
  return pair;
}

// P(Hyp(N, r, n) >= c): the masses of the side of c away from the mode,
// walked from c outward by exact ratios until they are negligible (the
// side toward the mode is one less the other).
double HypergeometricUpperTail(int64_t population, int64_t reactors, int64_t sample, int64_t c) {
  const Hypergeometric h(population, reactors, sample);
  if (c <= h.lo) return 1.0;
  if (c > h.hi) return 0.0;
  const bool above = c > h.Mode();
  int64_t y = above ? c : c - 1;
  double mass = HypergeometricMass(population, reactors, sample, y), sum = 0.0;
  const double first = mass;
  while (mass > kNegligible * first) {
    sum += mass;
    if (above ? y == h.hi : y == h.lo) break;
    mass *= above ? h.Up(y) : h.Down(y);
    y += above ? 1 : -1;
  }
  return std::clamp(above ? sum : 1.0 - sum, 0.0, 1.0);
}

// P(Hyp(N, r, n) = k), 0 outside its range.
double HypergeometricPoint(int64_t population, int64_t reactors, int64_t sample, int64_t k) {
  const Hypergeometric h(population, reactors, sample);
  if (k < h.lo || k > h.hi) return 0.0;
  if (h.lo == h.hi) return 1.0;
  return HypergeometricMass(population, reactors, sample, k);
}

// The steps that carry a start (see PopulationReactors::Anchor) by one
// animal, cut-off or reactor, each false where it would leave the support of
// the mass it carries. With k below c and X ~ Hyp(N, r, n):
//   k + 1: P(X = k + 1) = P(X = k) (r - k)(n - k) / ((k + 1)(N - r - n + k + 1)),
//          and the tail loses it;
//   n + 1: the tail gains P(X = k) (r - k) / (N - n), the chance that the
//          next animal is the c-th reactor, and
//          P(X = k) becomes P(X = k) (N - r - n + k)(n + 1) / ((n + 1 - k)(N - n));
//   r + 1: the tail gains P(X = k) (n - k) / (N - r) (n / N of the point
//          mass the sweep carries), and
//          P(X = k) becomes P(X = k) (r + 1)(N - r - n + k) / ((r + 1 - k)(N - r));
// and each step back undoes its step forward.
struct Carried {
  double N, r, n, k, tail, mass;

  bool Moved(double factor) {
    if (!(factor > 0.0)) return false;
    mass *= factor;
    return mass > kSmallestCarried;
  }
  bool CutOffUp() {
    if (!Moved((r - k) * (n - k) / ((k + 1.0) * (N - r - n + k + 1.0)))) return false;
    k += 1.0;
    tail -= mass;
    return true;
  }
  bool CutOffDown() {
    tail += mass;
    if (!Moved(k * (N - r - n + k) / ((r - k + 1.0) * (n - k + 1.0)))) return false;
    k -= 1.0;
    return true;
  }
  // More animals go two at a time, over one division: with Q = n + 1 - k,
  // P = N - n and A = N - r - n + k the tail gains
  //   mass (r - k)(Q + 1)(Q (P - 1) + A (n + 1)) / (Q P (Q + 1)(P - 1))
  // and the mass takes A (n + 1)(A - 1)(n + 2) / (Q P (Q + 1)(P - 1)).
  // Negative counts of steps are fewer animals.
  bool Samples(int64_t steps) {
    for (; steps >= 2; steps -= 2) {
      const double q = n + 1.0 - k, p = N - n, a = N - r - n + k;
      if (!(p - 1.0 > 0.0 && q > 0.0 && a - 1.0 > 0.0)) break;
      const double inverse = 1.0 / ((q * p) * ((q + 1.0) * (p - 1.0)));
      tail += mass * ((r - k) * (q + 1.0) * (q * (p - 1.0) + a * (n + 1.0)) * inverse);
      mass *= (a * (n + 1.0)) * ((a - 1.0) * (n + 2.0)) * inverse;
      n += 2.0;
    }
    for (; steps > 0; --steps)
      if (!SampleUp()) return false;
    for (; steps < 0; ++steps)
      if (!SampleDown()) return false;
    return mass > kSmallestCarried;
  }
  // The other steps take one division each, their two fractions over one
  // denominator.
  bool SampleUp() {
    if (n >= N) return false;
    const double inverse = 1.0 / ((n + 1.0 - k) * (N - n));
    tail += mass * ((r - k) * (n + 1.0 - k) * inverse);
    if (!Moved((N - r - n + k) * (n + 1.0) * inverse)) return false;
    n += 1.0;
    return true;
  }
  bool SampleDown() {
    if (n <= 1.0) return false;
    const double inverse = 1.0 / ((N - r - n + 1.0 + k) * n);
    tail -= mass * ((n - k) * (r - k) * inverse);
    if (!Moved((n - k) * (N - n + 1.0) * inverse)) return false;
    n -= 1.0;
    return true;
  }
  bool ReactorsUp() {
    if (r >= N) return false;
    const double inverse = 1.0 / ((r + 1.0 - k) * (N - r));
    tail += mass * ((n - k) * (r + 1.0 - k) * inverse);
    if (!Moved((r + 1.0) * (N - r - n + k) * inverse)) return false;
    r += 1.0;
    return true;
  }
  bool ReactorsDown() {
    if (r <= 0.0) return false;
    const double inverse = 1.0 / (r * (N - r - n + k + 1.0));
    tail -= mass * ((r - k) * (n - k) * inverse);
    if (!Moved((r - k) * (N - r + 1.0) * inverse)) return false;
    r -= 1.0;
    return true;
  }
  // A mass this small has left the support or is about to underflow.
  static constexpr double kSmallestCarried = 1e-280;
};

// A start is carried rather than walked afresh only while its steps cost
// less than a fresh walk: about kFreshStartSpreads standard deviations of
// the hypergeometric plus kFreshStartTerms for its two first masses. After
// kCarriedAtMost steps it is walked afresh, before rounding adds up.
constexpr double kFreshStartSpreads = 10.0, kFreshStartTerms = 900.0;
constexpr int64_t kCarriedAtMost = int64_t{1} << 15;

}  // namespace

PopulationReactors::PopulationReactors(int64_t population, int64_t diseased, double se, double q)
    : population_(population) {
  ReactorCounts counts = CountReactors(population, diseased, se, q);
  first_ = counts.first;
  mass_ = std::move(counts.mass);
  below_.assign(mass_.size(), 0.0);
  above_.assign(mass_.size(), 0.0);
  for (size_t i = 1; i < mass_.size(); ++i) below_[i] = below_[i - 1] + mass_[i - 1];
  for (size_t i = mass_.size() - 1; i > 0; --i) above_[i - 1] = above_[i] + mass_[i];
}

// The sweep starts where the tail turns, r = c N / n (within the window of
// r), from the tail and the point mass taken there, and goes up and down
// with the ratios of P(Hyp(N - 1, r, n - 1) = c - 1):
//   up   h(r + 1) / h(r) = (r + 1)(N - r - n + k) / ((r + 1 - k)(N - 1 - r)),
//   down h(r - 1) / h(r) = (r - k)(N - r) / (r (N - r - n + k + 1)),  k = c - 1.
PopulationReactors::Sweep PopulationReactors::Start(int64_t sample, int64_t positiveAt, Side* side,
                                                    double* total) const {
  const int64_t N = population_, n = sample, k = positiveAt - 1;
  const Sweep s{static_cast<double>(N), static_cast<double>(n), static_cast<double>(k),
                static_cast<double>(n) / static_cast<double>(N)};
  // The ratios carry the point mass only from where it is not 0: r0 is
  // kept within its support, k .. k + N - n, where the window meets it
  // (with n = N it is k alone). Where it does not, the mass is 0 across the
  // window and the tail the same at every r.
  const double turn = static_cast<double>(positiveAt) * s.N / s.n;
  int64_t lo = first_, hi = Last();
  if (std::max(lo, k) <= std::min(hi, k + N - n)) {
    lo = std::max(lo, k);
    hi = std::min(hi, k + N - n);
  }
  const int64_t r0 = std::clamp(static_cast<int64_t>(std::min(turn, static_cast<double>(hi))), lo, hi);
  if (Carry(r0, n, k)) {
    const double point = anchor_.mass * (s.n - s.k) * s.N / ((s.N - static_cast<double>(r0)) * s.n);
    *side = Side{r0, anchor_.tail, point};
  } else {
    *side = Side{r0, HypergeometricUpperTail(N, r0, n, positiveAt), HypergeometricPoint(N - 1, r0, n - 1, k)};
    // P(Hyp(N, r, n) = k) from the point mass, n / N (N - r) / (n - k) of it.
    const double mass = r0 < N ? side->point * (s.n * (s.N - static_cast<double>(r0))) / ((s.n - s.k) * s.N) : 0.0;
    anchor_ = mass > 0.0 ? Anchor{r0, n, k, side->tail, mass, 0} : Anchor{};
  }
  *total = MassAt(r0) * side->tail;
  return s;
}

// Carries the kept start to r, n and k where that is cheaper than walking
// afresh: the animals and cut-offs in step with each other (so that k stays
// near the middle of the sample's reactors), then the reactors.
bool PopulationReactors::Carry(int64_t r, int64_t n, int64_t k) const {
  const Anchor& from = anchor_;
  if (from.carried < 0) return false;
  const int64_t animals = std::abs(n - from.n), cutOffs = std::abs(k - from.k), steps = animals + cutOffs + std::abs(r - from.r);
  const double N = static_cast<double>(population_), p = static_cast<double>(r) / N;
  const double spread = std::sqrt(static_cast<double>(n) * p * (1.0 - p) * (1.0 - static_cast<double>(n) / N));
  if (from.carried + steps > kCarriedAtMost || static_cast<double>(steps) > kFreshStartSpreads * spread + kFreshStartTerms)
    return false;
  Carried c{N, static_cast<double>(from.r), static_cast<double>(from.n), static_cast<double>(from.k), from.tail, from.mass};
  const bool moved = StepInProportion(
      animals, cutOffs, [&](int64_t steps) { return c.Samples(n > from.n ? steps : -steps); },
      [&] { return k > from.k ? c.CutOffUp() : c.CutOffDown(); });
  if (!moved) return false;
  for (int64_t i = std::abs(r - from.r); i > 0; --i)
    if (!(r > from.r ? c.ReactorsUp() : c.ReactorsDown())) return false;
  anchor_ = Anchor{r, n, k, c.tail, c.mass, from.carried + steps};
  return true;
}

// Moves the upper side up to r = until, adding each r's mass times its tail.
// The tails are not taken one by one, though: the tail at r is the side's tail plus
// n / N times the point masses below r, so the masses swept take the side's
// tail times their sum, and n / N times each point mass h(j) times the sum
// of the masses above j (above_, less what lies beyond the sweep). Two steps
// share one division, and the point mass two steps on is taken from the one
// before them, so that the loop waits on one multiplication per two steps.
void PopulationReactors::StepUp(const Sweep& s, Side* up, int64_t until, double* total) const {
  // The factors of the ratios at r and r + 1, whole numbers held exactly:
  // h(r + 1) / h(r) = x y / (u v), h(r + 2) / h(r + 1) = (x + 1)(y - 1) / ((u + 1)(v - 1)).
  int64_t r = up->r;
  const double R = static_cast<double>(r);
  const double u = R + 1.0 - s.k, v = s.N - 1.0 - R, x = R + 1.0, y = s.N - R - s.n + s.k;
  Two us = {u, u + 1.0}, vs = {v, v - 1.0}, xs = {x, x + 1.0}, ys = {y, y - 1.0};
  Two points = {0.0, 0.0}, weighted = {0.0, 0.0};
  const Two two = {2.0, 2.0};
  const size_t from = static_cast<size_t>(r - first_);
  const double* above = above_.data() + from;
  double point = up->point;  // kept in a register, not behind the pointer
  // u only grows and v - 1 stays above 0 up to r + 2 = N - 1: the pairs'
  // denominators stay positive.
  const int64_t pairsUntil = u > 0.0 ? std::min(until, population_ - 1) : r;
  for (; r + 2 <= pairsUntil; r += 2, above += 2, us += two, vs -= two, xs += two, ys -= two) {
    const Two d = us * vs, n = xs * ys;
    const double inverse = 1.0 / (d[0] * d[1]);
    const Two here = {point, point * (n[0] * d[1] * inverse)};  // h(r), h(r + 1)
    points += here;
    weighted += here * LoadTwo(above);
    point *= n[0] * n[1] * inverse;  // h(r + 2), the one product the next pair waits on
  }
  // h(j) raises the tail at every r above j: the masses from + 1 .. r gain
  // n / N h(j) times their sum above j, above_[j] - above_[r].
  const double sum = points[0] + points[1], aboveEnd = above_[static_cast<size_t>(r - first_)];
  *total += up->tail * (above_[from] - aboveEnd) + s.share * ((weighted[0] + weighted[1]) - aboveEnd * sum);
  up->tail += s.share * sum;
  up->point = point;
  up->r = r;
  for (; r < until; ++r) {
    up->tail += s.share * up->point;
    const double R = static_cast<double>(r), denominator = (R + 1.0 - s.k) * (s.N - 1.0 - R);
    up->point = denominator > 0.0 ? up->point * ((R + 1.0) * (s.N - R - s.n + s.k) / denominator) : 0.0;
    *total += MassAt(r + 1) * std::clamp(up->tail, 0.0, 1.0);
  }
  up->r = std::max(up->r, until);
}

// Moves the lower side down to r = until, the same way.
void PopulationReactors::StepDown(const Sweep& s, Side* down, int64_t until, double* total) const {
  // h(r - 1) / h(r) = g h / (R e), h(r - 2) / h(r - 1) = (g - 1)(h + 1) / ((R - 1)(e + 1)).
  int64_t r = down->r;
  const double R = static_cast<double>(r), e = s.N - R - s.n + s.k + 1.0, g = R - s.k, h = s.N - R;
  Two rs = {R, R - 1.0}, es = {e, e + 1.0}, gs = {g, g - 1.0}, hs = {h, h + 1.0};
  Two points = {0.0, 0.0}, weighted = {0.0, 0.0};
  const Two two = {2.0, 2.0};
  const size_t from = static_cast<size_t>(r - first_);
  const double* below = below_.data() + from;
  double point = down->point;
  // e only grows and R - 1 stays above k down to r - 2 = k: the pairs'
  // denominators and numerators stay positive.
  const int64_t pairsUntil = e > 0.0 ? std::max(until, static_cast<int64_t>(s.k)) : r;
  for (; r - 2 >= pairsUntil; r -= 2, below -= 2, rs -= two, es += two, gs -= two, hs += two) {
    const Two d = rs * es, n = gs * hs;
    const double inverse = 1.0 / (d[0] * d[1]);
    const double point1 = point * (n[0] * d[1] * inverse);  // h(r - 1)
    point *= n[0] * n[1] * inverse;                         // h(r - 2)
    const Two here = {point, point1};
    points += here;
    weighted += here * LoadTwo(below - 1);  // below_[r - 1], below_[r]
  }
  // h(j) lowers the tail at every r from j down: the masses r .. from - 1
  // lose n / N h(j) times their sum up to j, below_[j + 1] - below_[r].
  const double sum = points[0] + points[1], belowEnd = below_[static_cast<size_t>(r - first_)];
  *total += down->tail * (below_[from] - belowEnd) - s.share * ((weighted[0] + weighted[1]) - belowEnd * sum);
  down->tail -= s.share * sum;
  down->point = point;
  down->r = r;
  for (; r > until; --r) {
    const double R = static_cast<double>(r), denominator = R * (s.N - R - s.n + s.k + 1.0);
    down->point = denominator > 0.0 && R > s.k ? down->point * ((R - s.k) * (s.N - R) / denominator) : 0.0;
    down->tail -= s.share * down->point;
    *total += MassAt(r - 1) * std::clamp(down->tail, 0.0, 1.0);
  }
  down->r = std::min(down->r, until);
}

double PopulationReactors::Sensitivity(int64_t sample, int64_t positiveAt) const {
  if (positiveAt <= 0) return 1.0;
  if (positiveAt > sample) return 0.0;
  Side up{}, down{};
  double total = 0.0;
  const Sweep s = Start(sample, positiveAt, &up, &total);
  down = up;
  StepUp(s, &up, Last(), &total);
  StepDown(s, &down, first_, &total);
  return std::min(total, 1.0);
}

bool PopulationReactors::Settles(int64_t sample, int64_t positiveAt, double threshold, double margin,
                                 bool* reaches) const {
  if (positiveAt <= 0 || positiveAt > sample) {
    *reaches = (positiveAt <= 0 ? 1.0 : 0.0) >= threshold;
    return true;
  }
  Side up{}, down{};
  double total = 0.0;
  const Sweep s = Start(sample, positiveAt, &up, &total);
  down = up;
  for (;;) {
    const double above = above_[static_cast<size_t>(up.r - first_)], below = below_[static_cast<size_t>(down.r - first_)];
    const double lower = total + std::clamp(up.tail, 0.0, 1.0) * above;
    const double upper = total + above + std::clamp(down.tail, 0.0, 1.0) * below;
    if (upper < threshold - margin || lower > threshold + margin) {
      *reaches = lower > threshold + margin;
      return true;
    }
    if (up.r == Last() && down.r == first_) return false;
    // The side whose masses leave the wider gap between the bounds moves.
    const double gapAbove = (1.0 - std::clamp(up.tail, 0.0, 1.0)) * above;
    const double gapBelow = std::clamp(down.tail, 0.0, 1.0) * below;
    if (down.r == first_ || (up.r < Last() && gapAbove >= gapBelow)) StepUp(s, &up, std::min(up.r + kStride, Last()), &total);
    else StepDown(s, &down, std::max(down.r - kStride, first_), &total);
  }
}

double PopulationReactors::Cost(int64_t sample) const {
  const double n = static_cast<double>(sample), N = static_cast<double>(population_);
  const double r = static_cast<double>(first_) + static_cast<double>(mass_.size()) / 2.0, p = r / N;
  return static_cast<double>(mass_.size()) + 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
}

// Each count of diseased units starts its healthy units' binomial tail
// afresh (an incomplete beta function), which costs about as much as this
// many of its terms.
constexpr double kBinomialTailTerms = 250.0;

double DiseasedUnitsCost(int64_t population, int64_t diseased, int64_t sample, double se) {
  const double n = static_cast<double>(sample), N = static_cast<double>(population);
  const double p = static_cast<double>(diseased) / N;
  const double units = 20.0 * std::sqrt(n * p * (1.0 - p) * (1.0 - n / N)) + 1.0;
  const double reactors = 20.0 * std::sqrt(n * p * se * (1.0 - se)) + 1.0;
  return units * (reactors + kBinomialTailTerms);
}

double ReactorsBuildCost(int64_t population, int64_t diseased, double se, double q) {
  const double D = static_cast<double>(diseased), healthy = static_cast<double>(population - diseased);
  const double sickTerms = 20.0 * std::sqrt(D * se * (1.0 - se)) + 1.0;
  const double healthyTerms = 20.0 * std::sqrt(healthy * q * (1.0 - q)) + 1.0;
  // The recurrence walks both windows and its own, and takes a few masses
  // of the convolution; the convolution itself takes every pair.
  return std::min(sickTerms * healthyTerms, 3.0 * (sickTerms + healthyTerms) + 5.0 * std::min(sickTerms, healthyTerms));
}

}  // namespace quorbel::exact
